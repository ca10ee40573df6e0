#pragma once

#include <QProxyStyle>

// The application's style, except that a password edit masks every character with "*" at once
// (no platform bullet, no delay showing the last typed character).
class TPasswordMaskStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};
