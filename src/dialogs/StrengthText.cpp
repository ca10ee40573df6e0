#include "dialogs/StrengthText.h"

#include <QCoreApplication>

#include <cmath>

namespace {

QString LevelWord(TStrengthLevel level) {
    switch (level) {
    case TStrengthLevel::Poor:
        break;
    case TStrengthLevel::Weak:
        return QCoreApplication::translate("StrengthText", "weak");
    case TStrengthLevel::Good:
        return QCoreApplication::translate("StrengthText", "good");
    case TStrengthLevel::Excellent:
        return QCoreApplication::translate("StrengthText", "excellent");
    }
    return QCoreApplication::translate("StrengthText", "poor");
}

} // namespace

QString StrengthText(const TPasswordStrength& strength) {
    // Rounded down, so that a figure never claims the next range's bits.
    return QCoreApplication::translate("StrengthText", "%1 bits, %2")
        .arg(static_cast<long>(std::floor(strength.Bits)))
        .arg(LevelWord(strength.Level));
}

QString PasswordStrengthText(const std::string& password) {
    return StrengthText(EstimateStrength(password));
}
