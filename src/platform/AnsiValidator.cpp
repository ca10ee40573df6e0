#include "platform/AnsiValidator.h"

#include "platform/Codepage.h"

QValidator::State TAnsiValidator::validate(QString& input, int& /*pos*/) const {
    const QString refused = FirstNonAnsiCharacter(input);
    if (refused.isEmpty())
        return Acceptable;
    emit Refused(refused);
    return Invalid;
}

QString FirstNonAnsiCharacter(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsAnsiChar(text[i]))
            continue;
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        return text.mid(i, pair ? 2 : 1);
    }
    return {};
}
