#pragma once

// A secret on the desktop clipboard for a while: offered with the mark by which KDE's Klipper and
// other clipboard managers know a secret not to keep in their history, and taken away when the
// time is up unless something else was copied meanwhile. Only a digest of the text is kept.

#include <QByteArray>
#include <QString>

#include <chrono>

class QClipboard;

class TClipboardHold {
public:
    enum class TEnd { Cleared, Replaced };

    explicit TClipboardHold(QClipboard& clipboard);
    TClipboardHold(const TClipboardHold&) = delete;
    TClipboardHold& operator=(const TClipboardHold&) = delete;

    // Puts the text on the clipboard; false when the clipboard does not hold it afterwards.
    bool Copy(const QString& text);
    // Serves the clipboard until the time is up or another copy replaces the text; clears it in
    // the first case.
    TEnd Hold(std::chrono::milliseconds time);

private:
    bool StillOurs() const;

    QClipboard& FClipboard;
    QByteArray FDigest;
};
