// The Blowfish core: key schedule details, byte order and the round operations.

#include "cipher/BlowCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

std::unique_ptr<TBlowCore> Schedule(const TBytes& buffer, std::size_t length) {
    auto core = std::make_unique<TBlowCore>();
    ExpandKey(*core, buffer.data(), length);
    return core;
}

std::unique_ptr<TBlowCore> Schedule(const TBytes& key) {
    return Schedule(key, key.size());
}

bool SameTables(const TBlowCore& a, const TBlowCore& b) {
    return a.P == b.P && a.S0 == b.S0 && a.S1 == b.S1 && a.S2 == b.S2 && a.S3 == b.S3;
}

bool AllZero(const TBlowCore& core) {
    TBlowCore zero;
    return SameTables(core, zero) && core.Block == zero.Block;
}

TEST(BlowCore, NewCoreHoldsZerosAndInitialTablesStartWithPi) {
    auto core = std::make_unique<TBlowCore>();
    EXPECT_TRUE(AllZero(*core));
    LoadInitialTables(*core);
    EXPECT_EQ(core->P[0], 0x243F6A88u);
    EXPECT_EQ(core->P[17], 0x8979FB1Bu);
    EXPECT_EQ(core->S0[0], 0xD1310BA6u);
    EXPECT_EQ(core->S3[255], 0x3AC372E6u);
}

TEST(BlowCoreKeySchedule, KeyBytesAreUsedCyclicallyAcrossWordBoundaries) {
    // A 1-byte key k is the word k k k k for every P entry, as a 4-byte key k k k k would be.
    EXPECT_TRUE(SameTables(*Schedule({0x5A}), *Schedule({0x5A, 0x5A, 0x5A, 0x5A})));
    // A 3-byte key gives k0 k1 k2 k0, k1 k2 k0 k1, k2 k0 k1 k2, ...: the same words as the key
    // repeated to 12 bytes. Restarting the key at each word would give k0 k1 k2 k0 throughout.
    const TBytes three{0x11, 0x22, 0x33};
    TBytes twelve;
    for (int i = 0; i < 4; ++i)
        twelve.insert(twelve.end(), three.begin(), three.end());
    EXPECT_TRUE(SameTables(*Schedule(three), *Schedule(twelve)));
    EXPECT_FALSE(SameTables(*Schedule(three), *Schedule({0x11, 0x22, 0x33, 0x11})));
}

TEST(BlowCoreKeySchedule, BytesBeyondTheKeyLengthHaveNoEffect) {
    TBytes zeros(256, 0);
    TBytes junk(256, 0xEE);
    for (std::size_t i = 0; i < 5; ++i)
        zeros[i] = junk[i] = static_cast<std::uint8_t>('a' + i);
    EXPECT_TRUE(SameTables(*Schedule(zeros, 5), *Schedule(junk, 5)));
}

TEST(BlowCoreKeySchedule, EveryByteOfA56ByteKeyChangesTheTables) {
    TBytes key(56);
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<std::uint8_t>(7 * i + 1);
    const auto base = Schedule(key);
    for (std::size_t i = 0; i < key.size(); ++i) {
        TBytes changed = key;
        changed[i] ^= 0x80;
        EXPECT_FALSE(SameTables(*base, *Schedule(changed))) << "byte " << i;
    }
}

TEST(BlowCoreKeySchedule, StartsAfreshFromTheInitialTables) {
    auto core = Schedule({1, 2, 3, 4, 5});
    ExpandKey(*core, TBytes{9, 9}.data(), 2);
    EXPECT_TRUE(SameTables(*core, *Schedule({9, 9})));
}

TEST(BlowCoreKeySchedule, CountsEverySchedule) {
    const std::uint64_t before = KeyScheduleCount();
    Schedule({1});
    Schedule({2, 3});
    EXPECT_EQ(KeyScheduleCount() - before, 2u);
}

class BlowCoreBlocks : public testing::Test {
protected:
    void SetUp() override {
        const TBytes key{'K', 'e', 's', 't', 'o', 'v', 'a', 'r'};
        ExpandKey(*Core, key.data(), key.size());
        Core->LeftHalf = Core->Block.data();
        Core->RightHalf = Core->Block.data() + 4;
    }

    std::unique_ptr<TBlowCore> Core = std::make_unique<TBlowCore>();
};

TEST_F(BlowCoreBlocks, HalvesAreBigEndianWords) {
    std::uint32_t left = 0x01020304;
    std::uint32_t right = 0x05060708;
    Core->LeftHalf = reinterpret_cast<std::uint8_t*>(&left);
    Core->RightHalf = reinterpret_cast<std::uint8_t*>(&right);
    EncipherHalves(*Core);

    Core->Block = {1, 2, 3, 4, 5, 6, 7, 8};
    Core->LeftHalf = Core->Block.data();
    Core->RightHalf = Core->Block.data() + 4;
    EncryptBlock(*Core);
    const std::array<std::uint8_t, 8> expected{
        static_cast<std::uint8_t>(left >> 24),  static_cast<std::uint8_t>(left >> 16),
        static_cast<std::uint8_t>(left >> 8),   static_cast<std::uint8_t>(left),
        static_cast<std::uint8_t>(right >> 24), static_cast<std::uint8_t>(right >> 16),
        static_cast<std::uint8_t>(right >> 8),  static_cast<std::uint8_t>(right)};
    EXPECT_EQ(Core->Block, expected);
}

TEST_F(BlowCoreBlocks, DecipherUndoesEncipher) {
    std::uint32_t words[2] = {0xDEADBEEF, 0x00C0FFEE};
    Core->LeftHalf = reinterpret_cast<std::uint8_t*>(&words[0]);
    Core->RightHalf = reinterpret_cast<std::uint8_t*>(&words[1]);
    EncipherHalves(*Core);
    EXPECT_NE(words[0], 0xDEADBEEFu);
    DecipherHalves(*Core);
    EXPECT_EQ(words[0], 0xDEADBEEFu);
    EXPECT_EQ(words[1], 0x00C0FFEEu);

    const std::array<std::uint8_t, 8> plain{0, 1, 2, 3, 0xFC, 0xFD, 0xFE, 0xFF};
    Core->LeftHalf = Core->Block.data();
    Core->RightHalf = Core->Block.data() + 4;
    Core->Block = plain;
    EncryptBlock(*Core);
    EXPECT_NE(Core->Block, plain);
    DecryptBlock(*Core);
    EXPECT_EQ(Core->Block, plain);
}

} // namespace
