#pragma once

// The small images of the actions inside the account's fields. The desktop's icon theme is used
// where it has them; otherwise the program draws its own.

#include <QIcon>

enum class TFieldAction { Copy, Generate, Show, Hide };

QIcon FieldActionIcon(TFieldAction action);
