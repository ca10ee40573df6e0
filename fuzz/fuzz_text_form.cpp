// The text form of cipher strings: DecodeText on any input, against the plain restatement of the
// format, and EncodeText back.

#include "FuzzCheck.h"
#include "ReferenceModels.h"
#include "cipher/Blowfish.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The text form belongs to the cipher's inside; a subclass reaches it.
class TTextFormAccess : public TBlowfish {
public:
    using TBlowfish::DecodeText;
    using TBlowfish::EncodeText;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::string bytes;
    try {
        bytes = TTextFormAccess::DecodeText(input);
        FUZZ_REQUIRE(reference::IsText(input));
        FUZZ_REQUIRE(bytes == reference::DecodeText(input));
    } catch (const EConvertError& error) {
        FUZZ_REQUIRE(!reference::IsText(input));
        FUZZ_REQUIRE(std::string_view(error.what()) ==
                     "Blowfish: Error converting from Base64 - invalid character");
    }

    // Whatever decodes encodes back to a text that decodes to the same bytes.
    const std::string text = TTextFormAccess::EncodeText(bytes);
    FUZZ_REQUIRE(text.size() == reference::EncodedTextLength(bytes.size()));
    FUZZ_REQUIRE(TTextFormAccess::DecodeText(text) == bytes);

    // And any bytes go out to the table's characters and come back whole.
    const std::string encoded = TTextFormAccess::EncodeText(input);
    FUZZ_REQUIRE(encoded.size() == reference::EncodedTextLength(input.size()));
    FUZZ_REQUIRE(reference::IsText(encoded));
    FUZZ_REQUIRE(TTextFormAccess::DecodeText(encoded) == input);
    return 0;
}
