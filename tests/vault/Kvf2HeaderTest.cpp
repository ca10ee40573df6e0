// The hardened file's first line: base64url in its one spelling, how a first line tells the
// format, the token rules, and the memory a header may ask for.

#include "vault/Kvf2Header.h"
#include "Kvf2TestSupport.h"
#include "vault/Base64Url.h"
#include "vault/Kvf2Keys.h"

#include <sodium.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

std::string SodiumBase64(const std::string& bytes) {
    std::string text(
        sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_URLSAFE_NO_PADDING), '\0');
    sodium_bin2base64(text.data(), text.size(),
                      reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                      sodium_base64_VARIANT_URLSAFE_NO_PADDING);
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::string Decoded(const std::string& text) {
    std::string bytes(Base64UrlDecodedSize(text.size()), '\0');
    if (!Base64UrlDecode(text, reinterpret_cast<unsigned char*>(bytes.data())))
        throw std::invalid_argument("not canonical: " + text);
    return bytes;
}

TEST(Kvf2Base64, EncodesAsLibsodiumAndDecodesBack) {
    ASSERT_GE(sodium_init(), 0);
    std::mt19937 random(20);
    for (std::size_t length = 0; length <= 70; ++length) {
        SCOPED_TRACE(length);
        std::string bytes(length, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random());
        const std::string text = Base64UrlEncode(bytes);
        EXPECT_EQ(text, SodiumBase64(bytes));
        EXPECT_EQ(Base64UrlDecodedSize(text.size()), length);
        EXPECT_TRUE(Base64UrlCanonical(text));
        EXPECT_EQ(Decoded(text), bytes);
    }
}

TEST(Kvf2Base64, CanonicalIsExactlyWhatDecodesWithAnyByteAnywhere) {
    // Every byte value at every place of texts of every length around sixteen, the width that
    // the check takes at once.
    const std::string text = Base64UrlEncode(std::string(30, '\x5A'));
    for (std::size_t length = 0; length <= text.size(); ++length) {
        for (std::size_t place = 0; place < length; ++place) {
            for (int byte = 0; byte < 256; ++byte) {
                std::string changed = text.substr(0, length);
                changed[place] = static_cast<char>(byte);
                const std::size_t size = Base64UrlDecodedSize(changed.size());
                std::string bytes(size == std::string::npos ? 0 : size, '\0');
                const bool decodes =
                    size != std::string::npos &&
                    Base64UrlDecode(changed, reinterpret_cast<unsigned char*>(bytes.data()));
                if (Base64UrlCanonical(changed) != decodes)
                    FAIL() << testing::PrintToString(changed);
            }
        }
    }
}

TEST(Kvf2Base64, AcceptsOnlyTheTextThatEncodingMakes) {
    const struct {
        const char* Text;
        bool Canonical;
    } cases[] = {
        {"", true},     {"AQ", true},    {"AR", false},     {"AB", false},    {"AAE", true},
        {"AAF", false}, {"AAB", false},  {"A", false},      {"AAAAA", false}, {"AQ==", false},
        {"AQ=", false}, {"+w", false},   {"/w", false},     {"-w", true},     {"_w", true},
        {"A A", false}, {"AA\n", false}, {"AA\xC3", false}, {"____", true},   {"AAAA", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::string text = c.Text;
        EXPECT_EQ(Base64UrlCanonical(text), c.Canonical);
        const std::size_t size = Base64UrlDecodedSize(text.size());
        std::string out(size == std::string::npos ? 0 : size, '\0');
        EXPECT_EQ(size != std::string::npos &&
                      Base64UrlDecode(text, reinterpret_cast<unsigned char*>(out.data())),
                  c.Canonical);
        if (c.Canonical) {
            EXPECT_EQ(Base64UrlEncode(out), text);
        }
    }
}

TKvf2Header SampleHeader() {
    TKvf2Header header;
    header.Params = {2, 16384};
    for (std::size_t i = 0; i < 16; ++i) {
        header.Salt[i] = static_cast<unsigned char>(i);
        header.Id[i] = static_cast<unsigned char>(0xF0 - i);
    }
    for (std::size_t i = 0; i < 32; ++i) {
        header.Check[i] = static_cast<unsigned char>(i * 7);
        header.Seal[i] = static_cast<unsigned char>(255 - i * 3);
    }
    header.LineCount = 5;
    return header;
}

std::vector<std::string> Tokens(const std::string& line) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    for (std::size_t space; (space = line.find(' ', start)) != std::string::npos; start = space + 1)
        tokens.push_back(line.substr(start, space - start));
    tokens.push_back(line.substr(start));
    return tokens;
}

std::string Joined(const std::vector<std::string>& tokens) {
    std::string line;
    for (const std::string& token : tokens)
        line += (line.empty() ? "" : " ") + token;
    return line;
}

TEST(Kvf2Header, IsWrittenTokenByTokenAndReadBack) {
    const TKvf2Header header = SampleHeader();
    const std::string line = FormatKvf2Header(header);
    const std::vector<std::string> tokens = Tokens(line);
    ASSERT_EQ(tokens.size(), 10u);
    EXPECT_EQ(tokens[0], "KVF2");
    EXPECT_EQ(tokens[1], "argon2id");
    EXPECT_EQ(tokens[2], "2");
    EXPECT_EQ(tokens[3], "16384");
    EXPECT_EQ(Decoded(tokens[4]), std::string(header.Salt.begin(), header.Salt.end()));
    EXPECT_EQ(Decoded(tokens[5]), std::string(header.Id.begin(), header.Id.end()));
    EXPECT_EQ(Decoded(tokens[6]), std::string(header.Check.begin(), header.Check.end()));
    EXPECT_EQ(tokens[7], "5");
    EXPECT_EQ(Decoded(tokens[8]), std::string(header.Seal.begin(), header.Seal.end()));
    // SUM: unkeyed BLAKE2b-128 of the text through SEAL.
    const std::string sealed = line.substr(0, line.rfind(' '));
    unsigned char sum[16];
    crypto_generichash(sum, sizeof sum, reinterpret_cast<const unsigned char*>(sealed.data()),
                       sealed.size(), nullptr, 0);
    EXPECT_EQ(Decoded(tokens[9]), std::string(reinterpret_cast<char*>(sum), sizeof sum));
    EXPECT_EQ(Kvf2PasswordText(header), Joined({tokens.begin(), tokens.begin() + 6}));
    EXPECT_EQ(Kvf2SealedText(header), Joined({tokens.begin(), tokens.begin() + 8}));

    const TKvf2HeaderRead read = ReadKvf2FirstLine(line);
    EXPECT_EQ(read.Kind, TFirstLineKind::Format2);
    EXPECT_TRUE(read.TailIntact);
    EXPECT_EQ(read.DeclaredLineCount, 5u);
    EXPECT_EQ(read.Header.Params, header.Params);
    EXPECT_EQ(read.Header.Salt, header.Salt);
    EXPECT_EQ(read.Header.Id, header.Id);
    EXPECT_EQ(read.Header.Check, header.Check);
    EXPECT_EQ(read.Header.LineCount, header.LineCount);
    EXPECT_EQ(read.Header.Seal, header.Seal);
    EXPECT_LE(line.size(), Kvf2HeaderMaxLength);
}

TEST(Kvf2Header, TheFirstLineTellsTheFormat) {
    const std::string sound = FormatKvf2Header(SampleHeader());
    const std::string rest = sound.substr(sound.find(' '));
    const struct {
        std::string Line;
        TFirstLineKind Kind;
    } cases[] = {
        {"", TFirstLineKind::Format1},
        {"0123456789ABCDEF", TFirstLineKind::Format1},
        {"KVF", TFirstLineKind::Format1},
        {"KVF rest", TFirstLineKind::Format1},
        {"KVFX", TFirstLineKind::Format1},
        {"KVF2x" + rest, TFirstLineKind::Format1},
        {"kvf2" + rest, TFirstLineKind::Format1},
        {" " + sound, TFirstLineKind::Format1},
        {"KVF3", TFirstLineKind::OtherVersion},
        {"KVF3" + rest, TFirstLineKind::OtherVersion},
        {"KVF12 anything", TFirstLineKind::OtherVersion},
        {"KVF0", TFirstLineKind::OtherVersion},
        {"KVF99999999999999999999999", TFirstLineKind::OtherVersion},
        {"KVF2 scrypt 2 16384", TFirstLineKind::OtherVersion},
        {"KVF2 argon2i" + rest.substr(9), TFirstLineKind::OtherVersion},
        {"KVF2", TFirstLineKind::DamagedHeader},
        {"KVF2 ", TFirstLineKind::DamagedHeader},
        {"KVF2  argon2id", TFirstLineKind::DamagedHeader},
        {"KVF02" + rest, TFirstLineKind::DamagedHeader},
        {sound.substr(0, 60), TFirstLineKind::DamagedHeader},
        {sound, TFirstLineKind::Format2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        EXPECT_EQ(ReadKvf2FirstLine(c.Line).Kind, c.Kind);
    }
    EXPECT_NE(Kvf2OtherVersionMessage(ReadKvf2FirstLine("KVF3 x")).find("\"KVF3\""),
              std::string::npos);
    EXPECT_NE(
        Kvf2OtherVersionMessage(ReadKvf2FirstLine("KVF2 scrypt\x01")).find("\"KVF2 scrypt?\""),
        std::string::npos);
}

// Token k of a sound header replaced by a text: tokens 1 to 7 breaking a rule make a damaged
// header (no derivation); N, SEAL and SUM breaking one leave the password to decide.
TEST(Kvf2Header, EveryTokenKeepsItsRules) {
    const std::vector<std::string> sound = Tokens(FormatKvf2Header(SampleHeader()));
    const std::string salt = sound[4];
    enum TOutcome { Damaged, TailBroken, Intact };
    const struct {
        std::size_t Token;
        std::string Text;
        TOutcome Outcome;
    } cases[] = {
        {0, "KVF2", Intact},
        {2, "0", Damaged},
        {2, "1", TailBroken}, // keeps its rule, but SUM no longer matches
        {2, "10", TailBroken},
        {2, "11", Damaged},
        {2, "02", Damaged},
        {2, "+2", Damaged},
        {2, "", Damaged},
        {2, "2x", Damaged},
        {3, "8192", TailBroken},
        {3, "1048576", TailBroken},
        {3, "7168", Damaged},
        {3, "1049600", Damaged},
        {3, "9000", Damaged},
        {3, "016384", Damaged},
        {3, "4294967296", Damaged},
        {3, "99999999999", Damaged},
        {4, salt.substr(0, 21), Damaged},
        {4, salt + "A", Damaged},
        {4, salt.substr(0, 21) + "B", Damaged}, // stray bits in the last character
        {4, "+" + salt.substr(1), Damaged},
        {4, salt.substr(1) + "A", TailBroken},
        {5, sound[5].substr(0, 20), Damaged},
        {6, sound[6].substr(0, 42), Damaged},
        {6, sound[6] + "=", Damaged},
        {7, "4", TailBroken},
        {7, "05", TailBroken},
        {7, "-5", TailBroken},
        {7, "2147483647", TailBroken},
        {7, "2147483648", TailBroken},
        {8, sound[8].substr(1), TailBroken},
        {9, sound[9].substr(1) + "A", TailBroken},
        {9, "", TailBroken},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Token) + ": " + c.Text);
        std::vector<std::string> tokens = sound;
        tokens[c.Token] = c.Text;
        const TKvf2HeaderRead read = ReadKvf2FirstLine(Joined(tokens));
        EXPECT_EQ(read.Kind,
                  c.Outcome == Damaged ? TFirstLineKind::DamagedHeader : TFirstLineKind::Format2);
        EXPECT_EQ(read.TailIntact, c.Outcome == Intact);
    }
    // The count of tokens, and the spaces between them.
    const std::string line = Joined(sound);
    const struct {
        std::string Line;
        TOutcome Outcome;
    } shapes[] = {
        {line + " ", TailBroken},
        {line + " x", TailBroken},
        {Joined({sound.begin(), sound.end() - 1}), TailBroken},
        {Joined({sound.begin(), sound.begin() + 7}), TailBroken},
        {Joined({sound.begin(), sound.begin() + 6}), Damaged},
        {Joined({sound.begin(), sound.begin() + 3}) + "  " +
             Joined({sound.begin() + 3, sound.end()}),
         Damaged},
        {Joined({sound.begin(), sound.begin() + 8}) + "  " +
             Joined({sound.begin() + 8, sound.end()}),
         TailBroken},
    };
    for (const auto& c : shapes) {
        SCOPED_TRACE(c.Line);
        const TKvf2HeaderRead read = ReadKvf2FirstLine(c.Line);
        EXPECT_EQ(read.Kind,
                  c.Outcome == Damaged ? TFirstLineKind::DamagedHeader : TFirstLineKind::Format2);
        EXPECT_EQ(read.TailIntact, c.Outcome == Intact);
    }
}

TEST(Kvf2Header, ParametersKeepTheirRanges) {
    const struct {
        TKvf2Params Params;
        bool Valid;
    } cases[] = {
        {{1, 8192}, true},   {{10, 1048576}, true},
        {{3, 524288}, true}, {{0, 8192}, false},
        {{11, 8192}, false}, {{1, 7168}, false},
        {{1, 8704}, false},  {{1, 1049600}, false},
        {{1, 0}, false},     {{4294967295u, 8192}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Params.Passes) + " " + std::to_string(c.Params.MemoryKiB));
        EXPECT_EQ(Kvf2ParamsValid(c.Params), c.Valid);
    }
    EXPECT_TRUE(Kvf2ParamsValid(Kvf2DefaultParams));
}

TEST(Kvf2Header, MemoryAboveHalfTheMachineIsRefusedByItsAmount) {
    constexpr std::uint64_t GiB = 1024ull * 1024 * 1024;
    const struct {
        std::uint32_t MemoryKiB;
        std::uint64_t Physical;
        const char* Named; // nullptr: accepted
    } cases[] = {
        {524288, GiB, nullptr},       {524288, GiB - 4096, "512 MiB"},
        {1048576, 2 * GiB, nullptr},  {1048576, 2 * GiB - 1, "1024 MiB"},
        {1048576, 16 * GiB, nullptr}, {8192, 8 * 1024 * 1024, "8 MiB"},
        {1048576, 0, nullptr}, // the machine does not tell
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.MemoryKiB) + " " + std::to_string(c.Physical));
        const std::string problem = Kvf2MemoryProblem(c.MemoryKiB, c.Physical);
        if (!c.Named) {
            EXPECT_EQ(problem, "");
            continue;
        }
        EXPECT_NE(problem.find(std::string("asks for ") + c.Named), std::string::npos) << problem;
    }
}

} // namespace
