// DecodeRecord on any line under any master password: the error raised and the field lengths are
// checked against the documented behaviour of the four field texts, the cipher must be wiped
// afterwards, and records made of the line's pieces must encode and decode back whole.
//
// Input: the master password, a line feed, and the record line. Without a line feed the whole
// input is the line and the password is the seeds' one.

#include "CipherChecks.h"
#include "FuzzCheck.h"
#include "FuzzPassword.h"
#include "ReferenceModels.h"
#include "cipher/Blowfish.h"
#include "vault/RecordCodec.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t MaxMasterPasswordLength = 48;

bool SameRecord(const TPassRecord& a, const TPassRecord& b) {
    return a.Account == b.Account && a.Login == b.Login && a.Password == b.Password &&
           a.Notes == b.Notes;
}

void CheckDecode(TBlowfish& cipher, const std::string& line, const std::string& password) {
    const bool keyFits = password.size() <= MaxMasterPasswordLength;
    std::size_t cipherLengths[4];
    const auto expected = reference::DecodeOutcome(line, cipherLengths);

    TPassRecord record;
    bool keyRefused = false;
    auto outcome = reference::TOutcome::Deciphered;
    try {
        record = DecodeRecord(cipher, line, password);
    } catch (const EKeyError& error) {
        keyRefused = true;
        FUZZ_REQUIRE(error.Message() == "Blowfish: Key must be between 1 and 56 bytes");
    } catch (const EConvertError&) {
        outcome = reference::TOutcome::ConvertError;
    } catch (const EInputError&) {
        outcome = reference::TOutcome::InputError;
    }
    RequireWiped(cipher);
    FUZZ_REQUIRE(keyRefused == !keyFits);
    if (keyRefused)
        return;
    FUZZ_REQUIRE(outcome == expected);
    if (outcome != reference::TOutcome::Deciphered)
        return;
    RequireFieldLengths(record, cipherLengths);
}

void CheckRoundTrip(TBlowfish& cipher, const std::string& line, const std::string& password) {
    const auto pieces = reference::SplitRecordLine(line);
    const TPassRecord record{pieces[0], pieces[1], pieces[2], pieces[3]};
    std::string encoded;
    try {
        encoded = EncodeRecord(cipher, record, password);
    } catch (const EKeyError&) {
        FUZZ_REQUIRE(password.size() > MaxMasterPasswordLength);
        RequireWiped(cipher);
        return;
    }
    RequireWiped(cipher);
    FUZZ_REQUIRE(password.size() <= MaxMasterPasswordLength);
    FUZZ_REQUIRE(std::count(encoded.begin(), encoded.end(), ';') == 3);
    const auto texts = reference::SplitRecordLine(encoded);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        FUZZ_REQUIRE(reference::IsText(texts[i]));
        FUZZ_REQUIRE(texts[i].empty() == pieces[i].empty());
    }
    FUZZ_REQUIRE(AccountColumn(encoded) == texts[0]);
    {
        TRecordCipher recordCipher(cipher, password);
        FUZZ_REQUIRE(SameRecord(recordCipher.Decode(encoded), record));
        FUZZ_REQUIRE(recordCipher.Encode(record) == encoded);
        FUZZ_REQUIRE(recordCipher.EncodeAccountName(record.Account) == texts[0]);
    }
    RequireWiped(cipher);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string password =
        newline == std::string::npos ? std::string(FuzzMasterPassword) : input.substr(0, newline);
    const std::string line = newline == std::string::npos ? input : input.substr(newline + 1);

    TBlowfish cipher;
    CheckDecode(cipher, line, password);
    CheckRoundTrip(cipher, line, password);
    return 0;
}
