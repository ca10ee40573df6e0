#pragma once

// What the program put on the clipboard and the X selection from the fields of an account, so
// that it can take it away again: after a delay for a copy made by a copy command, and whenever
// the vault closes or locks. Only digests of the texts are kept, and only they decide what is the
// program's: an echo of the program's own copy stays its own, and whatever another program or
// the user copied from elsewhere is never cleared.

#include "app/ClipboardPort.h"

#include <QByteArray>
#include <QClipboard>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <memory>

class TSecretClipboard : public QObject {
    Q_OBJECT
public:
    explicit TSecretClipboard(QObject* parent = nullptr);
    // On another clipboard, which the object then owns.
    TSecretClipboard(std::unique_ptr<TClipboardPort> port, QObject* parent);
    ~TSecretClipboard() override;

    // A copy, a cut or a selection of the selected text of one of these fields counts as the
    // program's.
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
    // Sets an empty text where the text is one of these; through the desktop's tool where the
    // system may refuse the program's own change or did refuse it.
    void ClearIfOneOf(QClipboard::Mode mode, const QList<QByteArray>& digests);
    void Remember(QClipboard::Mode mode, const QByteArray& digest);
    // The selected text of the watched field that has the focus, as a copy from it gives it.
    QString FocusedFieldSelection() const;
    static QByteArray Digest(const QString& text);
    static int Slot(QClipboard::Mode mode) { return mode == QClipboard::Selection ? 1 : 0; }

    TClipboardPort* FPort; // a child of this object
    QList<QPointer<QWidget>> FFields;
    QList<QByteArray> FOwn[2]; // per mode: digests of texts the program put there
    QByteArray FTimed;         // the digest of the copy that the timer clears
    std::chrono::milliseconds FClearDelay{10000};
    QTimer FClearTimer;
};
