#pragma once

// TBlowfish: string encryption on top of the Blowfish core. Keys and initialisation vectors are
// taken from byte strings; four chaining modes; padding to whole blocks; an optional 64-character
// text form of the cipher bytes; the CBC-MAC; and wiping of the key schedule.
//
// Calling order: set the modes, SetIV and SetKey (either order), then any number of
// EncryptString/DecryptString calls, each going on from the chaining register where the previous
// one left it, then GetCBCMac if wanted, last Wipe.

#include "base/Errors.h"
#include "cipher/BlowCore.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

enum class TCipherMode : std::uint8_t { ECB, CBC, CFB, OFB };

// smEncode: cipher strings are in the text form; smNormal: they are the raw cipher bytes.
enum class TStringMode : std::uint8_t { smEncode, smNormal };

class TBlowfish {
public:
    TBlowfish();
    ~TBlowfish();
    TBlowfish(const TBlowfish&) = delete;
    TBlowfish& operator=(const TBlowfish&) = delete;

    TCipherMode CipherMode() const noexcept { return FCipherMode; }
    // A change of mode leaves key, IV and chaining register alone.
    void SetCipherMode(TCipherMode mode) noexcept { FCipherMode = mode; }
    TStringMode StringMode() const noexcept { return FStringMode; }
    void SetStringMode(TStringMode mode) noexcept { FStringMode = mode; }

    // Whether a key of this many bytes can be set: 1 to 56.
    static constexpr bool KeyLengthValid(std::size_t length) noexcept {
        return length >= 1 && length <= 56;
    }
    // Runs the key schedule on the key's bytes (1 to 56). Raises EKeyError otherwise, and then
    // a key set before stays in force. The IV and the chaining register are not touched.
    void SetKey(const std::string& key);
    // Takes the key schedule of another cipher, which has one, without running it again: a second
    // thread deciphers under the same key. The IV and the chaining register are not touched.
    void CopyKeyOf(const TBlowfish& keyed);
    // The IV is the text's bytes, zero-filled on the right to 8 and folded with exclusive-or
    // beyond 8; any length, the empty string too. Resets the chaining register.
    void SetIV(const std::string& text) noexcept;

    // Pads `plain` to whole blocks (1 to 8 bytes, each holding the pad count) and enciphers it.
    // The empty string gives the empty string and leaves the chaining register alone.
    void EncryptString(const std::string& plain, std::string& cipher);
    // Deciphers and strips the padding. Raises EInputError for fewer than 8 bytes or a count that
    // is not whole blocks, EConvertError for a character outside the text form. After any error
    // but a missing key or IV, `plain` is empty and the chaining register unchanged.
    void DecryptString(const std::string& cipher, std::string& plain);
    // The same for a part of a longer text, such as one field of a record line.
    void DecryptView(std::string_view cipher, std::string& plain);
    // Whether the last text deciphered ended in padding as EncryptString writes it (or was
    // empty). Text enciphered under another key nearly never does.
    bool PaddingWhole() const noexcept { return FPaddingWhole; }

    // The chaining register in CBC mode: the last cipher block since SetIV, or the IV.
    void GetCBCMac(std::array<std::uint8_t, 8>& mac);
    // The same as 16 upper-case hexadecimal digits.
    void GetCBCMacHex(std::string& text);

    // Destroys the key schedule; key and IV must be set again before the next use.
    void Wipe() noexcept;

protected:
    // The key schedule as it stands, for tests and comparisons with other implementations.
    const TBlowCore& Core() const noexcept { return *FCore; }

    // The text form: RFC 4648 bit packing over this component's own 64-character table, no
    // padding character.
    static std::string EncodeText(std::string_view bytes);
    static std::string DecodeText(std::string_view text);
    static std::uint8_t DecodeChar(char ch);
    // Decodes into TextFormDecodedSize(text.size()) bytes at out.
    static void DecodeTextInto(std::string_view text, std::uint8_t* out);

private:
    void CheckReady() const;
    // One block of the core's Block through the chaining mode, in place.
    void EncryptChained() noexcept;
    void DecryptChained() noexcept;

    std::unique_ptr<TBlowCore> FCore;
    bool FKeySet = false;
    bool FIVSet = false;
    std::array<std::uint8_t, 8> FIV{};
    std::array<std::uint8_t, 8> FWork{};
    TCipherMode FCipherMode = TCipherMode::ECB;
    TStringMode FStringMode = TStringMode::smEncode;
    bool FPaddingWhole = true;
};
