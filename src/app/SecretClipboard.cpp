#include "app/SecretClipboard.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QMimeData>
#include <QScopedValueRollback>

#include <algorithm>
#include <memory>

TSecretClipboard::TSecretClipboard(QObject* parent) : QObject(parent) {
    connect(QApplication::clipboard(), &QClipboard::changed, this, &TSecretClipboard::Changed);
    FClearTimer.setSingleShot(true);
    connect(&FClearTimer, &QTimer::timeout, this, [this] { ClearOwn(QClipboard::Clipboard); });
}

TSecretClipboard::~TSecretClipboard() {
    ClearOwnText();
}

void TSecretClipboard::WatchFields(const QList<QWidget*>& fields) {
    for (QWidget* field : fields)
        FFields.append(field);
}

QByteArray TSecretClipboard::Digest(const QString& text) {
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256);
}

void TSecretClipboard::CopySecret(const QString& text) {
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    data->setData(QString::fromLatin1(PasswordManagerHintFormat), QByteArrayLiteral("secret"));
    {
        // The change notification comes while the focus may be anywhere; the copy is ours.
        const QScopedValueRollback copying(FCopying, true);
        QApplication::clipboard()->setMimeData(data.release(), QClipboard::Clipboard);
    }
    FOwn[Slot(QClipboard::Clipboard)] = Digest(text);
    FClearTimer.stop();
    if (FClearDelay.count() > 0)
        FClearTimer.start(FClearDelay);
}

void TSecretClipboard::Changed(QClipboard::Mode mode) {
    if (FCopying || (mode != QClipboard::Clipboard && mode != QClipboard::Selection))
        return;
    // The copy is the program's when it comes from a watched field; otherwise it replaced
    // whatever the program had put there.
    const QWidget* focus = QApplication::focusWidget();
    const bool ours =
        focus && std::any_of(FFields.cbegin(), FFields.cend(),
                             [focus](const QPointer<QWidget>& field) { return field == focus; });
    FOwn[Slot(mode)] = ours ? Digest(QApplication::clipboard()->text(mode)) : QByteArray();
    if (mode == QClipboard::Clipboard)
        FClearTimer.stop(); // a copy made by hand is the user's to keep until the vault closes
}

void TSecretClipboard::ClearOwn(QClipboard::Mode mode) {
    QClipboard* clipboard = QApplication::clipboard();
    QByteArray& own = FOwn[Slot(mode)];
    if (!clipboard || own.isEmpty())
        return;
    if (Digest(clipboard->text(mode)) == own)
        clipboard->clear(mode);
    own.clear();
}

void TSecretClipboard::ClearOwnText() {
    FClearTimer.stop();
    for (const QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection})
        ClearOwn(mode);
}
