// The whole load of a data file, as the program does it: the password check against the first
// line, the record lines, and every line decoded. The seeds are files made under the fixed
// password, so mutations get past the check and reach the records.

#include "CipherChecks.h"
#include "FuzzCheck.h"
#include "FuzzPassword.h"
#include "ReferenceModels.h"
#include "ScratchFile.h"
#include "cipher/Blowfish.h"
#include "platform/PlatformErrors.h"
#include "vault/DataFile.h"
#include "vault/RecordCodec.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string& FixedCheckLine() {
    static const std::string checkLine = [] {
        TBlowfish cipher;
        return MakeCheckLine(cipher, FuzzMasterPassword);
    }();
    return checkLine;
}

void DecodeEveryLine(TBlowfish& cipher, const std::vector<std::string>& lines,
                     const std::string& password) {
    for (const auto& line : lines) {
        std::size_t cipherLengths[4];
        const auto expected = reference::DecodeOutcome(line, cipherLengths);
        auto outcome = reference::TOutcome::Deciphered;
        try {
            TPassRecord record = DecodeRecord(cipher, line, password);
            RequireFieldLengths(record, cipherLengths);
            WipeRecord(record);
        } catch (const EConvertError&) {
            outcome = reference::TOutcome::ConvertError;
        } catch (const EInputError&) {
            outcome = reference::TOutcome::InputError;
        }
        FUZZ_REQUIRE(outcome == expected);
        RequireWiped(cipher);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string password = FuzzMasterPassword;
    const std::string& path = WriteScratchFile(data, size);

    reference::TTextReader model(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string firstLine = model.ReadLine();
    std::vector<std::string> expectedLines;
    while (!model.AtEnd())
        expectedLines.push_back(model.ReadLine());

    TBlowfish cipher;
    try {
        const bool opens = CheckPassword(cipher, path, password);
        RequireWiped(cipher);
        FUZZ_REQUIRE(opens == (firstLine == FixedCheckLine()));
        if (!opens)
            return 0;
        const std::vector<std::string> lines = ReadDataFile(path);
        FUZZ_REQUIRE(lines == expectedLines);
        DecodeEveryLine(cipher, lines, password);
    } catch (const EInOutError& error) {
        // Documented, but this file exists and may be read.
        FuzzFail(error.what(), __FILE__, __LINE__);
    }
    return 0;
}
