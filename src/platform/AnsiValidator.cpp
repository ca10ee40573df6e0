#include "platform/AnsiValidator.h"

#include "platform/Codepage.h"

QValidator::State TAnsiValidator::validate(QString& input, int& /*pos*/) const {
    return IsAnsiText(input) ? Acceptable : Invalid;
}
