#include "app/SecretClipboard.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace {

// Digests kept per mode: copies of a session come and go; the oldest are let go.
constexpr qsizetype KeptDigests = 16;

} // namespace

TSecretClipboard::TSecretClipboard(QObject* parent)
    : TSecretClipboard(std::make_unique<TQtClipboardPort>(), parent) {}

TSecretClipboard::TSecretClipboard(std::unique_ptr<TClipboardPort> port, QObject* parent)
    : QObject(parent), FPort(port.release()) {
    FPort->setParent(this);
    connect(FPort, &TClipboardPort::Changed, this, &TSecretClipboard::Changed);
    FClearTimer.setSingleShot(true);
    connect(&FClearTimer, &QTimer::timeout, this, [this] {
        ClearIfOneOf(QClipboard::Clipboard, {FTimed});
        FTimed.clear();
    });
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

void TSecretClipboard::Remember(QClipboard::Mode mode, const QByteArray& digest) {
    QList<QByteArray>& own = FOwn[Slot(mode)];
    if (own.contains(digest))
        return;
    if (own.size() >= KeptDigests)
        own.removeFirst();
    own.append(digest);
}

void TSecretClipboard::CopySecret(const QString& text) {
    const QByteArray digest = Digest(text);
    // Known before the system's notice of the change, which may come at once or later.
    if (!text.isEmpty())
        Remember(QClipboard::Clipboard, digest);
    FPort->SetSecret(text);
    FTimed = digest;
    FClearTimer.stop();
    if (FClearDelay.count() > 0 && !text.isEmpty())
        FClearTimer.start(FClearDelay);
}

QString TSecretClipboard::FocusedFieldSelection() const {
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || std::none_of(FFields.cbegin(), FFields.cend(),
                               [focus](const QPointer<QWidget>& field) { return field == focus; }))
        return {};
    if (const auto* edit = qobject_cast<const QLineEdit*>(focus))
        return edit->selectedText();
    if (const auto* notes = qobject_cast<const QPlainTextEdit*>(focus)) {
        // A copy turns the editor's paragraph separators into line breaks.
        QString text = notes->textCursor().selectedText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        return text;
    }
    return {};
}

void TSecretClipboard::Changed(QClipboard::Mode mode) {
    if (mode != QClipboard::Clipboard && mode != QClipboard::Selection)
        return;
    const QString text = FPort->Text(mode);
    if (text.isEmpty())
        return;
    // A copy or a selection in a watched field is the program's (kept until the vault closes,
    // not cleared by time); anything else, even with the focus in a field, is another's. The
    // system's echo of the program's own copy is still the program's.
    const QString selection = FocusedFieldSelection();
    if (!selection.isEmpty() && selection == text)
        Remember(mode, Digest(text));
}

void TSecretClipboard::ClearIfOneOf(QClipboard::Mode mode, const QList<QByteArray>& digests) {
    if (!digests.contains(Digest(FPort->Text(mode))))
        return;
    FPort->SetEmpty(mode);
    if (FPort->MayRefuseChange() || digests.contains(Digest(FPort->Text(mode))))
        FPort->SetEmptyWithTool(mode);
}

void TSecretClipboard::ClearOwnText() {
    FClearTimer.stop();
    FTimed.clear();
    // The digests stay: a clipboard manager may bring a secret back later, and the next clear
    // takes it away again.
    for (const QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection})
        ClearIfOneOf(mode, FOwn[Slot(mode)]);
}
