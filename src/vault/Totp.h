#pragma once

// One-time codes (TOTP, RFC 6238) from a key kept in an account's notes, in the forms that
// authenticator apps and other password managers write: a line that is a key URI
// ("otpauth://totp/Issuer:ann?secret=JBSWY3DPEHPK3PXP&digits=6"), or "totp:" and the base32
// secret alone (SHA-1, 6 digits, 30 seconds).
//
// Problems are English sentences, for TranslatedMessage where they are shown.

#include "base/SecureWipe.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class TOtpHash { Sha1, Sha256, Sha512 };

// A key: the secret's bytes and how codes are made from them. The secret is wiped when the key
// goes; a key is moved, never copied.
struct TOtpKey {
    std::string Secret;
    TOtpHash Hash = TOtpHash::Sha1;
    int Digits = 6;
    int Period = 30; // seconds

    TOtpKey() = default;
    TOtpKey(TOtpKey&&) noexcept = default;
    TOtpKey(const TOtpKey&) = delete;
    TOtpKey& operator=(const TOtpKey&) = delete;
    TOtpKey& operator=(TOtpKey&&) = delete;
    ~TOtpKey() { WipeString(Secret); }
};

// A key, or why there is none. Both empty: the notes hold no key line.
struct TOtpKeyResult {
    std::optional<TOtpKey> Key;
    std::string Problem;
};

// The limits a key must keep.
inline constexpr int MinOtpDigits = 6;
inline constexpr int MaxOtpDigits = 8;
inline constexpr int MaxOtpPeriod = 86400;

// Base32 as RFC 4648 has it, letters in either case; spaces between groups and "=" padding at the
// end are allowed. Nothing for any other character or a length that no bytes encode to. The
// caller wipes the bytes.
std::optional<std::string> DecodeBase32(std::string_view text);

// A key URI: otpauth://totp/LABEL?secret=...[&algorithm=SHA1|SHA256|SHA512][&digits=6..8]
// [&period=SECONDS]; other parameters (issuer, image) are left alone.
TOtpKeyResult ParseOtpKeyUri(std::string_view uri);
// A bare base32 secret, with the usual SHA-1, 6 digits and 30 seconds.
TOtpKeyResult ParseOtpSecret(std::string_view base32);
// The key of the notes' first key line: a line that is a key URI, or "totp:" followed by a
// secret or a key URI. A malformed first key line gives its problem, not a later line's key.
TOtpKeyResult FindOtpKey(std::string_view notes);

// The code at the time (seconds since 1970, UTC), with its leading zeros. The caller wipes it.
std::string OtpCode(const TOtpKey& key, std::int64_t unixTime);
// Seconds until the code changes, 1 to the period.
int OtpSecondsLeft(const TOtpKey& key, std::int64_t unixTime) noexcept;

// What an account's notes give now: a code, a problem, or nothing (no key line). The code is
// wiped when the reading goes.
struct TOtpReading {
    bool HasKeyLine = false;
    std::string Code;    // empty unless the key is good
    int SecondsLeft = 0; // until Code changes
    int Period = 0;
    std::string Problem; // why a key line gives no code

    TOtpReading() = default;
    TOtpReading(TOtpReading&&) noexcept = default;
    TOtpReading(const TOtpReading&) = delete;
    TOtpReading& operator=(const TOtpReading&) = delete;
    TOtpReading& operator=(TOtpReading&&) = delete;
    ~TOtpReading() { WipeString(Code); }
};
std::int64_t CurrentUnixTime();
TOtpReading ReadOtp(std::string_view notes, std::int64_t unixTime = CurrentUnixTime());
