#pragma once

// Helpers shared by the hardened-format tests: small key derivation parameters, sessions made
// under them, and files written and read back through the engine.

#include "VaultTestSupport.h"
#include "vault/Kvf2File.h"
#include "vault/Kvf2Session.h"
#include "vault/RecordCodec.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

// The tests derive at 8 MiB and one pass; one test checks the defaults.
inline constexpr TKvf2Params SmallParams{1, 8192};

inline std::ostream& operator<<(std::ostream& out, const TPassRecord& r) {
    return out << '{' << r.Account << '|' << r.Login << '|' << r.Password << '|' << r.Notes << '}';
}

// A new file's session under the password.
inline TKvf2Session MakeSession(const std::string& password,
                                const TKvf2Params& params = SmallParams) {
    TKvf2Header header = TKvf2Session::NewHeader(params);
    TKvf2Keys keys = DeriveKvf2Keys(password, params, header.Salt);
    return TKvf2Session::Made(header, std::move(keys));
}

inline std::vector<std::string> EncodeAccounts(const TKvf2Session& session,
                                               const std::vector<TPassRecord>& records) {
    std::vector<std::string> lines;
    for (const TPassRecord& record : records)
        lines.push_back(session.EncodeAccount(record));
    return lines;
}

// The accounts of an opened file in file order, each deciphered whole; a line that fails counts
// as an account of the name "<damaged>".
inline std::vector<TPassRecord> AccountsOf(const TKvf2OpenedFile& file) {
    std::vector<TPassRecord> records;
    for (const TAccountEntry& entry : file.Scan.Accounts) {
        const auto record = file.Session.DecodeAccount(file.Text.Lines[entry.Line]);
        records.push_back(record ? *record : TPassRecord{"<damaged>", {}, {}, {}});
    }
    return records;
}

inline const std::vector<TPassRecord> SampleAccounts = {
    {"Bank", "jdoe", "pw", "x;y;"},
    {"Mail", "", "hunter2", ""},
    {"", "", "", ""},
    {"Caf\xE9", "me@example.org", std::string(40, '*'), "line one;;last;"},
    {std::string(200, 'n'), std::string(33, 'l'), std::string(48, 'p'), std::string(500, ';')},
};
