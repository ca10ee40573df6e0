#pragma once

// One hardened data file as an open vault holds it: the header, and the keys while it is unlocked.
// Everything the vault does to the file's lines in this format goes through here: the password
// check, the names for the selector, one account deciphered or enciphered, the seal of the lines
// read, and the first line that a save writes.
//
// The key derivation is not done here: it takes about a second, so the caller runs
// DeriveKvf2Keys (or StartKvf2Derivation) with KeyParams() and Salt() where it chooses, and hands
// the keys in.

#include "vault/AccountList.h"
#include "vault/Kvf2Header.h"
#include "vault/Kvf2Keys.h"
#include "vault/Kvf2Record.h"

#include <optional>
#include <string>
#include <vector>

enum class TKvf2OpenResult {
    Opened,
    WrongPassword,
    DamagedHeader, // SUM, N or SEAL broke a rule and CHECK did not match: the first line changed
};

// The record lines as opening sees them. Accounts are in file order with their line index; their
// names are wiped when the scan goes, unless they were taken out.
struct TKvf2Scan {
    std::vector<TAccountEntry> Accounts;
    std::vector<int> Kept;
    std::vector<int> Damaged;

    TKvf2Scan() = default;
    ~TKvf2Scan();
    TKvf2Scan(TKvf2Scan&&) noexcept = default;
    TKvf2Scan& operator=(TKvf2Scan&&) noexcept;
    TKvf2Scan(const TKvf2Scan&) = delete;
    TKvf2Scan& operator=(const TKvf2Scan&) = delete;
};

// Whether SEAL and N match the lines read; when not, the file was changed outside the program.
struct TKvf2SealVerdict {
    bool Intact = true;
    std::optional<std::uint32_t> DeclaredLines; // N, when the first line holds a readable one
    std::size_t Lines = 0;                      // the record lines in the file
};

// The message for a broken seal, with both counts.
std::string Kvf2BrokenSealMessage(const TKvf2SealVerdict& verdict);

class TKvf2Session {
public:
    TKvf2Session() = default;
    TKvf2Session(TKvf2Session&&) noexcept = default;
    TKvf2Session& operator=(TKvf2Session&&) noexcept = default;
    TKvf2Session(const TKvf2Session&) = delete;
    TKvf2Session& operator=(const TKvf2Session&) = delete;

    // The header of a file about to be written for the first time under new keys (create, upgrade,
    // password change): a new SALT, and a new ID unless the file keeps its own.
    static TKvf2Header NewHeader(const TKvf2Params& params,
                                 const std::optional<TKvf2Id>& keptId = std::nullopt);
    // A file of that header under keys derived from its parameters and SALT; CHECK is made here.
    static TKvf2Session Made(TKvf2Header header, TKvf2Keys keys);
    // Opening a file whose first line read as format 2, under keys derived from that header.
    // Wrong password and damaged header leave the session empty.
    static TKvf2OpenResult Open(const TKvf2HeaderRead& read, TKvf2Keys keys, TKvf2Session& session);

    bool Empty() const noexcept { return !FHasHeader; }
    const TKvf2Header& Header() const noexcept { return FHeader; }
    TKvf2Params KeyParams() const noexcept { return FHeader.Params; }
    const TKvf2Salt& Salt() const noexcept { return FHeader.Salt; }
    bool Locked() const noexcept { return FKeys.Empty(); }
    const TKvf2Keys& Keys() const noexcept { return FKeys; }

    // Names, kept lines and damaged lines of the lines read. Needs the keys. A large vault is
    // shared with another core.
    TKvf2Scan Scan(TLineSpan lines) const;
    // SEAL and N of the first line read against the lines read. Needs the keys.
    TKvf2SealVerdict VerifySeal(const TKvf2HeaderRead& read, TLineSpan lines) const;
    // Both, as opening needs them, the seal on the other core beside part of the names.
    TKvf2Scan ScanAndVerifySeal(const TKvf2HeaderRead& read, TLineSpan lines,
                                TKvf2SealVerdict& verdict) const;
    // A whole account; nothing when its line fails (the line is then damaged).
    std::optional<TPassRecord> DecodeAccount(std::string_view line) const;
    // A new line for the account, with a new R.
    std::string EncodeAccount(const TPassRecord& record) const;

    // The first line that a save of these lines writes: the header with N, SEAL and SUM made for
    // them. While locked, the line made by Lock, which covers the lines as they were then.
    std::string HeaderLine(TLineSpan lines) const;

    // Seals the lines as they stand, keeps that first line for a save while locked, and wipes the
    // keys.
    void Lock(TLineSpan lines);
    // Keys derived again from KeyParams() and Salt(); false, still locked, when CHECK does not
    // match them.
    bool Unlock(TKvf2Keys keys);
    // Wipes the keys and forgets the file.
    void Close() noexcept;

private:
    void RequireKeys() const;
    template <typename TAlso> void ScanWithSeal(TLineSpan lines, TKvf2Scan& scan, TAlso also) const;

    TKvf2Header FHeader;
    bool FHasHeader = false;
    TKvf2Keys FKeys;
    std::string FLockedHeaderLine;
    std::size_t FLockedLineCount = 0;
};
