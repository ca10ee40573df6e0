#pragma once

class QPushButton;
class QString;

// The rule of the password prompt and the new-account dialog: with any text at all (spaces
// count), OK is enabled and Enter presses it; with none, OK is disabled and Enter presses Cancel.
void ApplyButtonRule(const QString& text, QPushButton& btnOK, QPushButton& btnCancel);
