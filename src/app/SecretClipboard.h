#pragma once

// What the program put on the clipboard and the X selection from the fields of an account, so
// that it can take it away again when the vault closes. Only a digest of the text is kept;
// whatever another program or the user copied from elsewhere meanwhile is left alone.

#include <QByteArray>
#include <QClipboard>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

class TSecretClipboard : public QObject {
    Q_OBJECT
public:
    explicit TSecretClipboard(QObject* parent = nullptr);
    ~TSecretClipboard() override;

    // A copy, a cut or a selection made in one of these fields counts as the program's.
    void WatchFields(const QList<QWidget*>& fields);
    // Clears the clipboard and the selection where they still hold what the program put there.
    void ClearOwnText();

private:
    void Changed(QClipboard::Mode mode);
    static QByteArray Digest(const QString& text);
    static int Slot(QClipboard::Mode mode) { return mode == QClipboard::Selection ? 1 : 0; }

    QList<QPointer<QWidget>> FFields;
    QByteArray FOwn[2]; // per mode: the digest of the program's text, or empty
};
