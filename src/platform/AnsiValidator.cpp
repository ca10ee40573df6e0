#include "platform/AnsiValidator.h"

#include "platform/Codepage.h"

QValidator::State TAnsiValidator::validate(QString& input, int& /*pos*/) const {
    const QString refused = FirstNonAnsiCharacter(input);
    if (refused.isEmpty())
        return Acceptable;
    emit Refused(refused);
    return Invalid;
}
