#pragma once

// The layout shared by the password prompt and the new-account dialog: a group box holding a
// label and an edit, and OK and Cancel on the right below it.

class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

void LayOutOneEditDialog(QDialog& dialog, QGroupBox& group, QLabel& label, QLineEdit& edit,
                         QPushButton& ok, QPushButton& cancel);
