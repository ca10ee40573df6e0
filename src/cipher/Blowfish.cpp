#include "cipher/Blowfish.h"

#include "base/SecureWipe.h"
#include "cipher/TextForm.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t BlockSize = 8;
// Buffers up to this size live on the stack: every field of a record line and the 1 KiB chain.
constexpr std::size_t StackBufferSize = 2048;

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

void TBlowfish::CopyKeyOf(const TBlowfish& keyed) {
    if (!keyed.FKeySet)
        throw EKeyError(KeyNotSetMessage);
    const TBlowCore& from = *keyed.FCore;
    TBlowCore& to = *FCore;
    to.P = from.P;
    to.S0 = from.S0;
    to.S1 = from.S1;
    to.S2 = from.S2;
    to.S3 = from.S3;
    FKeySet = true;
}

void TBlowfish::SetKey(const std::string& key) {
    if (!KeyLengthValid(key.size()))
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

// The output is built in place in the caller's string, whose earlier content is wiped first, so
// that a call allocates at most once (for a string without room) and never leaves a copy behind.
// In CBC the chaining register stays in a register across the whole string.
void TBlowfish::EncryptString(const std::string& plain, std::string& cipher) {
    CheckReady();
    if (plain.empty()) {
        ClearString(cipher);
        return;
    }
    const std::size_t whole = plain.size() - plain.size() % BlockSize;
    const std::size_t tail = plain.size() - whole;
    const std::size_t pad = BlockSize - tail;
    const std::size_t size = whole + BlockSize;
    // The raw bytes go straight to the result, unless the result is the input itself or must
    // become the text form; those need a buffer, on the stack when small.
    const bool direct = FStringMode == TStringMode::smNormal && &plain != &cipher;
    std::array<std::uint8_t, StackBufferSize> stackBuffer;
    std::string heapBuffer;
    std::uint8_t* bytes = nullptr;
    if (direct) {
        WipeBytes(cipher);
        cipher.resize(size);
        bytes = reinterpret_cast<std::uint8_t*>(cipher.data());
    } else if (size <= stackBuffer.size()) {
        bytes = stackBuffer.data();
    } else {
        heapBuffer.resize(size);
        bytes = reinterpret_cast<std::uint8_t*>(heapBuffer.data());
    }
    const auto* in = reinterpret_cast<const std::uint8_t*>(plain.data());
    std::array<std::uint8_t, BlockSize> last;
    std::memcpy(last.data(), in + whole, tail);
    std::memset(last.data() + tail, static_cast<int>(pad), pad);

    if (FCipherMode == TCipherMode::CBC) {
        using namespace blowcore_detail;
        const TBlowCore& core = *FCore;
        std::uint64_t chain = LoadBlock(FIV.data());
        for (std::size_t at = 0; at < whole; at += BlockSize) {
            chain = EncipherValue(core, LoadBlock(in + at) ^ chain);
            StoreBlock(bytes + at, chain);
        }
        chain = EncipherValue(core, LoadBlock(last.data()) ^ chain);
        StoreBlock(bytes + whole, chain);
        StoreBlock(FIV.data(), chain);
    } else {
        TBlowCore& core = *FCore;
        for (std::size_t at = 0; at < whole; at += BlockSize) {
            std::memcpy(core.Block.data(), in + at, BlockSize);
            EncryptChained();
            std::memcpy(bytes + at, core.Block.data(), BlockSize);
        }
        core.Block = last;
        EncryptChained();
        std::memcpy(bytes + whole, core.Block.data(), BlockSize);
    }
    SecureZero(last.data(), last.size());
    if (direct)
        return;
    const std::string_view view(reinterpret_cast<const char*>(bytes), size);
    if (FStringMode == TStringMode::smEncode) {
        std::string text = EncodeText(view);
        Deliver(cipher, text);
    } else {
        std::string result(view);
        Deliver(cipher, result);
    }
}

void TBlowfish::DecryptString(const std::string& cipher, std::string& plain) {
    DecryptView(cipher, plain);
}

// As EncryptString, the result is built in the caller's string and the text form is decoded into
// a buffer on the stack when small: a short field costs no allocation of its own.
void TBlowfish::DecryptView(std::string_view cipher, std::string& plain) {
    CheckReady();
    FPaddingWhole = true;
    if (cipher.empty()) {
        ClearString(plain);
        return;
    }
    FPaddingWhole = false;
    std::array<std::uint8_t, StackBufferSize> stackBuffer;
    std::string heapBuffer;
    const std::uint8_t* bytes = reinterpret_cast<const std::uint8_t*>(cipher.data());
    std::size_t size = cipher.size();
    if (FStringMode == TStringMode::smEncode) {
        size = TextFormDecodedSize(cipher.size());
        std::uint8_t* decoded = stackBuffer.data();
        if (size > stackBuffer.size()) {
            heapBuffer.resize(size);
            decoded = reinterpret_cast<std::uint8_t*>(heapBuffer.data());
        }
        try {
            DecodeTextInto(cipher, decoded);
        } catch (const EConvertError&) {
            ClearString(plain);
            throw;
        }
        bytes = decoded;
    }
    // Whole blocks only: a count that is not a multiple of 8 comes from a damaged text.
    if (size < BlockSize || size % BlockSize != 0) {
        ClearString(plain);
        throw EInputError(TooShortMessage);
    }

    // The input may lie in the result's own string; it is then deciphered into a new one.
    const auto plainStart = reinterpret_cast<std::uintptr_t>(plain.data());
    const auto bytesStart = reinterpret_cast<std::uintptr_t>(bytes);
    const bool overlaps =
        bytesStart < plainStart + plain.capacity() + 1 && plainStart < bytesStart + size;
    std::string separate;
    std::string& result = overlaps ? separate : plain;
    if (!overlaps)
        WipeBytes(plain);
    result.resize(size);
    auto* out = reinterpret_cast<std::uint8_t*>(result.data());
    if (FCipherMode == TCipherMode::CBC) {
        using namespace blowcore_detail;
        const TBlowCore& core = *FCore;
        std::uint64_t chain = LoadBlock(FIV.data());
        std::size_t at = 0;
        for (; at + 2 * BlockSize <= size; at += 2 * BlockSize) {
            const std::uint64_t in = LoadBlock(bytes + at);
            const std::uint64_t next = LoadBlock(bytes + at + BlockSize);
            std::uint64_t first = in;
            std::uint64_t second = next;
            DecipherValues(core, first, second);
            StoreBlock(out + at, first ^ chain);
            StoreBlock(out + at + BlockSize, second ^ in);
            chain = next;
        }
        if (at < size) {
            const std::uint64_t in = LoadBlock(bytes + at);
            StoreBlock(out + at, DecipherValue(core, in) ^ chain);
            chain = in;
        }
        StoreBlock(FIV.data(), chain);
    } else {
        TBlowCore& core = *FCore;
        for (std::size_t at = 0; at < size; at += BlockSize) {
            std::memcpy(core.Block.data(), bytes + at, BlockSize);
            DecryptChained();
            std::memcpy(out + at, core.Block.data(), BlockSize);
        }
    }
    // Only the last byte of the padding is looked at; a value outside 1-8 (a wrong key, or
    // damage) drops one byte.
    const std::uint8_t lastByte = out[size - 1];
    const std::size_t strip = (lastByte >= 1 && lastByte <= BlockSize) ? lastByte : 1;
    FPaddingWhole = lastByte >= 1 && lastByte <= BlockSize &&
                    std::all_of(out + size - strip, out + size,
                                [lastByte](std::uint8_t byte) { return byte == lastByte; });
    SecureZero(out + size - strip, strip);
    result.resize(size - strip);
    if (overlaps)
        Deliver(plain, separate);
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
    DecodeTextInto(text, reinterpret_cast<std::uint8_t*>(bytes.data()));
    return bytes;
}

void TBlowfish::DecodeTextInto(std::string_view text, std::uint8_t* out) {
    // Whole groups of four characters at once: a character outside the form has the top bits of
    // its value set, so that one test covers all four.
    std::size_t at = 0;
    for (; at + 4 <= text.size(); at += 4) {
        const std::uint32_t a = TextFormValue(text[at]);
        const std::uint32_t b = TextFormValue(text[at + 1]);
        const std::uint32_t c = TextFormValue(text[at + 2]);
        const std::uint32_t d = TextFormValue(text[at + 3]);
        if (((a | b | c | d) & ~std::uint32_t{0x3F}) != 0)
            throw EConvertError(InvalidCharMessage);
        const std::uint32_t group = (a << 18) | (b << 12) | (c << 6) | d;
        *out++ = static_cast<std::uint8_t>(group >> 16);
        *out++ = static_cast<std::uint8_t>((group >> 8) & 0xFF);
        *out++ = static_cast<std::uint8_t>(group & 0xFF);
    }
    std::uint32_t group = 0;
    std::size_t count = 0;
    for (const char ch : text.substr(at)) {
        group = (group << 6) | DecodeChar(ch);
        if (++count == 4) {
            *out++ = static_cast<std::uint8_t>(group >> 16);
            *out++ = static_cast<std::uint8_t>((group >> 8) & 0xFF);
            *out++ = static_cast<std::uint8_t>(group & 0xFF);
            group = 0;
            count = 0;
        }
    }
    // A last group of two characters gives one byte, of three two; leftover bits are ignored.
    if (count == 2) {
        *out = static_cast<std::uint8_t>((group >> 4) & 0xFF);
    } else if (count == 3) {
        *out++ = static_cast<std::uint8_t>((group >> 10) & 0xFF);
        *out = static_cast<std::uint8_t>((group >> 2) & 0xFF);
    }
}
