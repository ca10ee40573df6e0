// TBlowfish: string encryption, the state rules and the errors.

#include "CipherTestData.h"
#include "cipher/Blowfish.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace {

using TMac = std::array<std::uint8_t, 8>;

constexpr const char* KeyLength = "Blowfish: Key must be between 1 and 56 bytes";
constexpr const char* KeyNotSet = "Blowfish: Key not set";
constexpr const char* IVNotSet = "Blowfish: IV not set";
constexpr const char* MacMode = "Blowfish: Mode must be CBC for CBCMAC";
constexpr const char* TooShort = "Blowfish: Input not valid - too short";
constexpr const char* BadChar = "Blowfish: Error converting from Base64 - invalid character";

constexpr std::array<TCipherMode, 4> AllModes{TCipherMode::ECB, TCipherMode::CBC, TCipherMode::CFB,
                                              TCipherMode::OFB};

// Expects `call` to raise exactly `Error` with `message`.
template <typename Error>
void ExpectError(const std::function<void()>& call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "nothing raised, expected \"" << message << "\"";
    } catch (const Error& error) {
        EXPECT_EQ(error.what(), message);
    } catch (const std::exception& other) {
        ADD_FAILURE() << "wrong error: " << other.what();
    }
}

TMac Mac(TBlowfish& cipher) {
    TMac mac;
    cipher.GetCBCMac(mac);
    return mac;
}

TMac MacOf(const std::string& bytes) {
    TMac mac{};
    std::copy_n(bytes.end() - 8, 8, mac.begin());
    return mac;
}

class BlowfishTest : public testing::Test {
protected:
    void Ready(TCipherMode mode = TCipherMode::CBC, const std::string& key = "master QXV fill",
               const std::string& iv = "qupewidoKRT52%MvB(/h3nx") {
        Cipher.SetCipherMode(mode);
        Cipher.SetIV(iv);
        Cipher.SetKey(key);
    }

    std::string Encrypt(const std::string& plain) {
        std::string out;
        Cipher.EncryptString(plain, out);
        return out;
    }

    std::string Decrypt(const std::string& text) {
        std::string out;
        Cipher.DecryptString(text, out);
        return out;
    }

    TBlowfish Cipher;
};

TEST_F(BlowfishTest, LengthsOfTheTextForm) {
    Ready();
    EXPECT_EQ(Encrypt(""), "");
    EXPECT_EQ(Decrypt(""), "");
    for (std::size_t n = 1; n <= 7; ++n)
        EXPECT_EQ(Encrypt(std::string(n, 'x')).size(), 11u) << n;
    EXPECT_EQ(Encrypt(std::string(8, 'x')).size(), 22u);
    EXPECT_EQ(Encrypt(std::string(15, 'x')).size(), 22u);
    EXPECT_EQ(Encrypt(std::string(16, 'x')).size(), 32u);
    EXPECT_EQ(Encrypt(std::string(40, 'x')).size(), 64u);
}

TEST_F(BlowfishTest, WholeBlockGainsABlockOfEights) {
    Ready(TCipherMode::ECB);
    Cipher.SetStringMode(TStringMode::smNormal);
    const std::string bytes = Encrypt("12345678");
    ASSERT_EQ(bytes.size(), 16u);
    // In ECB each block deciphers alone: the second one is all padding.
    const std::string pad = Encrypt(std::string(8, '\x08'));
    EXPECT_EQ(ToHex(bytes.substr(8)), ToHex(pad.substr(0, 8)));
    const std::string tail = Encrypt(std::string("abc") + std::string(5, '\x05'));
    EXPECT_EQ(ToHex(Encrypt("abc")), ToHex(tail.substr(0, 8)));
}

TEST_F(BlowfishTest, OnlyTheLastPaddingByteIsLookedAt) {
    Ready(TCipherMode::ECB);
    Cipher.SetStringMode(TStringMode::smNormal);
    const auto lastBlock = [&](const std::string& block) { return Encrypt(block).substr(0, 8); };
    EXPECT_EQ(Decrypt(lastBlock("abcdefg\x03")), "abcde");
    EXPECT_EQ(Decrypt(lastBlock("abcdefg\x08")), "");
    EXPECT_EQ(Decrypt(lastBlock(std::string("abcdefg\0", 8))), "abcdefg");
    EXPECT_EQ(Decrypt(lastBlock("abcdefg\x09")), "abcdefg");
    EXPECT_EQ(Decrypt(lastBlock("abcdefgh")), "abcdefg");
}

TEST_F(BlowfishTest, FourFieldsRoundTripInEveryModeAndBothStringModes) {
    // Every length from 0 to 40 in every position, empty fields between non-empty ones included.
    for (const TStringMode stringMode : {TStringMode::smEncode, TStringMode::smNormal}) {
        Cipher.SetStringMode(stringMode);
        for (const TCipherMode mode : AllModes) {
            for (std::size_t n = 0; n <= 40; ++n) {
                const std::array<std::size_t, 4> sizes{n, n % 3 ? 0u : 8u, (7 * n) % 41, 40 - n};
                std::array<std::string, 4> fields;
                std::array<std::string, 4> texts;
                for (std::size_t f = 0; f < 4; ++f) {
                    for (std::size_t i = 0; i < sizes[f]; ++i)
                        fields[f] += static_cast<char>(37 * i + 11 * f + 200);
                }
                Ready(mode);
                for (std::size_t f = 0; f < 4; ++f)
                    texts[f] = Encrypt(fields[f]);
                Cipher.Wipe();
                Ready(mode);
                for (std::size_t f = 0; f < 4; ++f) {
                    EXPECT_EQ(texts[f].empty(), fields[f].empty());
                    EXPECT_EQ(ToHex(Decrypt(texts[f])), ToHex(fields[f]))
                        << "mode " << int(mode) << " field " << f << " length " << sizes[f];
                }
                Cipher.Wipe();
            }
        }
    }
}

TEST_F(BlowfishTest, ChainRunsAcrossStringsAndOnlySetIVResetsIt) {
    Ready();
    const std::string first = Encrypt("Account");
    const std::string second = Encrypt("Login");
    Ready();
    EXPECT_EQ(Encrypt("Account"), first);
    EXPECT_EQ(Encrypt("Login"), second);
    Ready();
    EXPECT_NE(Encrypt("Login"), second);
}

TEST_F(BlowfishTest, SecondFieldAloneNeedsTheFirstFieldsLastCipherBlockAsIV) {
    Cipher.SetStringMode(TStringMode::smNormal);
    Ready();
    const std::string account = Encrypt("Bank");
    const std::string login = Encrypt("jdoe");
    Ready();
    const std::string spoiled = Decrypt(login);
    EXPECT_NE(spoiled, "jdoe");
    Cipher.SetIV(account.substr(account.size() - 8));
    EXPECT_EQ(Decrypt(login), "jdoe");
}

TEST_F(BlowfishTest, EmptyStringLeavesTheChainingRegister) {
    Ready();
    Encrypt("something");
    const TMac before = Mac(Cipher);
    EXPECT_EQ(Encrypt(""), "");
    EXPECT_EQ(Mac(Cipher), before);
}

TEST_F(BlowfishTest, CbcMacIsTheIVThenTheLastCipherBlock) {
    Ready(TCipherMode::CBC, "key", "IV12");
    EXPECT_EQ(Mac(Cipher), (TMac{'I', 'V', '1', '2', 0, 0, 0, 0}));
    const std::string text = Encrypt("a longer plain text");
    std::string bytes;
    Cipher.SetStringMode(TStringMode::smNormal);
    Ready(TCipherMode::CBC, "key", "IV12");
    Cipher.EncryptString("a longer plain text", bytes);
    EXPECT_EQ(Mac(Cipher), MacOf(bytes));
    std::string hex;
    Cipher.GetCBCMacHex(hex);
    EXPECT_EQ(hex, ToHex(bytes.substr(bytes.size() - 8)));
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

TEST_F(BlowfishTest, SetIVZeroFillsAndFoldsWithExclusiveOr) {
    Cipher.SetCipherMode(TCipherMode::CBC);
    Cipher.SetKey("k");
    Cipher.SetIV("");
    EXPECT_EQ(Mac(Cipher), TMac{});
    EXPECT_NO_THROW(Encrypt("usable"));
    Cipher.SetIV("\x01\x02\x03\x04\x05\x06\x07\x08\x30");
    EXPECT_EQ(Mac(Cipher), (TMac{0x31, 2, 3, 4, 5, 6, 7, 8}));
    Cipher.SetIV(std::string(16, 'z'));
    EXPECT_EQ(Mac(Cipher), TMac{});
}

TEST_F(BlowfishTest, NewKeyAndModeChangeKeepTheChainingRegister) {
    Ready();
    Encrypt("abc");
    const TMac register_ = Mac(Cipher);
    Cipher.SetKey("another key");
    EXPECT_EQ(Mac(Cipher), register_);
    Cipher.SetCipherMode(TCipherMode::ECB);
    Encrypt("ECB does not move the register");
    Cipher.SetCipherMode(TCipherMode::CBC);
    EXPECT_EQ(Mac(Cipher), register_);
}

TEST_F(BlowfishTest, KeyLengthsOutsideOneTo56AreRefusedAndTheOldKeyStays) {
    Ready(TCipherMode::ECB, "old key");
    const std::string expected = Encrypt("probe");
    const std::uint64_t schedules = KeyScheduleCount();
    ExpectError<EKeyError>([&] { Cipher.SetKey(""); }, KeyLength);
    ExpectError<EKeyError>([&] { Cipher.SetKey(std::string(57, 'k')); }, KeyLength);
    EXPECT_EQ(KeyScheduleCount(), schedules);
    EXPECT_EQ(Encrypt("probe"), expected);
    EXPECT_NO_THROW(Cipher.SetKey(std::string(56, 'k')));
    EXPECT_EQ(KeyScheduleCount(), schedules + 1);
    EXPECT_NE(Encrypt("probe"), expected);
}

TEST_F(BlowfishTest, MissingKeyOrIVRaisesAndLeavesTheOutputAlone) {
    std::string out = "untouched";
    TMac mac{};
    ExpectError<EKeyError>([&] { Cipher.EncryptString("x", out); }, KeyNotSet);
    ExpectError<EKeyError>([&] { Cipher.DecryptString("MK7X", out); }, KeyNotSet);
    Cipher.SetCipherMode(TCipherMode::CBC);
    ExpectError<EKeyError>([&] { Cipher.GetCBCMac(mac); }, KeyNotSet);
    ExpectError<EKeyError>([&] { Cipher.GetCBCMacHex(out); }, KeyNotSet);

    Cipher.SetKey("key");
    for (const TCipherMode mode : {TCipherMode::CBC, TCipherMode::CFB, TCipherMode::OFB}) {
        Cipher.SetCipherMode(mode);
        ExpectError<EKeyError>([&] { Cipher.EncryptString("x", out); }, IVNotSet);
        ExpectError<EKeyError>([&] { Cipher.DecryptString("MK7X", out); }, IVNotSet);
    }
    Cipher.SetCipherMode(TCipherMode::CBC);
    ExpectError<EKeyError>([&] { Cipher.GetCBCMacHex(out); }, IVNotSet);
    EXPECT_EQ(out, "untouched");

    Cipher.SetCipherMode(TCipherMode::ECB);
    EXPECT_NO_THROW(Cipher.EncryptString("ECB needs no IV", out));
    EXPECT_EQ(out.size(), 22u);
}

TEST_F(BlowfishTest, IVWithoutKeyIsNotUsable) {
    Cipher.SetCipherMode(TCipherMode::CBC);
    Cipher.SetIV("iv");
    std::string out = "untouched";
    ExpectError<EKeyError>([&] { Cipher.EncryptString("x", out); }, KeyNotSet);
    EXPECT_EQ(out, "untouched");
}

TEST_F(BlowfishTest, MacOutsideCbcRaisesBeforeTheStateTestAndZeroesTheMac) {
    TMac mac;
    mac.fill(0xAA);
    ExpectError<EKeyError>([&] { Cipher.GetCBCMac(mac); }, MacMode);
    EXPECT_EQ(mac, TMac{});
    Ready(TCipherMode::OFB);
    std::string hex = "untouched";
    ExpectError<EKeyError>([&] { Cipher.GetCBCMacHex(hex); }, MacMode);
    EXPECT_EQ(hex, "untouched");
}

TEST_F(BlowfishTest, WipeRequiresKeyAndIVAgain) {
    Ready();
    Cipher.Wipe();
    std::string out = "untouched";
    ExpectError<EKeyError>([&] { Cipher.EncryptString("x", out); }, KeyNotSet);
    Cipher.SetKey("master QXV fill");
    ExpectError<EKeyError>([&] { Cipher.EncryptString("x", out); }, IVNotSet);
    EXPECT_EQ(Cipher.CipherMode(), TCipherMode::CBC);
    EXPECT_EQ(out, "untouched");
}

// Sees the core and the chaining state that the public interface hides.
class TWipeProbe : public TBlowfish {
public:
    using TBlowfish::Core;
};

TEST(BlowfishWipe, ClearsTheKeySchedule) {
    TWipeProbe cipher;
    const std::array<std::uint32_t, 256> zeros{};
    EXPECT_EQ(cipher.Core().S3, zeros);
    cipher.SetKey("secret");
    std::string out;
    cipher.EncryptString("plain", out);
    EXPECT_NE(cipher.Core().S0, zeros);
    cipher.Wipe();
    const TBlowCore& core = cipher.Core();
    EXPECT_EQ(core.P, (std::array<std::uint32_t, 18>{}));
    EXPECT_EQ(core.S0, zeros);
    EXPECT_EQ(core.S1, zeros);
    EXPECT_EQ(core.S2, zeros);
    EXPECT_EQ(core.S3, zeros);
    EXPECT_EQ(core.Block, (std::array<std::uint8_t, 8>{}));
}

TEST_F(BlowfishTest, DecryptRefusesShortOrBrokenInputAndKeepsTheRegister) {
    Ready();
    Encrypt("move the register");
    const TMac before = Mac(Cipher);
    for (const std::string& text : {std::string("A"), std::string(10, 'A')}) {
        std::string out = "stale";
        ExpectError<EInputError>([&] { Cipher.DecryptString(text, out); }, TooShort);
        EXPECT_EQ(out, "");
    }
    for (const std::string& text :
         {std::string("MK7X="), std::string("MK7X\r\nMK7X"), std::string("MK 7X"),
          std::string("\xE9MK7XMK7XMK7X"), std::string(11, '/')}) {
        std::string out = "stale";
        ExpectError<EConvertError>([&] { Cipher.DecryptString(text, out); }, BadChar);
        EXPECT_EQ(out, "");
    }
    EXPECT_EQ(Mac(Cipher), before);
    EXPECT_NO_THROW(Decrypt(std::string(11, 'A')));
    EXPECT_NE(Mac(Cipher), before);
}

TEST_F(BlowfishTest, DecryptRefusesPartialBlocks) {
    // A damaged field: whole blocks only, nothing read or written past the input.
    Ready();
    Cipher.SetStringMode(TStringMode::smNormal);
    const std::string bytes = Encrypt("sixteen bytes...");
    ASSERT_EQ(bytes.size(), 24u);
    const TMac before = Mac(Cipher);
    for (const std::size_t size : {1u, 7u, 9u, 15u, 23u}) {
        std::string out = "stale";
        ExpectError<EInputError>([&] { Cipher.DecryptString(bytes.substr(0, size), out); },
                                 TooShort);
        EXPECT_EQ(out, "");
    }
    Cipher.SetStringMode(TStringMode::smEncode);
    std::string out = "stale";
    ExpectError<EInputError>([&] { Cipher.DecryptString(std::string(12, 'A'), out); }, TooShort);
    EXPECT_EQ(Mac(Cipher), before);
}

TEST_F(BlowfishTest, WrongKeyRaisesNothingAndShortensByOneToEight) {
    Ready(TCipherMode::CBC, "right key");
    std::array<std::string, 5> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = Encrypt(std::string(8 * i + 3, 'p'));
    for (const char* key : {"wrong key", "right kez", "r"}) {
        Ready(TCipherMode::CBC, key);
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const std::size_t cipherBytes = 8 * (i + 1);
            const std::string plain = Decrypt(texts[i]);
            EXPECT_GE(plain.size() + 8, cipherBytes);
            EXPECT_LT(plain.size(), cipherBytes);
        }
    }
}

TEST_F(BlowfishTest, OutputMayBeTheInputString) {
    for (const TCipherMode mode : AllModes) {
        std::string text = "the same string in and out";
        Ready(mode);
        Cipher.EncryptString(text, text);
        Ready(mode);
        EXPECT_EQ(Decrypt(text), "the same string in and out");
        Ready(mode);
        Cipher.DecryptString(text, text);
        EXPECT_EQ(text, "the same string in and out");
    }
}

// The inner text-form operations.
class TTextForm : public TBlowfish {
public:
    using TBlowfish::DecodeChar;
    using TBlowfish::DecodeText;
    using TBlowfish::EncodeText;
};

TEST(BlowfishTextForm, DecodeCharAcceptsExactlyTheTable) {
    const std::string table = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int byte = 0; byte < 256; ++byte) {
        const char ch = static_cast<char>(byte);
        const auto at = table.find(ch);
        if (at != std::string::npos)
            EXPECT_EQ(TTextForm::DecodeChar(ch), at);
        else
            ExpectError<EConvertError>([&] { TTextForm::DecodeChar(ch); }, BadChar);
    }
}

TEST(BlowfishTextForm, RoundTripsAndIgnoresLeftoverBits) {
    std::string bytes;
    for (std::size_t n = 0; n <= 20; ++n, bytes += static_cast<char>(251 * n)) {
        const std::string text = TTextForm::EncodeText(bytes);
        EXPECT_EQ(text.size(), (4 * n + 2) / 3);
        EXPECT_EQ(TTextForm::DecodeText(text), bytes);
    }
    EXPECT_EQ(TTextForm::DecodeText("MF"), "a"); // "ME" with a stray low bit
    EXPECT_EQ(TTextForm::DecodeText("MK7"), "ab");
    EXPECT_EQ(TTextForm::DecodeText("MK7XM"), "abc");
    // A character outside the form is refused wherever it stands: in a whole group or the rest.
    for (std::size_t at = 0; at < 7; ++at) {
        for (const char wrong : {'/', '\xC1', '\0'}) {
            std::string text = "MK7XMK7";
            text[at] = wrong;
            ExpectError<EConvertError>([&] { TTextForm::DecodeText(text); }, BadChar);
        }
    }
}

} // namespace

TEST(BlowfishKeyCopy, ACopiedScheduleDeciphersAsTheKeyedCipherAndAnUnkeyedOneIsRefused) {
    TBlowfish keyed;
    keyed.SetKey("a master password");
    keyed.SetCipherMode(TCipherMode::CBC);
    keyed.SetIV("an iv");
    std::string enciphered;
    keyed.EncryptString("some text of more than one block", enciphered);
    TBlowfish copy;
    copy.CopyKeyOf(keyed);
    copy.SetCipherMode(TCipherMode::CBC);
    copy.SetIV("an iv");
    std::string plain;
    copy.DecryptString(enciphered, plain);
    EXPECT_EQ(plain, "some text of more than one block");

    TBlowfish unkeyed;
    TBlowfish target;
    EXPECT_THROW(target.CopyKeyOf(unkeyed), EKeyError);
    keyed.Wipe();
    EXPECT_THROW(target.CopyKeyOf(keyed), EKeyError) << "a wiped cipher has no key to give";
}
