#include "cipher/Blowfish.h"

#include "base/SecureWipe.h"
#include "cipher/TextForm.h"

#include <cstring>

namespace {

constexpr std::size_t BlockSize = 8;
constexpr std::size_t MaxKeyLength = 56;

constexpr const char* KeyLengthMessage = "Blowfish: Key must be between 1 and 56 bytes";
constexpr const char* KeyNotSetMessage = "Blowfish: Key not set";
constexpr const char* IVNotSetMessage = "Blowfish: IV not set";
constexpr const char* MacModeMessage = "Blowfish: Mode must be CBC for CBCMAC";
constexpr const char* TooShortMessage = "Blowfish: Input not valid - too short";
constexpr const char* InvalidCharMessage =
    "Blowfish: Error converting from Base64 - invalid character";

constexpr std::string_view TextTable = TextFormTable;

void WipeString(std::string& text) noexcept {
    if (!text.empty())
        SecureZero(text.data(), text.size());
}

void ClearString(std::string& text) noexcept {
    WipeString(text);
    text.clear();
}

// Hands `result` over to the caller's `out`. What `out` held before is wiped on its way out: it
// may be plain text, the caller's earlier value or the input itself when both are one string.
void Deliver(std::string& out, std::string& result) noexcept {
    out.swap(result);
    WipeString(result);
}

} // namespace

TBlowfish::TBlowfish() : FCore(std::make_unique<TBlowCore>()) {}

TBlowfish::~TBlowfish() {
    Wipe();
}

void TBlowfish::SetKey(const std::string& key) {
    if (key.empty() || key.size() > MaxKeyLength)
        throw EKeyError(KeyLengthMessage);
    std::array<std::uint8_t, 256> buffer{};
    std::memcpy(buffer.data(), key.data(), key.size());
    ExpandKey(*FCore, buffer.data(), key.size());
    SecureZero(buffer.data(), key.size());
    FKeySet = true;
}

void TBlowfish::SetIV(const std::string& text) noexcept {
    FIV.fill(0);
    for (std::size_t i = 0; i < text.size(); ++i)
        FIV[i % BlockSize] ^= static_cast<std::uint8_t>(text[i]);
    FIVSet = true;
}

void TBlowfish::CheckReady() const {
    if (!FKeySet)
        throw EKeyError(KeyNotSetMessage);
    if (FCipherMode != TCipherMode::ECB && !FIVSet)
        throw EKeyError(IVNotSetMessage);
}

// The chaining register and the block travel in registers: a chain that went through memory
// would wait for a store to be forwarded at every step.
void TBlowfish::EncryptChained() noexcept {
    using namespace blowcore_detail;
    TBlowCore& core = *FCore;
    std::uint8_t* const block = core.Block.data();
    core.LeftHalf = block;
    core.RightHalf = block + 4;
    switch (FCipherMode) {
    case TCipherMode::ECB:
        EncryptBlock(core);
        break;
    case TCipherMode::CBC: {
        const std::uint64_t out = EncipherValue(core, LoadBlock(block) ^ LoadBlock(FIV.data()));
        StoreBlock(block, out);
        StoreBlock(FIV.data(), out);
        break;
    }
    case TCipherMode::CFB:
    case TCipherMode::OFB: {
        FWork = core.Block;
        const std::uint64_t stream = EncipherValue(core, LoadBlock(FIV.data()));
        const std::uint64_t out = LoadBlock(FWork.data()) ^ stream;
        StoreBlock(block, out);
        StoreBlock(FIV.data(), FCipherMode == TCipherMode::CFB ? out : stream);
        break;
    }
    }
}

void TBlowfish::DecryptChained() noexcept {
    using namespace blowcore_detail;
    TBlowCore& core = *FCore;
    std::uint8_t* const block = core.Block.data();
    core.LeftHalf = block;
    core.RightHalf = block + 4;
    switch (FCipherMode) {
    case TCipherMode::ECB:
        DecryptBlock(core);
        break;
    case TCipherMode::CBC: {
        FWork = core.Block;
        const std::uint64_t in = LoadBlock(FWork.data());
        StoreBlock(block, DecipherValue(core, in) ^ LoadBlock(FIV.data()));
        StoreBlock(FIV.data(), in);
        break;
    }
    case TCipherMode::CFB:
    case TCipherMode::OFB: {
        FWork = core.Block;
        const std::uint64_t in = LoadBlock(FWork.data());
        const std::uint64_t stream = EncipherValue(core, LoadBlock(FIV.data()));
        StoreBlock(block, in ^ stream);
        StoreBlock(FIV.data(), FCipherMode == TCipherMode::CFB ? in : stream);
        break;
    }
    }
}

void TBlowfish::EncryptString(const std::string& plain, std::string& cipher) {
    CheckReady();
    if (plain.empty()) {
        ClearString(cipher);
        return;
    }
    const std::size_t whole = plain.size() - plain.size() % BlockSize;
    const std::size_t tail = plain.size() - whole;
    const std::size_t pad = BlockSize - tail;
    std::string bytes(whole + BlockSize, '\0');

    TBlowCore& core = *FCore;
    for (std::size_t at = 0; at < whole; at += BlockSize) {
        std::memcpy(core.Block.data(), plain.data() + at, BlockSize);
        EncryptChained();
        std::memcpy(bytes.data() + at, core.Block.data(), BlockSize);
    }
    std::memcpy(core.Block.data(), plain.data() + whole, tail);
    std::memset(core.Block.data() + tail, static_cast<int>(pad), pad);
    EncryptChained();
    std::memcpy(bytes.data() + whole, core.Block.data(), BlockSize);

    if (FStringMode == TStringMode::smEncode) {
        std::string text = EncodeText(bytes);
        Deliver(cipher, text);
    } else {
        Deliver(cipher, bytes);
    }
}

void TBlowfish::DecryptString(const std::string& cipher, std::string& plain) {
    CheckReady();
    if (cipher.empty()) {
        ClearString(plain);
        return;
    }
    std::string decoded;
    std::string_view bytes = cipher;
    if (FStringMode == TStringMode::smEncode) {
        try {
            decoded = DecodeText(cipher);
        } catch (const EConvertError&) {
            ClearString(plain);
            throw;
        }
        bytes = decoded;
    }
    // Whole blocks only: a count that is not a multiple of 8 comes from a damaged text.
    if (bytes.size() < BlockSize || bytes.size() % BlockSize != 0) {
        ClearString(plain);
        throw EInputError(TooShortMessage);
    }

    std::string result(bytes.size(), '\0');
    TBlowCore& core = *FCore;
    for (std::size_t at = 0; at < bytes.size(); at += BlockSize) {
        std::memcpy(core.Block.data(), bytes.data() + at, BlockSize);
        DecryptChained();
        std::memcpy(result.data() + at, core.Block.data(), BlockSize);
    }
    // Only the last byte of the padding is looked at; a value outside 1-8 (a wrong key, or
    // damage) drops one byte.
    const std::uint8_t last = static_cast<std::uint8_t>(result.back());
    const std::size_t strip = (last >= 1 && last <= BlockSize) ? last : 1;
    SecureZero(result.data() + result.size() - strip, strip);
    result.resize(result.size() - strip);
    Deliver(plain, result);
}

void TBlowfish::GetCBCMac(std::array<std::uint8_t, 8>& mac) {
    mac.fill(0);
    if (FCipherMode != TCipherMode::CBC)
        throw EKeyError(MacModeMessage);
    CheckReady();
    mac = FIV;
}

void TBlowfish::GetCBCMacHex(std::string& text) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::array<std::uint8_t, 8> mac;
    GetCBCMac(mac);
    std::string hex(2 * mac.size(), '0');
    for (std::size_t i = 0; i < mac.size(); ++i) {
        hex[2 * i] = Digits[mac[i] >> 4];
        hex[2 * i + 1] = Digits[mac[i] & 0x0F];
    }
    // The MAC of a password is its check line: a secret.
    SecureZero(mac.data(), mac.size());
    Deliver(text, hex);
}

void TBlowfish::Wipe() noexcept {
    TBlowCore& core = *FCore;
    SecureZero(core.P.data(), sizeof core.P);
    SecureZero(core.S0.data(), sizeof core.S0);
    SecureZero(core.S1.data(), sizeof core.S1);
    SecureZero(core.S2.data(), sizeof core.S2);
    SecureZero(core.S3.data(), sizeof core.S3);
    SecureZero(core.Block.data(), sizeof core.Block);
    // Never read again before SetIV overwrites them, but they may hold a folded password, a check
    // line or, in CFB and OFB, a plain block.
    SecureZero(FIV.data(), sizeof FIV);
    SecureZero(FWork.data(), sizeof FWork);
    FKeySet = false;
    FIVSet = false;
}

std::string TBlowfish::EncodeText(std::string_view bytes) {
    const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t n = bytes.size();
    std::string text;
    text.reserve((4 * n + 2) / 3);
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const std::uint32_t group = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
        text += TextTable[group >> 18];
        text += TextTable[(group >> 12) & 63];
        text += TextTable[(group >> 6) & 63];
        text += TextTable[group & 63];
    }
    if (n - i == 1) {
        text += TextTable[in[i] >> 2];
        text += TextTable[(in[i] & 3) << 4];
    } else if (n - i == 2) {
        text += TextTable[in[i] >> 2];
        text += TextTable[((in[i] & 3) << 4) | (in[i + 1] >> 4)];
        text += TextTable[(in[i + 1] & 15) << 2];
    }
    return text;
}

std::uint8_t TBlowfish::DecodeChar(char ch) {
    const std::uint8_t value = TextFormValue(ch);
    if (value == NotTextForm)
        throw EConvertError(InvalidCharMessage);
    return value;
}

std::string TBlowfish::DecodeText(std::string_view text) {
    std::string bytes(TextFormDecodedSize(text.size()), '\0');
    char* out = bytes.data();
    std::uint32_t group = 0;
    std::size_t count = 0;
    for (const char ch : text) {
        group = (group << 6) | DecodeChar(ch);
        if (++count == 4) {
            *out++ = static_cast<char>(group >> 16);
            *out++ = static_cast<char>((group >> 8) & 0xFF);
            *out++ = static_cast<char>(group & 0xFF);
            group = 0;
            count = 0;
        }
    }
    // A last group of two characters gives one byte, of three two; leftover bits are ignored.
    if (count == 2) {
        *out = static_cast<char>((group >> 4) & 0xFF);
    } else if (count == 3) {
        *out++ = static_cast<char>((group >> 10) & 0xFF);
        *out = static_cast<char>((group >> 2) & 0xFF);
    }
    return bytes;
}
