#include "platform/MessageCatalog.h"

#include "platform/Codepage.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

constexpr const char* Context = "Messages";

// Every fixed message that the layers below the window can raise, without a final full stop.
constexpr std::array FixedMessages = {
    // Files (EInOutError).
    QT_TRANSLATE_NOOP("Messages", "File not found"),
    QT_TRANSLATE_NOOP("Messages", "Invalid filename"),
    QT_TRANSLATE_NOOP("Messages", "Too many open files"),
    QT_TRANSLATE_NOOP("Messages", "File access denied"),
    QT_TRANSLATE_NOOP("Messages", "Read beyond end of file"),
    QT_TRANSLATE_NOOP("Messages", "Disk full"),
    QT_TRANSLATE_NOOP("Messages", "Invalid numeric input"),
    QT_TRANSLATE_NOOP("Messages", "Not a file but a device, pipe or socket"),
    QT_TRANSLATE_NOOP("Messages", "The file changed while it was read"),
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
    QT_TRANSLATE_NOOP("Messages", "The password must have 1 to 48 characters. The data file was "
                                  "not created or changed"),
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

// Messages with a number or a name in them: the pattern's one group fills %1 of the text.
struct TPatternMessage {
    const char* Pattern;
    const char* Text;
};

constexpr std::array PatternMessages = {
    TPatternMessage{R"(I/O error (-?\d+))", QT_TRANSLATE_NOOP("Messages", "I/O error %1")},
    TPatternMessage{R"(Invalid data type for '(.*)')",
                    QT_TRANSLATE_NOOP("Messages", "Invalid data type for '%1'")},
    TPatternMessage{R"(Failed to set data for '(.*)')",
                    QT_TRANSLATE_NOOP("Messages", "Failed to set data for '%1'")},
    TPatternMessage{R"(Character U\+([0-9A-F]+) cannot be held in Windows-1252)",
                    QT_TRANSLATE_NOOP("Messages", "Character U+%1 cannot be held in Windows-1252")},
    TPatternMessage{R"(List index out of bounds \((-?\d+)\))",
                    QT_TRANSLATE_NOOP("Messages", "List index out of bounds (%1)")},
    // Writers of one file, files that another program converted, backup names (the vault).
    TPatternMessage{R"((.+) is being written by another program\. Nothing was written)",
                    QT_TRANSLATE_NOOP("Messages", "%1 is being written by another program. "
                                                  "Nothing was written")},
    TPatternMessage{R"((.+) was changed by another program since it was read\. Nothing was )"
                    R"(written)",
                    QT_TRANSLATE_NOOP("Messages", "%1 was changed by another program since it "
                                                  "was read. Nothing was written")},
    TPatternMessage{
        R"((.+) has LF line ends: it was converted by another program)",
        QT_TRANSLATE_NOOP("Messages", "%1 has LF line ends: it was converted by another program")},
    TPatternMessage{R"((.+) starts with a UTF-8 byte-order mark: it was converted by another )"
                    R"(program)",
                    QT_TRANSLATE_NOOP("Messages", "%1 starts with a UTF-8 byte-order mark: it was "
                                                  "converted by another program")},
    TPatternMessage{R"((.+) has LF line ends and starts with a UTF-8 byte-order mark: it was )"
                    R"(converted by another program)",
                    QT_TRANSLATE_NOOP("Messages", "%1 has LF line ends and starts with a UTF-8 "
                                                  "byte-order mark: it was converted by another "
                                                  "program")},
    TPatternMessage{R"((.+) is read-only or may not be written, and is not replaced)",
                    QT_TRANSLATE_NOOP(
                        "Messages", "%1 is read-only or may not be written, and is not replaced")},
    TPatternMessage{R"((.+) is a folder, and is not replaced)",
                    QT_TRANSLATE_NOOP("Messages", "%1 is a folder, and is not replaced")},
    TPatternMessage{R"((.+) is not a file but a device, pipe or socket, and is not replaced)",
                    QT_TRANSLATE_NOOP("Messages", "%1 is not a file but a device, pipe or socket, "
                                                  "and is not replaced")},
};

QString TranslatedWhole(const QString& message) {
    const QByteArray key = message.toUtf8();
    const auto fixed = std::find_if(FixedMessages.begin(), FixedMessages.end(),
                                    [&](const char* text) { return key == text; });
    if (fixed != FixedMessages.end())
        return QCoreApplication::translate(Context, *fixed);
    for (const TPatternMessage& entry : PatternMessages) {
        const QRegularExpression pattern(
            QRegularExpression::anchoredPattern(QLatin1String(entry.Pattern)));
        const QRegularExpressionMatch match = pattern.match(message);
        if (match.hasMatch())
            return QCoreApplication::translate(Context, entry.Text).arg(match.captured(1));
    }
    return message;
}

// A file's error comes after the file's name ("PATH: File access denied"); the name may hold ": "
// itself, so each place is tried from the left.
QString Translated(const QString& message) {
    const QString whole = TranslatedWhole(message);
    if (whole != message)
        return whole;
    const QLatin1String separator(": ");
    for (qsizetype at = message.indexOf(separator); at > 0;
         at = message.indexOf(separator, at + 1)) {
        const QString rest = message.mid(at + separator.size());
        const QString translated = TranslatedWhole(rest);
        if (translated != rest)
            return message.left(at + separator.size()) + translated;
    }
    return message;
}

} // namespace

QString TranslatedMessage(const std::string& message) {
    QString text = DisplayToQString(message);
    const bool stop = text.endsWith(QLatin1Char('.'));
    if (stop)
        text.chop(1);
    text = Translated(text);
    if (stop)
        text += QLatin1Char('.');
    return text;
}
