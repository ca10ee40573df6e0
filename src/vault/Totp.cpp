#include "vault/Totp.h"

#include "vault/NotesLines.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QMessageAuthenticationCode>

#include <array>
#include <cstring>

namespace {

constexpr std::string_view UriScheme = "otpauth://";

int Base32Value(char ch) noexcept {
    if (ch >= 'A' && ch <= 'Z')
        return ch - 'A';
    if (ch >= 'a' && ch <= 'z')
        return ch - 'a';
    if (ch >= '2' && ch <= '7')
        return ch - '2' + 26;
    return -1;
}

int HexValue(char ch) noexcept {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

// A URI component with its %-escapes undone; nothing when an escape is malformed. The caller
// wipes the text, which may be a secret.
std::optional<std::string> PercentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0) {
            WipeString(decoded);
            return std::nullopt;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

// A decimal number from min to max, digits only; nothing otherwise.
std::optional<int> BoundedNumber(std::string_view text, int min, int max) noexcept {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9')
            return std::nullopt;
        value = value * 10 + (ch - '0');
    }
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

bool EqualNoCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

TOtpKeyResult Refused(const char* problem) {
    return {std::nullopt, problem};
}

// The key of a secret in base32 text, with the other settings of `key`.
TOtpKeyResult KeyOfSecret(std::string_view base32, TOtpKey key) {
    if (TrimmedLine(base32).empty())
        return Refused("The one-time key has no secret");
    std::optional<std::string> secret = DecodeBase32(base32);
    if (!secret || secret->empty())
        return Refused("The one-time key's secret is not base32 (the letters A to Z and the "
                       "digits 2 to 7)");
    key.Secret.swap(*secret);
    TOtpKeyResult result;
    result.Key.emplace(std::move(key));
    return result;
}

QCryptographicHash::Algorithm HashAlgorithm(TOtpHash hash) noexcept {
    switch (hash) {
    case TOtpHash::Sha256:
        return QCryptographicHash::Sha256;
    case TOtpHash::Sha512:
        return QCryptographicHash::Sha512;
    case TOtpHash::Sha1:
        break;
    }
    return QCryptographicHash::Sha1;
}

std::size_t HashBlockSize(TOtpHash hash) noexcept {
    return hash == TOtpHash::Sha512 ? 128 : 64;
}

// Overwrites a byte array that nothing else shares any more (data() would copy a shared one).
void WipeByteArray(QByteArray& bytes) noexcept {
    if (!bytes.isEmpty())
        SecureZero(bytes.data(), static_cast<std::size_t>(bytes.size()));
    bytes.clear();
}

} // namespace

std::optional<std::string> DecodeBase32(std::string_view text) {
    std::size_t length = text.size();
    while (length > 0 && (text[length - 1] == '=' || text[length - 1] == ' '))
        --length;
    std::size_t symbols = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == ' ')
            continue;
        if (Base32Value(text[i]) < 0)
            return std::nullopt;
        ++symbols;
    }
    // 1, 3 or 6 symbols past a whole group of 8 leave bits that make no byte.
    const std::size_t tail = symbols % 8;
    if (tail == 1 || tail == 3 || tail == 6)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(symbols * 5 / 8);
    unsigned buffer = 0;
    int bits = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == ' ')
            continue;
        buffer = (buffer << 5 | static_cast<unsigned>(Base32Value(text[i]))) & 0x1FFF;
        bits += 5;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>(buffer >> bits & 0xFF);
        }
    }
    SecureZero(&buffer, sizeof buffer);
    return bytes;
}

TOtpKeyResult ParseOtpKeyUri(std::string_view uri) {
    if (!StartsWithNoCase(uri, UriScheme))
        return Refused("A one-time key URI starts with otpauth://");
    uri.remove_prefix(UriScheme.size());
    const std::size_t typeEnd = uri.find_first_of("/?");
    if (!EqualNoCase(uri.substr(0, typeEnd), "totp"))
        return Refused("Only time-based one-time keys (otpauth://totp/) are supported");
    uri = uri.substr(0, uri.find('#'));
    const std::size_t queryStart = uri.find('?');
    if (queryStart == std::string_view::npos)
        return Refused("The one-time key has no secret");
    std::string_view query = uri.substr(queryStart + 1);

    TOtpKey key;
    std::string secret;
    const TWipeGuard wipeSecret(secret);
    std::array<bool, 4> seen{};
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
        const std::size_t equals = pair.find('=');
        const std::string_view name = pair.substr(0, equals);
        const std::string_view raw =
            equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
        constexpr std::array<std::string_view, 4> Known = {"secret", "algorithm", "digits",
                                                           "period"};
        std::size_t which = 0;
        while (which < Known.size() && !EqualNoCase(name, Known[which]))
            ++which;
        if (which == Known.size())
            continue; // issuer, image and whatever else other apps add
        if (seen[which])
            return Refused("The one-time key gives one of its parameters twice");
        seen[which] = true;
        std::optional<std::string> value = PercentDecoded(raw);
        if (!value)
            return Refused("The one-time key has a malformed %-escape");
        const TWipeGuard wipeValue(*value);
        switch (which) {
        case 0:
            secret.swap(*value);
            break;
        case 1:
            if (EqualNoCase(*value, "SHA1"))
                key.Hash = TOtpHash::Sha1;
            else if (EqualNoCase(*value, "SHA256"))
                key.Hash = TOtpHash::Sha256;
            else if (EqualNoCase(*value, "SHA512"))
                key.Hash = TOtpHash::Sha512;
            else
                return Refused("The one-time key's algorithm is not SHA1, SHA256 or SHA512");
            break;
        case 2: {
            const std::optional<int> digits = BoundedNumber(*value, MinOtpDigits, MaxOtpDigits);
            if (!digits)
                return Refused("The one-time key's digits are not 6, 7 or 8");
            key.Digits = *digits;
            break;
        }
        default: {
            const std::optional<int> period = BoundedNumber(*value, 1, MaxOtpPeriod);
            if (!period)
                return Refused("The one-time key's period is not 1 to 86400 seconds");
            key.Period = *period;
            break;
        }
        }
    }
    return KeyOfSecret(secret, std::move(key));
}

TOtpKeyResult ParseOtpSecret(std::string_view base32) {
    return KeyOfSecret(base32, TOtpKey());
}

TOtpKeyResult FindOtpKey(std::string_view notes) {
    for (const std::string_view raw : NotesLineViews(notes)) {
        const std::string_view line = TrimmedLine(raw);
        std::string_view value;
        if (StartsWithNoCase(line, UriScheme))
            return ParseOtpKeyUri(line);
        if (AfterLabel(line, "totp", value))
            return StartsWithNoCase(value, UriScheme) ? ParseOtpKeyUri(value)
                                                      : ParseOtpSecret(value);
    }
    return {};
}

std::string OtpCode(const TOtpKey& key, std::int64_t unixTime) {
    const auto counter = static_cast<std::uint64_t>(unixTime < 0 ? 0 : unixTime) /
                         static_cast<std::uint64_t>(key.Period);
    std::array<char, 8> message{};
    for (std::size_t i = 0; i < message.size(); ++i)
        message[i] = static_cast<char>(counter >> (56 - 8 * i) & 0xFF);
    // HMAC pads a short key with zeros to the hash's block size; given so, Qt keeps it as it is
    // instead of making a padded copy of its own that nothing would wipe.
    const std::size_t block = HashBlockSize(key.Hash);
    QByteArray keyBytes(static_cast<qsizetype>(std::max(block, key.Secret.size())), '\0');
    std::memcpy(keyBytes.data(), key.Secret.data(), key.Secret.size());
    QByteArray mac = QMessageAuthenticationCode::hash(
        QByteArray(message.data(), static_cast<qsizetype>(message.size())), keyBytes,
        HashAlgorithm(key.Hash));
    WipeByteArray(keyBytes);

    // Dynamic truncation (RFC 4226, 5.3).
    const auto byte = [&](qsizetype i) { return static_cast<std::uint32_t>(mac[i]) & 0xFF; };
    const qsizetype offset = byte(mac.size() - 1) & 0x0F;
    std::uint32_t binary = (byte(offset) & 0x7F) << 24 | byte(offset + 1) << 16 |
                           byte(offset + 2) << 8 | byte(offset + 3);
    WipeByteArray(mac);
    std::string code(static_cast<std::size_t>(key.Digits), '0');
    for (auto digit = code.rbegin(); digit != code.rend(); ++digit) {
        *digit = static_cast<char>('0' + binary % 10);
        binary /= 10;
    }
    SecureZero(&binary, sizeof binary);
    return code;
}

int OtpSecondsLeft(const TOtpKey& key, std::int64_t unixTime) noexcept {
    const std::int64_t now = unixTime < 0 ? 0 : unixTime;
    return key.Period - static_cast<int>(now % key.Period);
}

std::int64_t CurrentUnixTime() {
    return QDateTime::currentSecsSinceEpoch();
}

TOtpReading ReadOtp(std::string_view notes, std::int64_t unixTime) {
    TOtpReading reading;
    TOtpKeyResult found = FindOtpKey(notes);
    if (!found.Key && found.Problem.empty())
        return reading;
    reading.HasKeyLine = true;
    if (!found.Key) {
        reading.Problem = std::move(found.Problem);
        return reading;
    }
    reading.Code = OtpCode(*found.Key, unixTime);
    reading.SecondsLeft = OtpSecondsLeft(*found.Key, unixTime);
    reading.Period = found.Key->Period;
    return reading;
}
