#pragma once

// Overwriting Qt's strings that held a secret (a password read from a file or the terminal).

#include "base/SecureWipe.h"

#include <QByteArray>
#include <QString>

// data() detaches a shared string first: another owner's copy is not ours to wipe.
inline void WipeQString(QString& text) noexcept {
    if (!text.isEmpty())
        SecureZero(text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
    text.clear();
}

inline void WipeQByteArray(QByteArray& bytes) noexcept {
    if (!bytes.isEmpty())
        SecureZero(bytes.data(), static_cast<std::size_t>(bytes.size()));
    bytes.clear();
}
