// The hardened file's keys: Argon2id and the key derivation exactly as libsodium computes them
// when called directly, locked memory that moves and is freed, the derivation on a thread of its
// own, and the defaults.

#include "vault/Kvf2Keys.h"
#include "Kvf2TestSupport.h"
#include "base/Errors.h"
#include "vault/Kvf2Record.h"

#include <sodium.h>

#include <gtest/gtest.h>

namespace {

const std::string Password = "Correct Horse";

TKvf2Salt SaltOf(unsigned char first) {
    TKvf2Salt salt{};
    for (std::size_t i = 0; i < salt.size(); ++i)
        salt[i] = static_cast<unsigned char>(first + i);
    return salt;
}

std::string KeyBytes(const TKvf2Keys& keys) {
    return std::string(reinterpret_cast<const char*>(keys.CheckKey()), 3 * Kvf2KeySize);
}

// K_check || K_enc || K_seal computed here with libsodium's own calls.
std::string DirectKeys(const std::string& password, const TKvf2Params& params,
                       const TKvf2Salt& salt) {
    unsigned char a[32];
    EXPECT_EQ(crypto_pwhash(a, sizeof a, password.data(), password.size(), salt.data(),
                            params.Passes, std::size_t{params.MemoryKiB} * 1024,
                            crypto_pwhash_ALG_ARGON2ID13),
              0);
    std::string keys(96, '\0');
    for (std::uint64_t id = 1; id <= 3; ++id)
        crypto_kdf_derive_from_key(reinterpret_cast<unsigned char*>(keys.data()) + 32 * (id - 1),
                                   32, id, "KVF2keys", a);
    return keys;
}

TEST(Kvf2Keys, AreArgon2idThenTheKeyDerivationOfLibsodium) {
    const struct {
        TKvf2Params Params;
        unsigned char Salt;
    } cases[] = {{{1, 8192}, 0}, {{2, 8192}, 0}, {{1, 9216}, 0}, {{1, 8192}, 1}};
    std::vector<std::string> seen;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Params.Passes) + " " + std::to_string(c.Params.MemoryKiB));
        const TKvf2Keys keys = DeriveKvf2Keys(Password, c.Params, SaltOf(c.Salt));
        ASSERT_FALSE(keys.Empty());
        EXPECT_EQ(KeyBytes(keys), DirectKeys(Password, c.Params, SaltOf(c.Salt)));
        // Every parameter and the salt change the keys, and the three keys differ.
        for (const std::string& other : seen)
            EXPECT_NE(KeyBytes(keys), other);
        seen.push_back(KeyBytes(keys));
        EXPECT_NE(seen.back().substr(0, 32), seen.back().substr(32, 32));
        EXPECT_NE(seen.back().substr(32, 32), seen.back().substr(64, 32));
    }
}

TEST(Kvf2Keys, MoveAndClearLeaveNoKeysBehind) {
    TKvf2Keys keys = DeriveKvf2Keys(Password, SmallParams, SaltOf(0));
    const std::string bytes = KeyBytes(keys);
    TKvf2Keys moved = std::move(keys);
    EXPECT_TRUE(keys.Empty()); // NOLINT(bugprone-use-after-move): what a move leaves is the point
    ASSERT_FALSE(moved.Empty());
    EXPECT_EQ(KeyBytes(moved), bytes);
    TKvf2Keys assigned = DeriveKvf2Keys(Password, SmallParams, SaltOf(1));
    assigned = std::move(moved);
    EXPECT_EQ(KeyBytes(assigned), bytes);
    assigned.Clear();
    EXPECT_TRUE(assigned.Empty());
    // Nothing is checked or sealed with keys that are gone.
    EXPECT_THROW(Kvf2CheckOf(assigned, TKvf2Header{}), std::logic_error);
    EXPECT_THROW(Kvf2SealOf(assigned, "H", {}), std::logic_error);
    EXPECT_THROW(TKvf2Codec(assigned, TKvf2Id{}), std::logic_error);
}

TEST(Kvf2Keys, APasswordThatNoFileCanHoldDerivesNothing) {
    for (const std::string& password : {std::string(), std::string(49, 'x')}) {
        SCOPED_TRACE(password.size());
        EXPECT_THROW(DeriveKvf2Keys(password, SmallParams, SaltOf(0)), EKeyError);
    }
    EXPECT_FALSE(DeriveKvf2Keys(std::string(48, 'x'), SmallParams, SaltOf(0)).Empty());
    EXPECT_THROW(DeriveKvf2Keys(Password, {1, 4096}, SaltOf(0)), EKvf2Refusal);
    EXPECT_THROW(DeriveKvf2Keys(Password, {0, 8192}, SaltOf(0)), EKvf2Refusal);
}

TEST(Kvf2Keys, ADerivationOnItsOwnThreadKeepsItsOwnPassword) {
    std::string password = Password;
    std::future<TKvf2Keys> started = StartKvf2Derivation(password, SmallParams, SaltOf(0));
    WipeString(password); // the caller's copy goes at once
    const TKvf2Keys keys = started.get();
    EXPECT_EQ(KeyBytes(keys), DirectKeys(Password, SmallParams, SaltOf(0)));

    // Errors come through the future.
    std::future<TKvf2Keys> refused = StartKvf2Derivation("", SmallParams, SaltOf(0));
    EXPECT_THROW(refused.get(), EKeyError);
}

TEST(Kvf2Keys, AnAbandonedDerivationLeavesTheNextOneWhole) {
    // Dropped, most likely unfinished: the thread ends on its own and frees its keys.
    StartKvf2Derivation(Password, {3, 65536}, SaltOf(0));
    const TKvf2Keys keys = StartKvf2Derivation(Password, SmallParams, SaltOf(2)).get();
    EXPECT_EQ(KeyBytes(keys), DirectKeys(Password, SmallParams, SaltOf(2)));
}

TEST(Kvf2Keys, CheckIsTheKeyedHashOfThePasswordTextComparedWhole) {
    TKvf2Header header = TKvf2Session::NewHeader(SmallParams);
    const TKvf2Keys keys = DeriveKvf2Keys(Password, header.Params, header.Salt);
    header.Check = Kvf2CheckOf(keys, header);
    const std::string text = Kvf2PasswordText(header);
    unsigned char check[32];
    crypto_generichash(check, sizeof check, reinterpret_cast<const unsigned char*>(text.data()),
                       text.size(), keys.CheckKey(), 32);
    EXPECT_EQ(std::string(header.Check.begin(), header.Check.end()),
              std::string(reinterpret_cast<char*>(check), sizeof check));
    EXPECT_TRUE(Kvf2PasswordMatches(keys, header));
    for (const std::size_t byte : {std::size_t{0}, std::size_t{31}}) {
        SCOPED_TRACE(byte);
        TKvf2Header changed = header;
        changed.Check[byte] ^= 1;
        EXPECT_FALSE(Kvf2PasswordMatches(keys, changed));
    }
    // CHECK binds T, M, SALT and ID.
    TKvf2Header otherId = header;
    otherId.Id[0] ^= 1;
    EXPECT_FALSE(Kvf2PasswordMatches(keys, otherId));
    TKvf2Header otherPasses = header;
    otherPasses.Params.Passes = 2;
    EXPECT_FALSE(Kvf2PasswordMatches(keys, otherPasses));
}

// The one derivation at the defaults: three passes over 512 MiB.
TEST(Kvf2Keys, NewFilesUseTheDefaults) {
    EXPECT_EQ(Kvf2DefaultParams, (TKvf2Params{3, 524288}));
    TTempFolder folder;
    const std::string path = folder.File("defaults.kvf");
    const TKvf2Session session = MakeSession(Password, Kvf2DefaultParams);
    WriteKvf2File(path, session, EncodeAccounts(session, {SampleAccounts[0]}));
    const std::string bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.starts_with("KVF2 argon2id 3 524288 ")) << bytes;
    const TKvf2HeaderRead read = ReadKvf2FirstLineOf(path);
    EXPECT_TRUE(read.TailIntact);
    EXPECT_TRUE(Kvf2PasswordMatches(session.Keys(), read.Header));
}

} // namespace
