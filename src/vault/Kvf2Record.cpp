#include "vault/Kvf2Record.h"

#include "base/SecureWipe.h"
#include "vault/Base64Url.h"
#include "vault/WipeGuard.h"

#include <sodium.h>

#include <QScopeGuard>

#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

constexpr std::size_t RSize = 16;
constexpr std::size_t RTextLength = 22;
constexpr std::size_t TagSize = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr std::size_t PadBlock = 16;
constexpr std::size_t LengthSize = 4;
constexpr char ColumnSeparator = ';';
constexpr char KeptMark = '~';
constexpr std::string_view Magic = "KVF2";

enum TColumn : std::uint64_t { NameColumn = 0, BodyColumn = 1, KeptColumn = 2 };

static_assert(TagSize == 16);
static_assert(crypto_aead_xchacha20poly1305_ietf_NPUBBYTES == RSize + 8);
static_assert(crypto_aead_xchacha20poly1305_ietf_KEYBYTES == Kvf2KeySize);

using TNonce = std::array<unsigned char, crypto_aead_xchacha20poly1305_ietf_NPUBBYTES>;
using TAdditional = std::array<unsigned char, Magic.size() + Kvf2IdSize + 1>;

void PutLE64(unsigned char* out, std::uint64_t value) noexcept {
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

void PutLE32(std::string& out, std::size_t value) {
    if (value > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("A field is too long to store.");
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(static_cast<unsigned char>(value >> (8 * i)));
}

std::uint32_t GetLE32(std::string_view in) noexcept {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(in[static_cast<std::size_t>(i)]);
    return value;
}

TNonce NonceOf(const unsigned char* r, std::uint64_t column) noexcept {
    TNonce nonce{};
    std::memcpy(nonce.data(), r, RSize);
    PutLE64(nonce.data() + RSize, column);
    return nonce;
}

TAdditional AdditionalData(const TKvf2Id& id, std::uint64_t column) noexcept {
    TAdditional data{};
    std::memcpy(data.data(), Magic.data(), Magic.size());
    std::memcpy(data.data() + Magic.size(), id.data(), id.size());
    data.back() = static_cast<unsigned char>(column);
    return data;
}

std::size_t PaddedSize(std::size_t plainSize) noexcept {
    return (plainSize / PadBlock + 1) * PadBlock;
}

// A column's text whose length and spelling could hold a column: a multiple of 16 bytes plus the
// tag, at least one block of padding.
bool ColumnTextSound(std::string_view text) noexcept {
    const std::size_t size = Base64UrlDecodedSize(text.size());
    return size != std::string_view::npos && size >= PadBlock + TagSize && size % PadBlock == 0 &&
           Base64UrlCanonical(text);
}

// The pieces of a line of either shape; nothing for a line of neither.
struct TLineParts {
    bool Kept = false;
    std::array<unsigned char, RSize> R{};
    std::string_view First;  // NAME or KEPT
    std::string_view Second; // BODY
};

std::optional<TLineParts> SplitLine(std::string_view line) noexcept {
    TLineParts parts;
    parts.Kept = !line.empty() && line.front() == KeptMark;
    if (parts.Kept)
        line.remove_prefix(1);
    const std::size_t first = line.find(ColumnSeparator);
    if (first != RTextLength || !Base64UrlDecode(line.substr(0, first), parts.R.data()))
        return std::nullopt;
    line.remove_prefix(first + 1);
    const std::size_t second = line.find(ColumnSeparator);
    if (parts.Kept) {
        if (second != std::string_view::npos)
            return std::nullopt;
        parts.First = line;
        return parts;
    }
    if (second == std::string_view::npos)
        return std::nullopt;
    parts.First = line.substr(0, second);
    parts.Second = line.substr(second + 1);
    if (parts.Second.find(ColumnSeparator) != std::string_view::npos)
        return std::nullopt;
    return parts;
}

// BODY's fields where they lie in it; false when a length runs past its end.
bool SplitBody(std::string_view body, std::string_view& login, std::string_view& password,
               std::string_view& notes) noexcept {
    const auto take = [&body](std::string_view& field) {
        if (body.size() < LengthSize)
            return false;
        const std::uint32_t length = GetLE32(body);
        body.remove_prefix(LengthSize);
        if (length > body.size())
            return false;
        field = body.substr(0, length);
        body.remove_prefix(length);
        return true;
    };
    if (!take(login) || !take(password))
        return false;
    notes = body;
    return true;
}

} // namespace

TKvf2Codec::TKvf2Codec(const TKvf2Keys& keys, const TKvf2Id& id) : FKeys(keys), FId(id) {
    if (keys.Empty())
        throw std::logic_error("The vault is locked; no line can be read or written");
}

TKvf2Codec::~TKvf2Codec() {
    WipeString(FPadded);
}

std::string TKvf2Codec::EncodeAccount(const TPassRecord& record) {
    std::string body = Kvf2Body(record);
    TWipeGuard wipeBody(body);
    return EncodeLine(false, record.Account, body);
}

std::string TKvf2Codec::EncodeKept(std::string_view olderLine) {
    return EncodeLine(true, olderLine, {});
}

std::string TKvf2Codec::EncodeLine(bool kept, std::string_view first, std::string_view second) {
    std::array<unsigned char, RSize> r{};
    NextR(r.data());
    const auto columnLength = [](std::size_t plain) {
        return (PaddedSize(plain) + TagSize) * 4 / 3 + 1;
    };
    std::string line;
    line.reserve(1 + RTextLength + 2 + columnLength(first.size()) + columnLength(second.size()));
    if (kept)
        line += KeptMark;
    AppendBase64Url(line, r.data(), r.size());
    line += ColumnSeparator;
    AppendColumn(line, r.data(), kept ? KeptColumn : NameColumn, first);
    if (!kept) {
        line += ColumnSeparator;
        AppendColumn(line, r.data(), BodyColumn, second);
    }
    return line;
}

void TKvf2Codec::NextR(unsigned char* r) {
    if (FRandomUsed + RSize > FRandom.size()) {
        randombytes_buf(FRandom.data(), FRandom.size());
        FRandomUsed = 0;
    }
    std::memcpy(r, FRandom.data() + FRandomUsed, RSize);
    FRandomUsed += RSize;
}

void TKvf2Codec::AppendColumn(std::string& line, const unsigned char* r, std::uint64_t column,
                              std::string_view plain) {
    const std::size_t padded = PaddedSize(plain.size());
    auto wipe = qScopeGuard([this] { SecureZero(FPadded.data(), FPadded.size()); });
    FPadded.resize(padded);
    if (!plain.empty())
        std::memcpy(FPadded.data(), plain.data(), plain.size());
    auto* data = reinterpret_cast<unsigned char*>(FPadded.data());
    std::size_t paddedLength = 0;
    if (sodium_pad(&paddedLength, data, plain.size(), PadBlock, padded) != 0 ||
        paddedLength != padded)
        throw std::logic_error("padding failed");
    FCipher.resize(padded + TagSize);
    const TNonce nonce = NonceOf(r, column);
    const TAdditional additional = AdditionalData(FId, column);
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        reinterpret_cast<unsigned char*>(FCipher.data()), nullptr, data, padded, additional.data(),
        additional.size(), nullptr, nonce.data(), FKeys.EncipherKey());
    AppendBase64Url(line, reinterpret_cast<const unsigned char*>(FCipher.data()), FCipher.size());
}

bool TKvf2Codec::OpenColumn(std::string_view text, const unsigned char* r, std::uint64_t column,
                            std::string& plain) {
    const std::size_t size = Base64UrlDecodedSize(text.size());
    if (size == std::string_view::npos || size < PadBlock + TagSize || size % PadBlock != 0)
        return false;
    FCipher.resize(size);
    auto* cipher = reinterpret_cast<unsigned char*>(FCipher.data());
    if (!Base64UrlDecode(text, cipher))
        return false;
    auto wipe = qScopeGuard([this] { SecureZero(FPadded.data(), FPadded.size()); });
    FPadded.resize(size - TagSize);
    auto* padded = reinterpret_cast<unsigned char*>(FPadded.data());
    const TNonce nonce = NonceOf(r, column);
    const TAdditional additional = AdditionalData(FId, column);
    unsigned long long paddedLength = 0;
    std::size_t plainLength = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(padded, &paddedLength, nullptr, cipher, size,
                                                   additional.data(), additional.size(),
                                                   nonce.data(), FKeys.EncipherKey()) != 0 ||
        sodium_unpad(&plainLength, padded, static_cast<std::size_t>(paddedLength), PadBlock) != 0)
        return false;
    WipeBytes(plain);
    plain.assign(FPadded.data(), plainLength);
    return true;
}

TKvf2LineKind TKvf2Codec::ReadName(std::string_view line, std::string& name) {
    const std::optional<TLineParts> parts = SplitLine(line);
    if (!parts)
        return TKvf2LineKind::Damaged;
    if (parts->Kept) {
        std::string kept;
        TWipeGuard wipeKept(kept);
        return OpenColumn(parts->First, parts->R.data(), KeptColumn, kept) ? TKvf2LineKind::Kept
                                                                           : TKvf2LineKind::Damaged;
    }
    if (!ColumnTextSound(parts->Second) ||
        !OpenColumn(parts->First, parts->R.data(), NameColumn, name))
        return TKvf2LineKind::Damaged;
    return TKvf2LineKind::Account;
}

std::optional<TPassRecord> TKvf2Codec::DecodeAccount(std::string_view line) {
    const std::optional<TLineParts> parts = SplitLine(line);
    if (!parts || parts->Kept)
        return std::nullopt;
    TPassRecord record;
    TRecordWipeGuard wipeRecord(record);
    std::string body;
    TWipeGuard wipeBody(body);
    if (!OpenColumn(parts->First, parts->R.data(), NameColumn, record.Account) ||
        !OpenColumn(parts->Second, parts->R.data(), BodyColumn, body) ||
        !Kvf2ReadBody(body, record))
        return std::nullopt;
    std::optional<TPassRecord> decoded = std::move(record);
    return decoded;
}

std::optional<std::string> TKvf2Codec::DecodeKept(std::string_view line) {
    const std::optional<TLineParts> parts = SplitLine(line);
    std::string kept;
    if (!parts || !parts->Kept || !OpenColumn(parts->First, parts->R.data(), KeptColumn, kept))
        return std::nullopt;
    return kept;
}

std::optional<std::string> TKvf2Codec::EncodeAnew(std::string_view line, TKvf2Codec& target) {
    const std::optional<TLineParts> parts = SplitLine(line);
    if (!parts)
        return std::nullopt;
    std::string first;
    TWipeGuard wipeFirst(first);
    if (!OpenColumn(parts->First, parts->R.data(), parts->Kept ? KeptColumn : NameColumn, first))
        return std::nullopt;
    if (parts->Kept)
        return target.EncodeLine(true, first, {});
    // The body moves over as it is, once its lengths are known to hold.
    std::string body;
    TWipeGuard wipeBody(body);
    std::string_view login, password, notes;
    if (!OpenColumn(parts->Second, parts->R.data(), BodyColumn, body) ||
        !SplitBody(body, login, password, notes))
        return std::nullopt;
    return target.EncodeLine(false, first, body);
}

std::string Kvf2Body(const TPassRecord& record) {
    std::string body;
    body.reserve(2 * LengthSize + record.Login.size() + record.Password.size() +
                 record.Notes.size());
    PutLE32(body, record.Login.size());
    body += record.Login;
    PutLE32(body, record.Password.size());
    body += record.Password;
    body += record.Notes;
    return body;
}

bool Kvf2ReadBody(std::string_view body, TPassRecord& record) {
    std::string_view login, password, notes;
    if (!SplitBody(body, login, password, notes))
        return false;
    record.Login.assign(login);
    record.Password.assign(password);
    record.Notes.assign(notes);
    return true;
}

TKvf2Digest Kvf2SealOf(const TKvf2Keys& keys, std::string_view sealedText, TLineSpan lines) {
    if (keys.Empty())
        throw std::logic_error("No keys to seal the file with");
    crypto_generichash_state state;
    crypto_generichash_init(&state, keys.SealKey(), Kvf2KeySize, Kvf2DigestSize);
    const auto add = [&state](std::string_view piece) {
        unsigned char length[8];
        PutLE64(length, piece.size());
        crypto_generichash_update(&state, length, sizeof length);
        crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(piece.data()),
                                  piece.size());
    };
    add(sealedText);
    for (std::size_t i = 0; i < lines.size(); ++i)
        add(lines[i]);
    TKvf2Digest seal{};
    crypto_generichash_final(&state, seal.data(), seal.size());
    sodium_memzero(&state, sizeof state);
    return seal;
}
