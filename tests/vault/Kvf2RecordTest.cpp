// The hardened file's record lines: a file that the engine writes, taken apart here with
// libsodium's own calls, and every way the format names for a line to be damaged.

#include "vault/Kvf2Record.h"
#include "Kvf2TestSupport.h"
#include "vault/Base64Url.h"

#include <sodium.h>

#include <gtest/gtest.h>

#include <set>

namespace {

const std::string Password = "Correct Horse";

std::string Decoded(std::string_view text) {
    std::string bytes(text.size() * 3 / 4 + 3, '\0');
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), text.data(),
                          text.size(), nullptr, &length, &end,
                          sodium_base64_VARIANT_URLSAFE_NO_PADDING) != 0 ||
        end != text.data() + text.size())
        throw std::invalid_argument("not base64url: " + std::string(text));
    bytes.resize(length);
    return bytes;
}

std::string Encoded(const std::string& bytes) {
    return Base64UrlEncode(bytes);
}

const unsigned char* Bytes(const std::string& text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

std::string LE(std::uint64_t value, int size) {
    std::string bytes;
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>(value >> (8 * i));
    return bytes;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        pieces.push_back(text.substr(start, at - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

// One column deciphered with libsodium directly; throws when its check or padding fails.
std::string OpenColumn(const std::string& key, const std::string& id, const std::string& r,
                       std::uint64_t column, const std::string& text) {
    const std::string cipher = Decoded(text);
    const std::string nonce = r + LE(column, 8);
    const std::string additional = "KVF2" + id + static_cast<char>(column);
    std::string plain(cipher.size(), '\0');
    unsigned long long plainLength = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(plain.data()), &plainLength, nullptr, Bytes(cipher),
            cipher.size(), Bytes(additional), additional.size(), Bytes(nonce), Bytes(key)) != 0)
        throw std::runtime_error("check failed");
    std::size_t unpadded = 0;
    if (sodium_unpad(&unpadded, Bytes(plain), plainLength, 16) != 0)
        throw std::runtime_error("padding");
    EXPECT_EQ(plainLength % 16, 0u);
    EXPECT_EQ(plain[unpadded], '\x80');
    return plain.substr(0, unpadded);
}

// One column enciphered with libsodium directly, over plain bytes padded by the caller.
std::string SealColumn(const unsigned char* key, const TKvf2Id& id, const std::string& r,
                       std::uint64_t column, const std::string& padded) {
    const std::string nonce = r + LE(column, 8);
    const std::string additional =
        "KVF2" + std::string(id.begin(), id.end()) + static_cast<char>(column);
    std::string cipher(padded.size() + 16, '\0');
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        reinterpret_cast<unsigned char*>(cipher.data()), nullptr, Bytes(padded), padded.size(),
        Bytes(additional), additional.size(), nullptr, Bytes(nonce), key);
    return Encoded(cipher);
}

std::string Padded(const std::string& plain) {
    std::string padded = plain + '\x80';
    padded.resize((plain.size() / 16 + 1) * 16, '\0');
    return padded;
}

TEST(Kvf2File, WrittenFileDecodesWithLibsodiumCallsAlone) {
    TTempFolder folder;
    const std::string path = folder.File("own.kvf");
    const TKvf2Session session = MakeSession(Password);
    std::vector<std::string> lines = EncodeAccounts(session, SampleAccounts);
    const std::string keptBytes = "older;line;that;could not be read\x1A\x80";
    lines.push_back(TKvf2Codec(session.Keys(), session.Header().Id).EncodeKept(keptBytes));
    WriteKvf2File(path, session, lines);

    const std::string bytes = ReadBytes(path);
    ASSERT_TRUE(bytes.ends_with("\r\n"));
    std::vector<std::string> fileLines = Split(bytes, '\n');
    ASSERT_EQ(fileLines.back(), "");
    fileLines.pop_back();
    for (std::string& line : fileLines) {
        ASSERT_TRUE(line.ends_with('\r'));
        line.pop_back();
        ASSERT_EQ(line.find('\r'), std::string::npos);
    }
    ASSERT_EQ(fileLines.size(), lines.size() + 1);

    const std::vector<std::string> tokens = Split(fileLines[0], ' ');
    ASSERT_EQ(tokens.size(), 10u);
    EXPECT_EQ(tokens[0], "KVF2");
    EXPECT_EQ(tokens[1], "argon2id");
    EXPECT_EQ(tokens[2], "1");
    EXPECT_EQ(tokens[3], "8192");
    const std::string salt = Decoded(tokens[4]);
    const std::string id = Decoded(tokens[5]);
    ASSERT_EQ(salt.size(), 16u);
    ASSERT_EQ(id.size(), 16u);
    EXPECT_EQ(tokens[7], std::to_string(lines.size()));

    unsigned char a[32];
    ASSERT_EQ(crypto_pwhash(a, 32, Password.data(), Password.size(), Bytes(salt), 1, 8192 * 1024,
                            crypto_pwhash_ALG_ARGON2ID13),
              0);
    std::string keys[3];
    for (std::uint64_t i = 1; i <= 3; ++i) {
        keys[i - 1].resize(32);
        crypto_kdf_derive_from_key(reinterpret_cast<unsigned char*>(keys[i - 1].data()), 32, i,
                                   "KVF2keys", a);
    }
    const auto hash = [](const std::string& key, const std::string& input, std::size_t size) {
        std::string out(size, '\0');
        crypto_generichash(reinterpret_cast<unsigned char*>(out.data()), size, Bytes(input),
                           input.size(), key.empty() ? nullptr : Bytes(key), key.size());
        return out;
    };
    const std::string p = fileLines[0].substr(0, fileLines[0].find(" " + tokens[6]));
    EXPECT_EQ(Decoded(tokens[6]), hash(keys[0], p, 32));
    const std::string h = p + " " + tokens[6] + " " + tokens[7];
    std::string sealed = LE(h.size(), 8) + h;
    for (std::size_t i = 1; i < fileLines.size(); ++i)
        sealed += LE(fileLines[i].size(), 8) + fileLines[i];
    EXPECT_EQ(Decoded(tokens[8]), hash(keys[2], sealed, 32));
    EXPECT_EQ(Decoded(tokens[9]), hash({}, h + " " + tokens[8], 16));

    std::set<std::string> nonces;
    for (std::size_t i = 0; i < SampleAccounts.size(); ++i) {
        SCOPED_TRACE(i);
        const std::vector<std::string> columns = Split(fileLines[i + 1], ';');
        ASSERT_EQ(columns.size(), 3u);
        const std::string r = Decoded(columns[0]);
        ASSERT_EQ(r.size(), 16u);
        nonces.insert(r);
        EXPECT_EQ(OpenColumn(keys[1], id, r, 0, columns[1]), SampleAccounts[i].Account);
        const std::string body = OpenColumn(keys[1], id, r, 1, columns[2]);
        const TPassRecord& account = SampleAccounts[i];
        EXPECT_EQ(body, LE(account.Login.size(), 4) + account.Login +
                            LE(account.Password.size(), 4) + account.Password + account.Notes);
        // A column is bound to its place in the line.
        EXPECT_THROW(OpenColumn(keys[1], id, r, 1, columns[1]), std::runtime_error);
    }
    const std::string& keptLine = fileLines.back();
    ASSERT_EQ(keptLine[0], '~');
    const std::vector<std::string> columns = Split(keptLine.substr(1), ';');
    ASSERT_EQ(columns.size(), 2u);
    nonces.insert(Decoded(columns[0]));
    EXPECT_EQ(OpenColumn(keys[1], id, Decoded(columns[0]), 2, columns[1]), keptBytes);
    EXPECT_EQ(nonces.size(), lines.size()); // every line its own R
}

TEST(Kvf2File, EqualAccountsGiveUnequalLines) {
    const TKvf2Session session = MakeSession(Password);
    const std::string first = session.EncodeAccount(SampleAccounts[0]);
    const std::string second = session.EncodeAccount(SampleAccounts[0]);
    const auto columns = [](const std::string& line) { return Split(line, ';'); };
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_NE(columns(first)[c], columns(second)[c]);
    EXPECT_EQ(session.DecodeAccount(first), session.DecodeAccount(second));
}

TEST(Kvf2File, BodyHoldsTheLengthsThenTheFields) {
    const TPassRecord record{"name", "log", "pass", "n1;n2;"};
    const std::string body = Kvf2Body(record);
    EXPECT_EQ(body, std::string("\x03\0\0\0log\x04\0\0\0passn1;n2;", 21));
    TPassRecord read;
    ASSERT_TRUE(Kvf2ReadBody(body, read));
    EXPECT_EQ(read.Login, "log");
    EXPECT_EQ(read.Password, "pass");
    EXPECT_EQ(read.Notes, "n1;n2;");
    const struct {
        std::string Body;
        bool Whole;
    } cases[] = {
        {std::string(8, '\0'), true},
        {std::string("\x01\0\0\0x\0\0\0\0", 9), true},
        {std::string(7, '\0'), false},
        {std::string("\x01\0\0\0", 4), false},
        {std::string("\0\0\0\0\x05\0\0\0abcd", 12), false},
        {std::string("\xFF\xFF\xFF\xFF", 4) + std::string(8, 'x'), false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Body.size());
        TPassRecord out;
        EXPECT_EQ(Kvf2ReadBody(c.Body, out), c.Whole);
    }
}

// Every way the format names for a record line to be damaged. A damaged name or kept column, or
// a line of neither shape, shows at open; a BODY that fails only when its account is shown.
TEST(Kvf2File, DamagedLinesAreTheOnesTheFormatNames) {
    const TKvf2Session session = MakeSession(Password);
    const TKvf2Session other = MakeSession(Password); // another ID and other keys
    TKvf2Codec codec(session.Keys(), session.Header().Id);
    const unsigned char* key = session.Keys().EncipherKey();
    const TKvf2Id& id = session.Header().Id;
    const std::string r(16, 'r');
    const std::string rText = Encoded(r);
    const std::string name = SealColumn(key, id, r, 0, Padded("name"));
    const std::string body = SealColumn(key, id, r, 1, Padded(Kvf2Body({"", "l", "p", "n;"})));
    const std::string kept = SealColumn(key, id, r, 2, Padded("older line"));
    const std::string sound = rText + ";" + name + ";" + body;
    const std::string soundKept = "~" + rText + ";" + kept;
    const std::string stray = name.substr(0, name.size() - 1) + "B"; // 43 characters: 2 bits unused
    std::string flipped = Decoded(name);
    flipped[5] ^= 0x01;
    std::string tagFlipped = Decoded(body);
    tagFlipped.back() ^= 0x80;

    enum TOpen { Account, Kept, Damaged };
    const struct {
        const char* What;
        std::string Line;
        TOpen AtOpen;
        bool Shown; // DecodeAccount gives the account
    } cases[] = {
        {"sound account", sound, Account, true},
        {"sound kept line", soundKept, Kept, false},
        {"empty line", "", Damaged, false},
        {"no separator", rText, Damaged, false},
        {"two columns", rText + ";" + name, Damaged, false},
        {"four columns", sound + ";" + body, Damaged, false},
        {"empty body", sound.substr(0, sound.size() - body.size()), Damaged, false},
        {"kept line of three columns", "~" + sound, Damaged, false},
        {"account shape marked kept", "~" + rText + ";" + name, Damaged, false},
        {"kept shape unmarked", rText + ";" + kept, Damaged, false},
        {"line ending in a separator", soundKept + ";", Damaged, false},
        {"R of 15 bytes", Encoded(r.substr(1)) + ";" + name + ";" + body, Damaged, false},
        {"R of 18 bytes", Encoded(r + "rr") + ";" + name + ";" + body, Damaged, false},
        {"R not canonical", rText.substr(0, 21) + "h;" + name + ";" + body, Damaged, false},
        {"R with '+'", "+" + rText.substr(1) + ";" + name + ";" + body, Damaged, false},
        {"name not canonical", rText + ";" + stray + ";" + body, Damaged, false},
        {"name with padding", rText + ";" + name + "=;" + body, Damaged, false},
        {"body not canonical", rText + ";" + name + ";" + body.substr(1), Damaged, false},
        {"body with a space", rText + ";" + name + ";" + body + " ", Damaged, false},
        {"name of 16 bytes", rText + ";" + Encoded(std::string(16, 'x')) + ";" + body, Damaged,
         false},
        {"name of 40 bytes",
         rText + ";" + Encoded(Decoded(name) + std::string(8, 'x')) + ";" + body, Damaged, false},
        {"body of 24 bytes", rText + ";" + name + ";" + Encoded(std::string(24, 'x')), Damaged,
         false},
        {"name fails its check", rText + ";" + Encoded(flipped) + ";" + body, Damaged, false},
        {"name under column 1",
         rText + ";" + SealColumn(key, id, r, 1, Padded("name")) + ";" + body, Damaged, false},
        {"name under another ID",
         rText + ";" + SealColumn(key, other.Header().Id, r, 0, Padded("name")) + ";" + body,
         Damaged, false},
        {"name under another key",
         rText + ";" + SealColumn(other.Keys().EncipherKey(), id, r, 0, Padded("name")) + ";" +
             body,
         Damaged, false},
        {"name without padding",
         rText + ";" + SealColumn(key, id, r, 0, std::string(16, 'n')) + ";" + body, Damaged,
         false},
        {"name padded with 0x01",
         rText + ";" + SealColumn(key, id, r, 0, "name" + std::string(12, '\x01')) + ";" + body,
         Damaged, false},
        {"name with a whole block of zeros after its padding",
         rText + ";" + SealColumn(key, id, r, 0, Padded("name") + std::string(16, '\0')) + ";" +
             body,
         Damaged, false}, // the padding is the least that reaches a multiple of 16
        {"body fails its check", rText + ";" + name + ";" + Encoded(tagFlipped), Account, false},
        {"body without padding",
         rText + ";" + name + ";" + SealColumn(key, id, r, 1, std::string(16, '\0')), Account,
         false},
        {"body's login runs past its end",
         rText + ";" + name + ";" +
             SealColumn(key, id, r, 1, Padded(std::string("\x09\0\0\0abc", 7))),
         Account, false},
        {"body's password runs past its end",
         rText + ";" + name + ";" +
             SealColumn(key, id, r, 1, Padded(std::string("\0\0\0\0\x02\0\0\0x", 9))),
         Account, false},
        {"body too short for a length",
         rText + ";" + name + ";" + SealColumn(key, id, r, 1, Padded("abc")), Account, false},
        {"kept column fails its check",
         "~" + rText + ";" + SealColumn(key, id, r, 0, Padded("older line")), Damaged, false},
        {"kept column not canonical", "~" + rText + ";" + kept.substr(1), Damaged, false},
        {"kept line under another ID",
         "~" + rText + ";" + SealColumn(key, other.Header().Id, r, 2, Padded("older line")),
         Damaged, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        std::string readName;
        const TKvf2LineKind kind = codec.ReadName(c.Line, readName);
        EXPECT_EQ(kind, c.AtOpen == Account ? TKvf2LineKind::Account
                        : c.AtOpen == Kept  ? TKvf2LineKind::Kept
                                            : TKvf2LineKind::Damaged);
        EXPECT_EQ(codec.DecodeAccount(c.Line).has_value(), c.Shown);
        EXPECT_EQ(codec.DecodeKept(c.Line).has_value(), c.AtOpen == Kept);
        if (c.AtOpen == Account) {
            EXPECT_EQ(readName, "name");
        }
    }
    EXPECT_EQ(codec.DecodeKept(soundKept), "older line");
    EXPECT_EQ(codec.DecodeAccount(sound), (TPassRecord{"name", "l", "p", "n;"}));
}

} // namespace
