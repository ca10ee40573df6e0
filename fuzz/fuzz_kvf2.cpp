// The hardened file's parsers: the first line (format, token rules, SUM) and every record line
// under fixed keys (shape, base64url, columns, padding, BODY), with what each promises: a sound
// header is the one text its fields format to, and a line reads the same way through every entry
// point and encodes back to what it held.

#include "FuzzCheck.h"
#include "Kvf2FuzzSession.h"
#include "ReferenceModels.h"
#include "vault/Base64Url.h"
#include "vault/Kvf2Header.h"
#include "vault/Kvf2Record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void CheckFirstLine(const std::string& line) {
    const TKvf2HeaderRead read = ReadKvf2FirstLine(line);
    // A reader that takes only the first bytes of a long line tells the same format.
    const TKvf2HeaderRead prefix = ReadKvf2FirstLine(line.substr(0, Kvf2HeaderMaxLength + 1));
    FUZZ_REQUIRE(prefix.Kind == read.Kind);
    FUZZ_REQUIRE(line.starts_with("KVF") || read.Kind == TFirstLineKind::Format1);
    if (read.Kind != TFirstLineKind::Format2) {
        FUZZ_REQUIRE(!read.TailIntact);
        return;
    }
    FUZZ_REQUIRE(Kvf2ParamsValid(read.Header.Params));
    FUZZ_REQUIRE(line.starts_with(Kvf2PasswordText(read.Header) + " "));
    if (read.TailIntact) {
        FUZZ_REQUIRE(FormatKvf2Header(read.Header) == line);
        FUZZ_REQUIRE(line.size() <= Kvf2HeaderMaxLength);
        FUZZ_REQUIRE(read.DeclaredLineCount == read.Header.LineCount);
    }
}

void CheckBase64(std::string_view text) {
    const std::size_t size = Base64UrlDecodedSize(text.size());
    const bool canonical = Base64UrlCanonical(text);
    if (size == std::string_view::npos) {
        FUZZ_REQUIRE(!canonical);
        return;
    }
    std::string bytes(size, '\0');
    FUZZ_REQUIRE(Base64UrlDecode(text, reinterpret_cast<unsigned char*>(bytes.data())) ==
                 canonical);
    if (canonical)
        FUZZ_REQUIRE(Base64UrlEncode(bytes) == text);
}

void CheckRecordLine(TKvf2Codec& codec, const std::string& line) {
    for (std::size_t start = line.starts_with('~') ? 1 : 0; start <= line.size();) {
        const std::size_t end = std::min(line.find(';', start), line.size());
        CheckBase64(std::string_view(line).substr(start, end - start));
        start = end + 1;
    }
    std::string name;
    const TKvf2LineKind kind = codec.ReadName(line, name);
    const std::optional<TPassRecord> account = codec.DecodeAccount(line);
    const std::optional<std::string> kept = codec.DecodeKept(line);
    FUZZ_REQUIRE((kind == TKvf2LineKind::Kept) == kept.has_value());
    FUZZ_REQUIRE(!(account && kept));
    if (kind == TKvf2LineKind::Damaged)
        FUZZ_REQUIRE(!account && !kept);
    if (account) {
        FUZZ_REQUIRE(kind == TKvf2LineKind::Account && name == account->Account);
        const std::optional<TPassRecord> again = codec.DecodeAccount(codec.EncodeAccount(*account));
        FUZZ_REQUIRE(again == account);
        TPassRecord body;
        FUZZ_REQUIRE(Kvf2ReadBody(Kvf2Body(*account), body));
        FUZZ_REQUIRE(body.Login == account->Login && body.Password == account->Password &&
                     body.Notes == account->Notes);
    }
    if (kept)
        FUZZ_REQUIRE(codec.DecodeKept(codec.EncodeKept(*kept)) == kept);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TKvf2Session session = MakeFuzzKvf2Session();
    reference::TTextReader reader(std::string_view(reinterpret_cast<const char*>(data), size));
    CheckFirstLine(reader.ReadLine());
    TKvf2Codec codec(session.Keys(), session.Header().Id);
    std::vector<std::string> lines;
    while (!reader.AtEnd()) {
        lines.push_back(reader.ReadLine());
        CheckRecordLine(codec, lines.back());
    }
    // The seal covers the lines whatever they hold.
    const std::string sealed = Kvf2SealedText(session.Header());
    FUZZ_REQUIRE(Kvf2SealOf(session.Keys(), sealed, lines) ==
                 Kvf2SealOf(session.Keys(), sealed, lines));
    return 0;
}
