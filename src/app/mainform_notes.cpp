// What the shown account's notes give beyond their text: the code of a one-time key, shown beside
// the notes and copied with Ctrl+T, and a web address, opened with Ctrl+U and copied with
// Ctrl+Shift+U.

#include "app/mainform.h"

#include "app/SecretClipboard.h"
#include "platform/Codepage.h"
#include "platform/MessageCatalog.h"
#include "vault/NotesAddress.h"
#include "vault/Totp.h"
#include "vault/WipeGuard.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

namespace {

const QKeySequence CopyCodeKey(Qt::CTRL | Qt::Key_T);
const QKeySequence OpenAddressKey(Qt::CTRL | Qt::Key_U);
const QKeySequence CopyAddressKey(Qt::CTRL | Qt::SHIFT | Qt::Key_U);

// Digits in two groups, as authenticator apps show them: "287 082", "9428 7082".
QString GroupedCode(const std::string& code) {
    const QString digits = QString::fromLatin1(code);
    const qsizetype half = digits.size() / 2;
    return digits.left(half) + QLatin1Char(' ') + digits.mid(half);
}

} // namespace

void TfrmMain::CreateNotesControls() {
    // The blank beside the notes, under their label, holds the code: the layout stays as it is.
    lblOneTimeCode = new QLabel(this);
    lblOneTimeCode->setObjectName(QStringLiteral("lblOneTimeCode"));
    lblOneTimeCode->setGeometry(12, 160, 58, 76);
    lblOneTimeCode->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblOneTimeCode->setWordWrap(true);
    lblOneTimeCode->setAccessibleName(tr("One-time code"));
    lblOneTimeCode->hide();
    FOneTimeCodeTimer = new QTimer(this);
    FOneTimeCodeTimer->setObjectName(QStringLiteral("OneTimeCodeTimer"));
    FOneTimeCodeTimer->setInterval(1000);
    FOneTimeCodeTimer->setTimerType(Qt::PreciseTimer);
    connect(FOneTimeCodeTimer, &QTimer::timeout, this, [this] { ShowOneTimeCode(); });

    CreateKeyAction(CopyCodeKey, &TfrmMain::CopyOneTimeCodeClick);
    CreateKeyAction(OpenAddressKey, &TfrmMain::OpenWebAddressClick);
    CreateKeyAction(CopyAddressKey, &TfrmMain::CopyWebAddressClick);
    // Ctrl+U would empty a line of a field instead.
    FKeysOverFields = {CopyCodeKey, OpenAddressKey, CopyAddressKey};
}

void TfrmMain::ShowOneTimeCode() {
    const bool shown = !FVault.Locked() && FVault.CurrentRow() >= 0;
    const TOtpReading reading =
        shown ? ReadOtp(FVault.Current().Notes, FPlatform.UnixTime()) : TOtpReading();
    if (!reading.HasKeyLine) {
        FOneTimeCodeTimer->stop();
        lblOneTimeCode->hide();
        lblOneTimeCode->clear();
        lblOneTimeCode->setToolTip({});
        lblOneTimeCode->setAccessibleDescription({});
        return;
    }
    if (!FOneTimeCodeTimer->isActive())
        FOneTimeCodeTimer->start();
    QString text;
    QString about;
    if (reading.Code.empty()) {
        //: Beside the notes, when their one-time key is malformed; the tool tip says why.
        text = tr("No code: the key is not valid");
        about = TranslatedMessage(reading.Problem);
    } else {
        text = QStringLiteral("%1\n%2").arg(GroupedCode(reading.Code),
                                            //: Seconds until the one-time code changes.
                                            tr("%n s left", nullptr, reading.SecondsLeft));
        about =
            tr("One-time code; %1 copies it").arg(CopyCodeKey.toString(QKeySequence::NativeText));
    }
    lblOneTimeCode->setText(text);
    lblOneTimeCode->setToolTip(about);
    lblOneTimeCode->setAccessibleDescription(about);
    lblOneTimeCode->show();
}

void TfrmMain::CopyOneTimeCodeClick() {
    if (FVault.Locked() || FVault.CurrentRow() < 0)
        return;
    const TOtpReading reading = ReadOtp(FVault.Current().Notes, FPlatform.UnixTime());
    if (!reading.HasKeyLine) {
        ShowStatusMessage(tr("The notes hold no one-time key."));
        return;
    }
    if (reading.Code.empty()) {
        // The reason is a sentence longer than the passing message's row.
        FPlatform.ShowMessageBox(QStringToDisplay(TranslatedMessage(reading.Problem)),
                                 TMessageKind::mkPlain, TMessageButtons::mbOK);
        return;
    }
    CopyText(QString::fromLatin1(reading.Code), tr("One-time code"));
}

std::string TfrmMain::ShownWebAddress() {
    if (FVault.Locked() || FVault.CurrentRow() < 0)
        return {};
    std::string address = NotesWebAddress(FVault.Current().Notes);
    if (address.empty())
        ShowStatusMessage(tr("The notes hold no web address."));
    return address;
}

void TfrmMain::OpenWebAddressClick() {
    std::string address = ShownWebAddress();
    TWipeGuard wipe(address);
    if (!address.empty())
        FPlatform.OpenWebAddress(AnsiToDisplay(address));
}

void TfrmMain::CopyWebAddressClick() {
    std::string address = ShownWebAddress();
    TWipeGuard wipe(address);
    if (!address.empty())
        CopyText(AnsiToQString(address), tr("Web address"));
}
