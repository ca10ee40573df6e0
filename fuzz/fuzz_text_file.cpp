// The text-file reader on any file: every line and every end test must match the documented line
// rules (CR LF or a lone CR ends a line, a lone LF does not, Ctrl-Z bytes with nothing after them
// end the file), and reading must come to an end.

#include "FuzzCheck.h"
#include "ReferenceModels.h"
#include "ScratchFile.h"
#include "platform/PlatformErrors.h"
#include "platform/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = WriteScratchFile(data, size);
    reference::TTextReader model(std::string_view(reinterpret_cast<const char*>(data), size));

    TTextFile file;
    try {
        file.OpenTextForReading(path);
        // Each line read before the end takes at least one byte, so this many reads end it.
        std::size_t readsLeft = size;
        while (!file.TextAtEnd()) {
            FUZZ_REQUIRE(!model.AtEnd());
            FUZZ_REQUIRE(readsLeft-- > 0);
            FUZZ_REQUIRE(file.ReadTextLine() == model.ReadLine());
        }
        FUZZ_REQUIRE(model.AtEnd());
        // At the end the reader stays put and gives empty lines.
        FUZZ_REQUIRE(file.ReadTextLine().empty());
        FUZZ_REQUIRE(file.TextAtEnd());
        file.CloseTextFile();
    } catch (const EInOutError& error) {
        // Documented, but this file exists and may be read.
        FuzzFail(error.what(), __FILE__, __LINE__);
    }
    return 0;
}
