#pragma once

// Tells the user why a typed or pasted character did not arrive: the usual beep, and a tool tip
// at the field that names the character.

class QLineEdit;
class QString;
class QWidget;

void NoticeAnsiRefusal(QWidget& field, const QString& character);
// Gives the edit a TAnsiValidator whose refusals are noticed so.
void RefuseNonAnsiInput(QLineEdit& edit);
