#include "app/NotesEdit.h"

#include "platform/AnsiRefusal.h"
#include "platform/AnsiValidator.h"
#include "platform/Codepage.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

TNotesEdit::TNotesEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

std::vector<std::string> TNotesEdit::Lines() const {
    // The raw text keeps non-breaking spaces, which toPlainText() would turn into spaces.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    std::vector<std::string> lines;
    if (text.isEmpty())
        return lines;
    QStringList pieces = text.split(QLatin1Char('\n'));
    if (pieces.back().isEmpty())
        pieces.removeLast();
    lines.reserve(static_cast<std::size_t>(pieces.size()));
    for (const QString& piece : pieces)
        lines.push_back(QStringToAnsi(piece));
    return lines;
}

void TNotesEdit::SetLines(const std::vector<std::string>& lines) {
    QStringList texts;
    for (const std::string& line : lines)
        texts.append(AnsiToQString(line));
    QString text = texts.join(QLatin1Char('\n'));
    // Lines() takes a last line break as the end of the last line, not as an empty line after
    // it: a last line that is empty needs a break of its own to come back.
    if (!lines.empty() && lines.back().empty())
        text += QLatin1Char('\n');
    setPlainText(text);
}

bool TNotesEdit::Refuses(const QString& text) {
    const QString refused = FirstNonAnsiCharacter(text);
    if (refused.isEmpty())
        return false;
    NoticeAnsiRefusal(*this, refused);
    return true;
}

void TNotesEdit::keyPressEvent(QKeyEvent* event) {
    if (Refuses(event->text())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TNotesEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (Refuses(event->commitString())) {
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

bool TNotesEdit::canInsertFromMimeData(const QMimeData* source) const {
    // Any text is taken in, so that a refusal is explained rather than silently not offered.
    return source->hasText();
}

void TNotesEdit::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText() || Refuses(source->text()))
        return;
    // Plain text only, as it was copied.
    insertPlainText(source->text());
}
