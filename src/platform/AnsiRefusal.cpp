#include "platform/AnsiRefusal.h"

#include "platform/AnsiValidator.h"

#include <QApplication>
#include <QLineEdit>
#include <QToolTip>

void NoticeAnsiRefusal(QWidget& field, const QString& character) {
    QApplication::beep();
    const char32_t code = character.toUcs4().value(0);
    const QString hex =
        QString::number(static_cast<uint>(code), 16).toUpper().rightJustified(4, u'0');
    const QString text =
        QCoreApplication::translate("AnsiRefusal",
                                    "The character %1 (U+%2) cannot be stored: a Kestovar file "
                                    "holds only the characters of Windows-1252.")
            .arg(character, hex);
    QToolTip::showText(field.mapToGlobal(QPoint(0, field.height())), text, &field);
}

void RefuseNonAnsiInput(QLineEdit& edit) {
    auto* validator = new TAnsiValidator(&edit);
    QObject::connect(validator, &TAnsiValidator::Refused, &edit,
                     [&edit](const QString& character) { NoticeAnsiRefusal(edit, character); });
    edit.setValidator(validator);
}
