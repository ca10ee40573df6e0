#pragma once

// How an open vault reads and writes its record lines: the one seam between TVault and the two
// formats of the data file. Format 1 (ClassicFormat.h) keys Blowfish with the master password for
// every action and writes a check line; format 2 (HardenedFormat.h) holds keys derived once with
// Argon2id in locked memory and writes a sealed header. TVault does the same on both through here.

#include "base/LineSpan.h"
#include "vault/AccountList.h"
#include "vault/Kvf2Keys.h"
#include "vault/RecordCodec.h"

#include <memory>
#include <string>
#include <vector>

enum class TDataFormat { Classic = 1, Hardened = 2 };

// The record lines as opening sees them, by index in file order. The names are wiped when the scan
// goes, unless they were taken out.
struct TNameScan {
    std::vector<TAccountEntry> Accounts;
    std::vector<int> Damaged; // kept as they are, never shown
    std::vector<int> Blank;   // empty lines of format 1: kept, and no account
    std::vector<int> Kept;    // format 2's older lines kept for the way back: never shown

    TNameScan() = default;
    ~TNameScan();
    TNameScan(TNameScan&&) noexcept = default;
    TNameScan& operator=(TNameScan&&) = delete;
    TNameScan(const TNameScan&) = delete;
    TNameScan& operator=(const TNameScan&) = delete;
};

// Accounts read and written under the vault's keys, after one key set-up (format 1: a Blowfish key
// schedule; format 2: none) for as long as the codec lives. One codec per thread.
class TAccountCodec {
public:
    virtual ~TAccountCodec() = default;

    virtual TNameScan ScanNames(TLineSpan lines) = 0;
    // The account name of a line that reads (one that Encode wrote); the caller wipes it.
    virtual std::string DecodeName(std::string_view line) = 0;
    // The whole account of a line. When the line does not read whole, LastDecodeWhole() is false
    // and what came back must never be stored: noise under another password (format 1), or
    // nothing (format 2, whose line failed its check).
    virtual TPassRecord Decode(std::string_view line) = 0;
    virtual bool LastDecodeWhole() const noexcept = 0;
    // A new line for the account.
    virtual std::string Encode(const TPassRecord& record) = 0;
};

// What a format needs beside the password to take a new one: nothing for format 1; for format 2
// the new header and the keys derived for it, where the caller chose to derive them.
struct TNewKeys {
    TKvf2Header Header;
    TKvf2Keys Keys;
};

// The lines that a password change moved to the new keys, and what turns them back.
struct TRecoding {
    std::vector<bool> Recoded;       // by index
    std::vector<std::string> Before; // format 2: the lines as they were
};

class TVaultFormat {
public:
    virtual ~TVaultFormat();
    TVaultFormat(const TVaultFormat&) = delete;
    TVaultFormat& operator=(const TVaultFormat&) = delete;

    virtual TDataFormat Format() const noexcept = 0;
    // The master password, empty while locked. Held as format 1 has always held it, so that a
    // hardened file can be turned back into format 1 under it.
    const std::string& MasterPassword() const noexcept { return FMasterPassword; }
    bool Locked() const noexcept { return FMasterPassword.empty(); }

    // The lines stay in the file's order (format 2) rather than in CompareTextLocale order.
    virtual bool KeepsFileOrder() const noexcept = 0;
    // An account whose line fails when it is shown becomes a damaged line (format 2, whose lines
    // prove themselves) rather than one shown read-only (format 1, where noise looks like data).
    virtual bool FailedAccountIsDamaged() const noexcept = 0;

    // Raises std::logic_error while locked.
    virtual std::unique_ptr<TAccountCodec> Codec() const = 0;
    // The first line that a save of these lines writes: the check line, or a header that seals
    // them. While locked, what Lock made, for the lines as they stood.
    virtual std::string FirstLine(const std::vector<std::string>& lines) const = 0;
    // Whether the data file at path has this vault's first line under its master password;
    // costs no key set-up, and works while locked.
    virtual bool OwnsFile(const std::string& path) const = 0;

    // Wipes the master password and the keys, and keeps what a save of these lines needs.
    virtual void Lock(TLineSpan lines) = 0;
    // Format 1 tests the password against its check line (one key schedule); format 2 needs keys
    // derived from its header. False, still locked, for another password.
    virtual bool Unlock(const std::string& password, TKvf2Keys keys) = 0;

    // The same format under a new password (which must pass NewMasterPasswordProblem).
    virtual std::unique_ptr<TVaultFormat> WithPassword(const std::string& password,
                                                       TNewKeys keys) const = 0;
    // Every line that reads whole here, enciphered under the target's keys in place. Raises with
    // the lines as they were.
    virtual TRecoding Recode(std::vector<std::string>& lines, const TVaultFormat& target) const = 0;
    // Turns back what Recode changed; cannot fail but for memory, which ends the program rather
    // than let lines under two passwords reach the file.
    virtual void RecodeBack(std::vector<std::string>& lines, TRecoding& recoding,
                            const TVaultFormat& target) const noexcept = 0;

protected:
    explicit TVaultFormat(std::string password) : FMasterPassword(std::move(password)) {}
    void RequireUnlocked() const;
    void ForgetPassword() noexcept;
    void TakePassword(const std::string& password) { FMasterPassword = password; }

private:
    std::string FMasterPassword;
};
