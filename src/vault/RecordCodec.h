#pragma once

// One account and its enciphered one-line form: the four fields enciphered in one CBC chain under
// the master password followed by a fixed suffix, from a fixed IV, in the text form, joined by ";".

#include "base/SecureWipe.h"
#include "cipher/Blowfish.h"
#include "vault/NotesLines.h"

#include <string>
#include <string_view>
#include <vector>

struct TPassRecord {
    std::string Account;
    std::string Login;
    std::string Password;
    std::string Notes; // every notes line followed by ";" (vault/NotesLines.h)

    // The same account: every field the same bytes.
    bool operator==(const TPassRecord&) const = default;
};

// Part of the stored format: files written under other values cannot be read.
inline constexpr const char* RecordKeySuffix = "QXV fill";
inline constexpr const char* RecordIV = "qupewidoKRT52%MvB(/h3nx";

// Each call keys the cipher, runs the chain over the four fields and wipes the cipher.
std::string EncodeRecord(TBlowfish& cipher, const TPassRecord& record,
                         const std::string& masterPassword);
TPassRecord DecodeRecord(TBlowfish& cipher, const std::string& line,
                         const std::string& masterPassword);

// Keys the cipher once for many lines under one master password; every line still starts afresh
// from the record IV, so the lines are exactly those of EncodeRecord and DecodeRecord. The cipher
// is wiped when the object goes, also when an error ends the work.
class TRecordCipher {
public:
    TRecordCipher(TBlowfish& cipher, const std::string& masterPassword);
    // Keys the cipher with the schedule of one that a TRecordCipher keyed, without a schedule of
    // its own: for a second thread reading lines of the same vault.
    TRecordCipher(TBlowfish& cipher, const TBlowfish& keyed);
    ~TRecordCipher();
    TRecordCipher(const TRecordCipher&) = delete;
    TRecordCipher& operator=(const TRecordCipher&) = delete;

    std::string Encode(const TPassRecord& record);
    TPassRecord Decode(std::string_view line);
    // Whether the line (or account name) last decoded ended every field in padding as Encode
    // writes it: a line enciphered under another password nearly never does.
    bool LastDecodeWhole() const noexcept { return FWhole; }
    // The first column of the line that a record of this account name encodes to.
    std::string EncodeAccountName(const std::string& account);
    // The account name alone: the first field starts the chain, so it deciphers without the rest.
    std::string DecodeAccount(std::string_view line);

private:
    TBlowfish& FCipher;
    bool FWhole = true;
};

// The enciphered account name of a line: the text before its first ";", empty when it has none.
std::string AccountColumn(const std::string& line);

// True exactly when DecodeRecord can decipher the line: every field is empty or a text of the
// text form whose byte count is a non-zero multiple of 8. Tells a damaged line without a key.
bool RecordLineReadable(std::string_view line) noexcept;

void WipeRecord(TPassRecord& record) noexcept;
