#pragma once

#include <Qt>

class QWidget;

// A dialog border with a title but neither window menu nor close box: the dialogs close only
// through their own buttons.
inline constexpr Qt::WindowFlags DialogWithoutSystemMenu =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// Places the window so that its frame is centred on the whole screen it belongs to (not on its
// parent, and not on the work area). Called before the first show it also keeps Qt from centring
// a dialog over its parent; called again on showing, it counts the frame, known only by then.
void CentreOnScreen(QWidget& window);
