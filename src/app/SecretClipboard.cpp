#include "app/SecretClipboard.h"

#include <QApplication>
#include <QCryptographicHash>

TSecretClipboard::TSecretClipboard(QObject* parent) : QObject(parent) {
    connect(QApplication::clipboard(), &QClipboard::changed, this, &TSecretClipboard::Changed);
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

void TSecretClipboard::Changed(QClipboard::Mode mode) {
    if (mode != QClipboard::Clipboard && mode != QClipboard::Selection)
        return;
    // The copy is the program's when it comes from a watched field; otherwise it replaced
    // whatever the program had put there.
    const QWidget* focus = QApplication::focusWidget();
    const bool ours =
        focus && std::any_of(FFields.cbegin(), FFields.cend(),
                             [focus](const QPointer<QWidget>& field) { return field == focus; });
    FOwn[Slot(mode)] = ours ? Digest(QApplication::clipboard()->text(mode)) : QByteArray();
}

void TSecretClipboard::ClearOwnText() {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard)
        return;
    for (const QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
        QByteArray& own = FOwn[Slot(mode)];
        if (own.isEmpty())
            continue;
        if (Digest(clipboard->text(mode)) == own)
            clipboard->clear(mode);
        own.clear();
    }
}
