// DecryptString on any cipher string, in every chaining and string mode, with keys and IVs of any
// length (also none): the error raised, the plain text's length and the chaining register are
// checked against the documented behaviour, and EncryptString must give the input back.
//
// Input: a flags byte (bits 0-1 the chaining mode, bit 2 raw bytes instead of the text form,
// bit 3 no SetIV, bit 4 no SetKey), a length byte and the key, a length byte and the IV, and the
// rest is the cipher string.

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "ReferenceModels.h"
#include "cipher/Blowfish.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view Untouched = "untouched";
constexpr std::size_t BlockSize = 8;

using TRegister = std::array<std::uint8_t, BlockSize>;

// The chaining register in any mode: a change of mode leaves it alone. Without an IV (ECB only)
// there is no register to read, and zeros stand for it.
TRegister ChainingRegister(TBlowfish& cipher, bool ivSet) {
    if (!ivSet)
        return {};
    const TCipherMode mode = cipher.CipherMode();
    cipher.SetCipherMode(TCipherMode::CBC);
    TRegister value{};
    cipher.GetCBCMac(value);
    cipher.SetCipherMode(mode);
    return value;
}

TRegister LastBlock(const std::string& bytes) {
    TRegister block{};
    for (std::size_t i = 0; i < BlockSize; ++i)
        block[i] = static_cast<std::uint8_t>(bytes[bytes.size() - BlockSize + i]);
    return block;
}

bool MessageIs(const Exception& error, std::string_view message) {
    return error.Message() == message;
}

// After a successful call the register holds the last cipher block in CBC and CFB, is untouched
// in ECB, and in OFB is keystream that only the cipher itself knows.
void CheckRegisterAfter(TCipherMode mode, const TRegister& before, const TRegister& after,
                        const std::string& cipherBytes) {
    if (cipherBytes.empty() || mode == TCipherMode::ECB)
        FUZZ_REQUIRE(after == before);
    else if (mode != TCipherMode::OFB)
        FUZZ_REQUIRE(after == LastBlock(cipherBytes));
}

void CheckRoundTrip(TBlowfish& cipher, const std::string& iv, bool setIV, const std::string& plain,
                    bool textForm) {
    if (setIV)
        cipher.SetIV(iv);
    const TRegister start = ChainingRegister(cipher, setIV);
    std::string enciphered;
    cipher.EncryptString(plain, enciphered);
    if (plain.empty()) {
        FUZZ_REQUIRE(enciphered.empty());
    } else {
        const std::size_t cipherBytes = (plain.size() / BlockSize + 1) * BlockSize;
        FUZZ_REQUIRE(enciphered.size() ==
                     (textForm ? reference::EncodedTextLength(cipherBytes) : cipherBytes));
        FUZZ_REQUIRE(!textForm || reference::IsText(enciphered));
    }
    const std::string bytes = textForm ? reference::DecodeText(enciphered) : enciphered;
    CheckRegisterAfter(cipher.CipherMode(), start, ChainingRegister(cipher, setIV), bytes);

    if (setIV)
        cipher.SetIV(iv);
    std::string back;
    cipher.DecryptString(enciphered, back);
    FUZZ_REQUIRE(back == plain);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::uint8_t flags = input.Byte();
    const auto mode = static_cast<TCipherMode>(flags & 3);
    const bool textForm = (flags & 4) == 0;
    const bool setIV = (flags & 8) == 0;
    const bool setKey = (flags & 16) == 0;
    const std::string key = input.Bytes(input.Byte());
    const std::string iv = input.Bytes(input.Byte());
    const std::string cipherText = input.Rest();

    TBlowfish cipher;
    cipher.SetCipherMode(mode);
    cipher.SetStringMode(textForm ? TStringMode::smEncode : TStringMode::smNormal);
    if (setIV)
        cipher.SetIV(iv);
    bool keySet = false;
    if (setKey) {
        try {
            cipher.SetKey(key);
            keySet = true;
        } catch (const EKeyError& error) {
            FUZZ_REQUIRE(MessageIs(error, "Blowfish: Key must be between 1 and 56 bytes"));
        }
        FUZZ_REQUIRE(keySet == (!key.empty() && key.size() <= 56));
    }

    std::string plain(Untouched);
    if (!keySet || (mode != TCipherMode::ECB && !setIV)) {
        try {
            cipher.DecryptString(cipherText, plain);
            FuzzFail("DecryptString without key or IV raised nothing", __FILE__, __LINE__);
        } catch (const EKeyError& error) {
            FUZZ_REQUIRE(
                MessageIs(error, keySet ? "Blowfish: IV not set" : "Blowfish: Key not set"));
        }
        FUZZ_REQUIRE(plain == Untouched);
        return 0;
    }

    std::string cipherBytes;
    const auto expected = reference::DecryptOutcome(cipherText, textForm, cipherBytes);
    const TRegister before = ChainingRegister(cipher, setIV);
    auto outcome = reference::TOutcome::Deciphered;
    try {
        cipher.DecryptString(cipherText, plain);
    } catch (const EConvertError& error) {
        outcome = reference::TOutcome::ConvertError;
        FUZZ_REQUIRE(
            MessageIs(error, "Blowfish: Error converting from Base64 - invalid character"));
    } catch (const EInputError& error) {
        outcome = reference::TOutcome::InputError;
        FUZZ_REQUIRE(error.Message().starts_with("Blowfish: "));
    }
    FUZZ_REQUIRE(outcome == expected);
    if (outcome == reference::TOutcome::Deciphered) {
        FUZZ_REQUIRE(cipherBytes.empty() ? plain.empty()
                                         : plain.size() < cipherBytes.size() &&
                                               plain.size() + BlockSize >= cipherBytes.size());
        CheckRegisterAfter(mode, before, ChainingRegister(cipher, setIV), cipherBytes);
    } else {
        FUZZ_REQUIRE(plain.empty());
        FUZZ_REQUIRE(ChainingRegister(cipher, setIV) == before);
    }

    // The input as a plain text: enciphered and deciphered from the same IV, it comes back whole.
    CheckRoundTrip(cipher, iv, setIV, cipherText, textForm);
    cipher.Wipe();
    return 0;
}
