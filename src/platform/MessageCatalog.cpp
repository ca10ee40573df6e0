#include "platform/MessageCatalog.h"

#include "base/ErrorTexts.h"
#include "platform/Codepage.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>

namespace {

constexpr const char* Context = "Messages";

// Every fixed message that the layers below the window can raise, without a final full stop.
constexpr std::array FixedMessages = {
    // The cipher.
    QT_TRANSLATE_NOOP("Messages", "Blowfish: Key must be between 1 and 56 bytes"),
    QT_TRANSLATE_NOOP("Messages", "Blowfish: Key not set"),
    QT_TRANSLATE_NOOP("Messages", "Blowfish: IV not set"),
    QT_TRANSLATE_NOOP("Messages", "Blowfish: Mode must be CBC for CBCMAC"),
    QT_TRANSLATE_NOOP("Messages", "Blowfish: Input not valid - too short"),
    QT_TRANSLATE_NOOP("Messages", "Blowfish: Error converting from Base64 - invalid character"),
    // The vault.
    QT_TRANSLATE_NOOP("Messages", "No vault is open"),
    QT_TRANSLATE_NOOP("Messages", "The vault is locked; nothing was changed"),
    QT_TRANSLATE_NOOP("Messages", "No account is shown; the change was not stored"),
    QT_TRANSLATE_NOOP("Messages", "No account is shown; nothing was deleted"),
    QT_TRANSLATE_NOOP("Messages", "The undo history no longer matches the vault; it was cleared"),
    QT_TRANSLATE_NOOP("Messages", "Choose at least one kind of character"),
    QT_TRANSLATE_NOOP("Messages", "A password has 1 to 48 characters"),
    QT_TRANSLATE_NOOP("Messages", "A passphrase has 3 to 20 words"),
    QT_TRANSLATE_NOOP("Messages", "A separator has up to 4 characters, and no letters or digits"),
    QT_TRANSLATE_NOOP("Messages", "The passphrase word list is missing from the program"),
    QT_TRANSLATE_NOOP("Messages", "The passphrase word list in the program is damaged"),
    // One-time keys in the notes.
    QT_TRANSLATE_NOOP("Messages", "A one-time key URI starts with otpauth://"),
    QT_TRANSLATE_NOOP("Messages", "Only time-based one-time keys (otpauth://totp/) are supported"),
    QT_TRANSLATE_NOOP("Messages", "The one-time key has no secret"),
    QT_TRANSLATE_NOOP("Messages", "The one-time key's secret is not base32 (the letters A to Z "
                                  "and the digits 2 to 7)"),
    QT_TRANSLATE_NOOP("Messages", "The one-time key gives one of its parameters twice"),
    QT_TRANSLATE_NOOP("Messages", "The one-time key has a malformed %-escape"),
    QT_TRANSLATE_NOOP("Messages", "The one-time key's algorithm is not SHA1, SHA256 or SHA512"),
    QT_TRANSLATE_NOOP("Messages", "The one-time key's digits are not 6, 7 or 8"),
    QT_TRANSLATE_NOOP("Messages", "The one-time key's period is not 1 to 86400 seconds"),
    // An exception that is not a std::exception.
    QT_TRANSLATE_NOOP("Messages", "Unknown error"),
};

QString TranslatedSentence(const QString& sentence) {
    const QByteArray key = sentence.toUtf8();
    const auto fixed = std::find_if(FixedMessages.begin(), FixedMessages.end(),
                                    [&](const char* text) { return key == text; });
    return fixed != FixedMessages.end() ? QCoreApplication::translate(Context, *fixed) : sentence;
}

// A full stop at the message's end stays apart from the lookup, so that a message reads alike
// with the error display's added stop and without.
QString WithFullStop(QString text, bool stop) {
    if (stop)
        text += QLatin1Char('.');
    return text;
}

} // namespace

QString TranslatedMessage(const std::string& message) {
    QString text = DisplayToQString(message);
    const bool stop = text.endsWith(QLatin1Char('.'));
    if (stop)
        text.chop(1);
    return WithFullStop(TranslatedSentence(text), stop);
}

QString TranslatedMessage(const TErrorMessage& message) {
    QString text;
    if (const TErrorText* entry = ErrorTextOf(message.Code())) {
        text = QCoreApplication::translate(Context, entry->Template);
        for (const std::string& arg : message.Args())
            text = text.arg(DisplayToQString(arg));
        text = WithFullStop(text, message.FullStop());
    } else {
        std::string sentence = message.Args().empty() ? std::string() : message.Args().front();
        if (message.FullStop() && (sentence.empty() || sentence.back() != '.'))
            sentence += '.';
        text = TranslatedMessage(sentence);
    }
    if (message.Subject().empty())
        return text;
    return DisplayToQString(message.Subject()) + QLatin1String(": ") + text;
}
