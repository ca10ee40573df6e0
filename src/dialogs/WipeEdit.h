#pragma once

// Overwrites the text of an edit that holds a password before letting it go.

class QLineEdit;

// text() shares the edit's own buffer, so the zeros land there; setText, with the edit's signals
// blocked, then also drops the undo history, which holds the typed characters one by one. Copies
// that the edit made and freed while the text was typed are beyond reach.
void WipeLineEdit(QLineEdit& edit);
