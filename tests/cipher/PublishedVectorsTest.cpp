// Standard Blowfish: the published vectors, through the core and through TBlowfish.

#include "CipherTestData.h"
#include "cipher/BlowCore.h"
#include "cipher/Blowfish.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>

namespace {

constexpr const char* Published = "blowfish-published.txt";

struct TBlockVector {
    std::string Key;
    std::string Plain;
    std::string Cipher;
};

std::vector<TBlockVector> EcbVectors() {
    std::vector<TBlockVector> vectors;
    for (const auto& line : ReadSection(Published, "ecb")) {
        const auto words = SplitWords(line);
        EXPECT_EQ(words.size(), 3u) << line;
        if (words.size() == 3)
            vectors.push_back({FromHex(words[0]), FromHex(words[1]), FromHex(words[2])});
    }
    return vectors;
}

std::vector<TBlockVector> SetKeyVectors() {
    std::vector<TBlockVector> vectors;
    for (const auto& line : ReadSection(Published, "set_key")) {
        const auto words = SplitWords(line);
        EXPECT_EQ(words.size(), 2u) << line;
        if (words.size() == 2)
            vectors.push_back({FromHex(words[0]), FromHex("FEDCBA9876543210"), FromHex(words[1])});
    }
    return vectors;
}

std::string RunBlock(TBlowCore& core, const std::string& block, bool encrypt) {
    std::memcpy(core.Block.data(), block.data(), core.Block.size());
    core.LeftHalf = core.Block.data();
    core.RightHalf = core.Block.data() + 4;
    if (encrypt)
        EncryptBlock(core);
    else
        DecryptBlock(core);
    return {core.Block.begin(), core.Block.end()};
}

void ExpectCoreVectors(const std::vector<TBlockVector>& vectors) {
    auto core = std::make_unique<TBlowCore>();
    for (const auto& v : vectors) {
        ExpandKey(*core, reinterpret_cast<const std::uint8_t*>(v.Key.data()), v.Key.size());
        EXPECT_EQ(ToHex(RunBlock(*core, v.Plain, true)), ToHex(v.Cipher)) << "key " << ToHex(v.Key);
        EXPECT_EQ(ToHex(RunBlock(*core, v.Cipher, false)), ToHex(v.Plain))
            << "key " << ToHex(v.Key);
    }
}

// ECB in smNormal: the first block of the result is the vector's; the second is the padding.
void ExpectComponentVectors(const std::vector<TBlockVector>& vectors) {
    TBlowfish cipher;
    cipher.SetStringMode(TStringMode::smNormal);
    for (const auto& v : vectors) {
        cipher.SetKey(v.Key);
        std::string bytes;
        cipher.EncryptString(v.Plain, bytes);
        ASSERT_EQ(bytes.size(), 16u);
        EXPECT_EQ(ToHex(bytes.substr(0, 8)), ToHex(v.Cipher)) << "key " << ToHex(v.Key);
        std::string plain;
        cipher.DecryptString(bytes, plain);
        EXPECT_EQ(ToHex(plain), ToHex(v.Plain));
    }
}

TEST(PublishedVectors, EcbThroughCore) {
    const auto vectors = EcbVectors();
    EXPECT_EQ(vectors.size(), 34u);
    ExpectCoreVectors(vectors);
}

TEST(PublishedVectors, SetKeyThroughCoreForKeysOf1To24Bytes) {
    const auto vectors = SetKeyVectors();
    ASSERT_EQ(vectors.size(), 24u);
    for (std::size_t i = 0; i < vectors.size(); ++i)
        EXPECT_EQ(vectors[i].Key.size(), i + 1);
    ExpectCoreVectors(vectors);
}

TEST(PublishedVectors, EcbThroughComponent) {
    ExpectComponentVectors(EcbVectors());
}

TEST(PublishedVectors, SetKeyThroughComponent) {
    ExpectComponentVectors(SetKeyVectors());
}

class ChainingVectors : public testing::Test {
protected:
    void SetUp() override {
        for (const auto& line : ReadSection(Published, "chaining")) {
            const auto words = SplitWords(line);
            ASSERT_EQ(words.size(), 2u) << line;
            Values[words[0]] = FromHex(words[1]);
        }
        ASSERT_EQ(Values.size(), 6u);
        ASSERT_EQ(Values["data"].size(), 29u);
        Cipher.SetStringMode(TStringMode::smNormal);
        Cipher.SetKey(Values["key"]);
    }

    // Enciphers the first `length` bytes of the (zero-padded) data from the published IV and
    // compares them with the published result; then deciphers the published bytes.
    void ExpectMode(TCipherMode mode, const std::string& name, std::size_t length) {
        std::string data = Values["data"];
        data.resize(32, '\0');
        data.resize(length);
        const std::string expected = Values[name].substr(0, length);

        Cipher.SetCipherMode(mode);
        Cipher.SetIV(Values["iv"]);
        std::string bytes;
        Cipher.EncryptString(data, bytes);
        ASSERT_EQ(bytes.size(), length + 8);
        EXPECT_EQ(ToHex(bytes.substr(0, length)), ToHex(expected));

        // The published bytes carry no padding: their last plain byte (0 or a blank, both outside
        // 1-8) is dropped like a broken padding byte.
        Cipher.SetIV(Values["iv"]);
        std::string plain;
        Cipher.DecryptString(expected, plain);
        EXPECT_EQ(ToHex(plain), ToHex(data.substr(0, length - 1)));
    }

    std::map<std::string, std::string> Values;
    TBlowfish Cipher;
};

TEST_F(ChainingVectors, CbcOverAllFourZeroPaddedBlocks) {
    ExpectMode(TCipherMode::CBC, "cbc", 32);
}

TEST_F(ChainingVectors, Cfb64OverTheFirstThreeBlocks) {
    ExpectMode(TCipherMode::CFB, "cfb64", 24);
}

TEST_F(ChainingVectors, Ofb64OverTheFirstThreeBlocks) {
    ExpectMode(TCipherMode::OFB, "ofb64", 24);
}

} // namespace
