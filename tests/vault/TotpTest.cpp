// One-time codes: the published vectors for every hash, the key URIs and secrets that other apps
// write (and the malformed ones they must refuse), and the key found in an account's notes.

#include "vault/Totp.h"

#include <gtest/gtest.h>

namespace {

// The seeds of RFC 6238's appendix B, in base32 as a key URI carries them.
constexpr const char* Sha1Seed = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ";
constexpr const char* Sha256Seed = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZA====";
constexpr const char* Sha512Seed = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQ"
                                   "OJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNA=";

TOtpKey KeyOf(const std::string& uri) {
    TOtpKeyResult parsed = ParseOtpKeyUri(uri);
    EXPECT_TRUE(parsed.Key) << uri << ": " << parsed.Problem;
    return parsed.Key ? std::move(*parsed.Key) : TOtpKey();
}

TEST(Totp, GivesTheCodesOfRfc6238ForEveryHash) {
    const struct {
        std::int64_t time;
        const char* sha1;
        const char* sha256;
        const char* sha512;
    } vectors[] = {
        {59, "94287082", "46119246", "90693936"},
        {1111111109, "07081804", "68084774", "25091201"},
        {1111111111, "14050471", "67062674", "99943326"},
        {1234567890, "89005924", "91819424", "93441116"},
        {2000000000, "69279037", "90698825", "38618901"},
        {20000000000, "65353130", "77737706", "47863826"},
    };
    const std::string common = "otpauth://totp/RFC:test?digits=8&period=30&secret=";
    const TOtpKey sha1 = KeyOf(common + Sha1Seed + "&algorithm=SHA1");
    const TOtpKey sha256 = KeyOf(common + Sha256Seed + "&algorithm=SHA256");
    const TOtpKey sha512 = KeyOf(common + Sha512Seed + "&algorithm=SHA512");
    EXPECT_EQ(sha1.Secret, "12345678901234567890");
    EXPECT_EQ(sha512.Secret.size(), 64u);
    for (const auto& v : vectors) {
        SCOPED_TRACE(v.time);
        EXPECT_EQ(OtpCode(sha1, v.time), v.sha1);
        EXPECT_EQ(OtpCode(sha256, v.time), v.sha256);
        EXPECT_EQ(OtpCode(sha512, v.time), v.sha512);
    }
}

// RFC 4226's appendix D: six digits, counters 0 to 9, which a period of one second reaches at
// the times 0 to 9.
TEST(Totp, TruncatesToSixDigitsAsRfc4226Does) {
    const TOtpKey key = KeyOf(std::string("otpauth://totp/x?period=1&secret=") + Sha1Seed);
    const char* expected[] = {"755224", "287082", "359152", "969429", "338314",
                              "254676", "287922", "162583", "399871", "520489"};
    for (int counter = 0; counter < 10; ++counter)
        EXPECT_EQ(OtpCode(key, counter), expected[counter]) << counter;
}

TEST(Totp, SecondsLeftCountDownToTheNextPeriod) {
    TOtpKey key;
    const struct {
        int period;
        std::int64_t time;
        int left;
    } cases[] = {{30, 0, 30}, {30, 29, 1}, {30, 30, 30}, {30, 59, 1}, {60, 1111111109, 31}};
    for (const auto& c : cases) {
        key.Period = c.period;
        EXPECT_EQ(OtpSecondsLeft(key, c.time), c.left) << c.period << " " << c.time;
    }
}

TEST(Totp, KeyUrisAndSecretsAreReadOrRefusedWithTheReason) {
    const struct {
        const char* text; // a key URI, or else a bare secret
        const char* secret;
        TOtpHash hash;
        int digits;
        int period;
        const char* problem; // empty for a good key
    } cases[] = {
        // Good: what authenticator apps and other password managers write.
        {"otpauth://totp/ACME%20Co:ann@example.com?secret=MZXW6YTBOI&issuer=ACME%20Co", "foobar",
         TOtpHash::Sha1, 6, 30, ""},
        {"otpauth://totp/x?secret=mzxw6ytboi&algorithm=sha256&digits=7&period=60", "foobar",
         TOtpHash::Sha256, 7, 60, ""},
        {"OTPAUTH://TOTP/x?SECRET=MZXW6YTB&ALGORITHM=SHA512&DIGITS=8", "fooba", TOtpHash::Sha512, 8,
         30, ""},
        {"otpauth://totp?secret=MZXW6===", "foo", TOtpHash::Sha1, 6, 30, ""},
        {"otpauth://totp/x?secret=MZXW%206YQ%3D&image=https://x/i.png#frag", "foob", TOtpHash::Sha1,
         6, 30, ""},
        {"MZXW 6YTB OI", "foobar", TOtpHash::Sha1, 6, 30, ""},
        {"my======", "f", TOtpHash::Sha1, 6, 30, ""},
        // Malformed.
        {"otpauth://hotp/x?secret=MZXW6YTBOI&counter=1", "", TOtpHash::Sha1, 0, 0,
         "Only time-based one-time keys (otpauth://totp/) are supported"},
        {"otpauth://totp/x", "", TOtpHash::Sha1, 0, 0, "The one-time key has no secret"},
        {"otpauth://totp/x?issuer=a", "", TOtpHash::Sha1, 0, 0, "The one-time key has no secret"},
        {"otpauth://totp/x?secret=", "", TOtpHash::Sha1, 0, 0, "The one-time key has no secret"},
        {"otpauth://totp/x?secret=MZXW1YTB", "", TOtpHash::Sha1, 0, 0, "is not base32"},
        {"otpauth://totp/x?secret=MZXW6Y", "", TOtpHash::Sha1, 0, 0, "is not base32"},
        {"otpauth://totp/x?secret=MZ=XW6YTB", "", TOtpHash::Sha1, 0, 0, "is not base32"},
        {"otpauth://totp/x?secret=====", "", TOtpHash::Sha1, 0, 0, "is not base32"},
        {"otpauth://totp/x?secret=MZXW6%3", "", TOtpHash::Sha1, 0, 0, "malformed %-escape"},
        {"otpauth://totp/x?secret=MZXW6%G1", "", TOtpHash::Sha1, 0, 0, "malformed %-escape"},
        {"otpauth://totp/x?secret=MZXW6&secret=MZXW6", "", TOtpHash::Sha1, 0, 0, "twice"},
        {"otpauth://totp/x?secret=MZXW6&algorithm=MD5", "", TOtpHash::Sha1, 0, 0,
         "algorithm is not SHA1, SHA256 or SHA512"},
        {"otpauth://totp/x?secret=MZXW6&digits=5", "", TOtpHash::Sha1, 0, 0, "not 6, 7 or 8"},
        {"otpauth://totp/x?secret=MZXW6&digits=9", "", TOtpHash::Sha1, 0, 0, "not 6, 7 or 8"},
        {"otpauth://totp/x?secret=MZXW6&digits=+6", "", TOtpHash::Sha1, 0, 0, "not 6, 7 or 8"},
        {"otpauth://totp/x?secret=MZXW6&period=0", "", TOtpHash::Sha1, 0, 0,
         "period is not 1 to 86400"},
        {"otpauth://totp/x?secret=MZXW6&period=86401", "", TOtpHash::Sha1, 0, 0,
         "period is not 1 to 86400"},
        {"otpauth://totp/x?secret=MZXW6&period=-30", "", TOtpHash::Sha1, 0, 0,
         "period is not 1 to 86400"},
        {"otpauth://totp/x?secret=MZXW6&period=99999999999", "", TOtpHash::Sha1, 0, 0,
         "period is not 1 to 86400"},
        {"", "", TOtpHash::Sha1, 0, 0, "The one-time key has no secret"},
        {"hello, world", "", TOtpHash::Sha1, 0, 0, "is not base32"},
        {"MZXW6\xE9", "", TOtpHash::Sha1, 0, 0, "is not base32"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string_view text = c.text;
        const TOtpKeyResult result =
            text.substr(0, 10) == "otpauth://" || text.substr(0, 10) == "OTPAUTH://"
                ? ParseOtpKeyUri(text)
                : ParseOtpSecret(text);
        if (*c.problem == '\0') {
            ASSERT_TRUE(result.Key) << result.Problem;
            EXPECT_TRUE(result.Problem.empty());
            EXPECT_EQ(result.Key->Secret, c.secret);
            EXPECT_EQ(result.Key->Hash, c.hash);
            EXPECT_EQ(result.Key->Digits, c.digits);
            EXPECT_EQ(result.Key->Period, c.period);
        } else {
            EXPECT_FALSE(result.Key);
            EXPECT_NE(result.Problem.find(c.problem), std::string::npos) << result.Problem;
        }
    }
}

TEST(Totp, Base32DecodesEveryTailLengthOfRfc4648) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"MY", "f"},
        {"MZXQ", "fo"},
        {"MZXW6", "foo"},
        {"MZXW6YQ", "foob"},
        {"MZXW6YTB", "fooba"},
        {"MZXW6YTBOI", "foobar"},
        {"mzxw6ytboi======", "foobar"},
    };
    for (const auto& [text, bytes] : cases) {
        const std::optional<std::string> decoded = DecodeBase32(text);
        ASSERT_TRUE(decoded) << text;
        EXPECT_EQ(*decoded, bytes) << text;
    }
    for (const char* bad : {"M", "MZX", "MZXW6Y", "MZXW6YTB0", "MZ-XW", "MY=A"})
        EXPECT_FALSE(DecodeBase32(bad)) << bad;
}

TEST(Totp, TheFirstKeyLineOfTheNotesGivesTheCode) {
    const std::string uri = std::string("otpauth://totp/x?digits=8&secret=") + Sha1Seed;
    const struct {
        std::string notes;
        bool keyLine;
        const char* code; // at 59 s, or empty
        const char* problem;
    } cases[] = {
        {"", false, "", ""},
        {"user ann;https://example.com;", false, "", ""},
        {"first;  " + uri + "  ;last;", true, "94287082", ""},
        {"TOTP: " + std::string(Sha1Seed) + ";", true, "287082", ""},
        {"totp:" + uri + ";", true, "94287082", ""},
        // The window shows no text after the last ";", and neither is it read.
        {"note;" + uri, false, "", ""},
        // A key inside a sentence is not a key line.
        {"my key is " + uri + ";", false, "", ""},
        {"totpx: " + std::string(Sha1Seed) + ";", false, "", ""},
        // The first key line counts, also when it is malformed.
        {"totp: not base32!;" + uri + ";", true, "", "is not base32"},
        {"otpauth://totp/x?secret=MZXW6&digits=10;", true, "", "not 6, 7 or 8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notes);
        const TOtpReading reading = ReadOtp(c.notes, 59);
        EXPECT_EQ(reading.HasKeyLine, c.keyLine);
        EXPECT_EQ(reading.Code, c.code);
        EXPECT_NE(reading.Problem.find(c.problem), std::string::npos) << reading.Problem;
        EXPECT_EQ(reading.Problem.empty(), *c.problem == '\0');
        if (*c.code) {
            EXPECT_EQ(reading.SecondsLeft, 1);
            EXPECT_EQ(reading.Period, 30);
        }
    }
}

} // namespace
