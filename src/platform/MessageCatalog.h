#pragma once

// Messages that reach the window in English from layers that translate nothing (the cipher, the
// vault, the file and settings errors), translated where they are shown: by their code and
// arguments, or a fixed sentence as a whole.

#include "base/ErrorMessage.h"

#include <QString>

#include <string>

// The message in the language loaded, or in English when no translation is loaded.
QString TranslatedMessage(const TErrorMessage& message);
// A fixed sentence (in the local 8-bit encoding) in the language loaded, or as it is when no
// translation is loaded or the catalog does not know it. A full stop at its end stays apart from
// the lookup, so that a message reads alike with the error display's added stop and without.
QString TranslatedMessage(const std::string& message);
