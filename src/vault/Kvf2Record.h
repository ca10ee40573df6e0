#pragma once

// The hardened file's record lines and its seal.
//
//     account:    R;NAME;BODY
//     kept line:  ~R;KEPT
//
// R is 16 random bytes, new whenever any column of the line changes. Column c (0 NAME, 1 BODY,
// 2 KEPT) is XChaCha20-Poly1305 under K_enc with the nonce R || LE64(c) and the additional data
// "KVF2" || ID || byte(c), over the bytes padded to 16 (ISO/IEC 7816-4). BODY holds
// LE32(len login) || login || LE32(len password) || password || notes; KEPT a whole line of the
// older format that could not be read when the file was converted, kept for the way back.

#include "base/LineSpan.h"
#include "vault/AccountList.h"
#include "vault/Kvf2Header.h"
#include "vault/Kvf2Keys.h"
#include "vault/RecordCodec.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TKvf2LineKind { Account, Kept, Damaged };

// Enciphers and deciphers record lines under one file's keys and ID. The keys must outlive it.
// One object per thread: it keeps scratch room, wiped when it goes.
class TKvf2Codec {
public:
    TKvf2Codec(const TKvf2Keys& keys, const TKvf2Id& id);
    ~TKvf2Codec();
    TKvf2Codec(const TKvf2Codec&) = delete;
    TKvf2Codec& operator=(const TKvf2Codec&) = delete;

    // A new line with a new R.
    std::string EncodeAccount(const TPassRecord& record);
    std::string EncodeKept(std::string_view olderLine);

    // What opening needs of a line. For an account, its name: the line's shape, R, the text and
    // length of NAME and BODY, and NAME's check and padding are tested; BODY is deciphered only
    // when the account is shown. A kept line is deciphered whole. Anything else is damaged.
    TKvf2LineKind ReadName(std::string_view line, std::string& name);
    // The whole account, or nothing when the line is no account or any column fails.
    std::optional<TPassRecord> DecodeAccount(std::string_view line);
    // The kept line's bytes, or nothing when the line is no kept line or its column fails.
    std::optional<std::string> DecodeKept(std::string_view line);
    // The same account or kept line enciphered under the target's keys with a new R, for a new
    // password; nothing when the line fails here (it is then damaged, and stays as it is).
    std::optional<std::string> EncodeAnew(std::string_view line, TKvf2Codec& target);

private:
    std::string EncodeLine(bool kept, std::string_view first, std::string_view second);
    void AppendColumn(std::string& line, const unsigned char* nonceStart, std::uint64_t column,
                      std::string_view plain);
    bool OpenColumn(std::string_view text, const unsigned char* r, std::uint64_t column,
                    std::string& plain);

    const TKvf2Keys& FKeys;
    TKvf2Id FId;
    // The R of the next lines, fetched many at a time: one system call per line would cost as
    // much as enciphering it. R is no secret; it only must never repeat.
    void NextR(unsigned char* r);

    std::string FPadded; // plain bytes with their padding, wiped after every use
    std::string FCipher; // enciphered bytes of one column
    std::array<unsigned char, 64 * 16> FRandom{};
    std::size_t FRandomUsed = 64 * 16;
};

// The BODY column's plain bytes of an account, and back; nothing when the lengths run past the end.
std::string Kvf2Body(const TPassRecord& record);
bool Kvf2ReadBody(std::string_view body, TPassRecord& record);

// SEAL: BLAKE2b-256 under K_seal of LE64(len H) || H, then LE64(len line) || line for every
// record line in file order.
TKvf2Digest Kvf2SealOf(const TKvf2Keys& keys, std::string_view sealedText, TLineSpan lines);
