#pragma once

// What the program put on the clipboard and the X selection from the fields of an account, so
// that it can take it away again: after a delay for a copy made by a copy command, and whenever
// the vault closes or locks. Only a digest of the text is kept; whatever another program or the
// user copied from elsewhere meanwhile is left alone.

#include <QByteArray>
#include <QClipboard>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>

// The clipboard format by which KDE's Klipper and other clipboard managers know a secret that
// they are not to keep in their history.
inline constexpr const char* PasswordManagerHintFormat = "x-kde-passwordManagerHint";

class TSecretClipboard : public QObject {
    Q_OBJECT
public:
    explicit TSecretClipboard(QObject* parent = nullptr);
    ~TSecretClipboard() override;

    // A copy, a cut or a selection made in one of these fields counts as the program's.
    void WatchFields(const QList<QWidget*>& fields);
    // Puts the text on the clipboard (not the selection), marked as a secret, and clears it after
    // the delay unless something else was copied meanwhile. A zero delay never clears it by time.
    void CopySecret(const QString& text);
    void SetClearDelay(std::chrono::milliseconds delay) noexcept { FClearDelay = delay; }
    std::chrono::milliseconds ClearDelay() const noexcept { return FClearDelay; }
    // Clears the clipboard and the selection where they still hold what the program put there.
    void ClearOwnText();

private:
    void Changed(QClipboard::Mode mode);
    void ClearOwn(QClipboard::Mode mode);
    static QByteArray Digest(const QString& text);
    static int Slot(QClipboard::Mode mode) { return mode == QClipboard::Selection ? 1 : 0; }

    QList<QPointer<QWidget>> FFields;
    QByteArray FOwn[2]; // per mode: the digest of the program's text, or empty
    bool FCopying = false;
    std::chrono::milliseconds FClearDelay{10000};
    QTimer FClearTimer;
};
