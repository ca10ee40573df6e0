#pragma once

// The notes editor: wraps long lines on screen only and gives back the lines as the user typed
// them. Characters that Windows-1252 cannot hold are refused where they are typed, pasted or
// dropped.

#include <QPlainTextEdit>

#include <string>
#include <vector>

class TNotesEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TNotesEdit(QWidget* parent = nullptr);

    // The typed lines, in Windows-1252; an empty last line after a final line break does not
    // count, and an empty editor has no lines.
    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& lines);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // True, after telling the user why, when text holds a character that cannot be stored.
    bool Refuses(const QString& text);
};
