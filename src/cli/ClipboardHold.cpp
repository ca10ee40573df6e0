#include "cli/ClipboardHold.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QMimeData>
#include <QTimer>

#include <memory>

namespace {

// The format that clipboard managers read as "do not keep this".
constexpr const char* PasswordManagerHintFormat = "x-kde-passwordManagerHint";

QByteArray Digest(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    QByteArray digest = QCryptographicHash::hash(utf8, QCryptographicHash::Sha256);
    utf8.fill('\0');
    return digest;
}

} // namespace

TClipboardHold::TClipboardHold(QClipboard& clipboard) : FClipboard(clipboard) {}

bool TClipboardHold::Copy(const QString& text) {
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    data->setData(QString::fromLatin1(PasswordManagerHintFormat), QByteArrayLiteral("secret"));
    FClipboard.setMimeData(data.release(), QClipboard::Clipboard);
    FDigest = Digest(text);
    return StillOurs();
}

bool TClipboardHold::StillOurs() const {
    // Another program may copy the same text; it is then cleared with ours, which does no harm.
    return !FDigest.isEmpty() && Digest(FClipboard.text(QClipboard::Clipboard)) == FDigest;
}

TClipboardHold::TEnd TClipboardHold::Hold(std::chrono::milliseconds time) {
    TEnd end = StillOurs() ? TEnd::Cleared : TEnd::Replaced;
    if (end == TEnd::Cleared) {
        // The connections go with the loop, before the clearing below announces a change.
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            end = StillOurs() ? TEnd::Cleared : TEnd::Replaced;
            loop.quit();
        });
        // Our own copy may be announced too; a change counts only once the text is another.
        QObject::connect(&FClipboard, &QClipboard::changed, &loop, [&](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard && !StillOurs()) {
                end = TEnd::Replaced;
                loop.quit();
            }
        });
        timer.start(time);
        loop.exec();
    }
    if (end == TEnd::Cleared)
        FClipboard.clear(QClipboard::Clipboard);
    FDigest.clear();
    return end;
}
