#include "dialogs/PasswordMaskStyle.h"

int TPasswordMaskStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                  QStyleHintReturn* returnData) const {
    switch (hint) {
    case SH_LineEdit_PasswordCharacter:
        return '*';
    case SH_LineEdit_PasswordMaskDelay:
        return 0;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}
