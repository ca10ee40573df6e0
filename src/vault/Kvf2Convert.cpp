#include "vault/Kvf2Convert.h"

#include "base/SecureWipe.h"
#include "base/TwoCores.h"
#include "cipher/Blowfish.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

#include <algorithm>
#include <stdexcept>

namespace {

// An older line's account when it deciphers whole under the password, as opening it in the older
// format shows it; nothing for a line that opening keeps as damaged.
std::optional<TPassRecord> ReadOlderLine(TRecordCipher& codec, const std::string& line) {
    if (!RecordLineReadable(line))
        return std::nullopt;
    TPassRecord record = codec.Decode(line);
    TRecordWipeGuard wipeRecord(record);
    if (!codec.LastDecodeWhole())
        return std::nullopt;
    std::optional<TPassRecord> whole = std::move(record);
    return whole;
}

// Whether a hardened line holds this account, field for field.
bool HoldsAccount(TKvf2Codec& target, const TPassRecord& expected, std::string_view written) {
    std::optional<TPassRecord> found = target.DecodeAccount(written);
    if (!found)
        return false;
    TRecordWipeGuard wipeFound(*found);
    return expected == *found;
}

// Whether a hardened line keeps these older bytes.
bool HoldsKept(TKvf2Codec& target, const std::string& olderLine, std::string_view written) {
    const std::optional<std::string> kept = target.DecodeKept(written);
    return kept && *kept == olderLine;
}

} // namespace

TKvf2Upgrade::TKvf2Upgrade(std::vector<std::string>& lines, const std::string& olderPassword,
                           const TKvf2Session& target)
    : FLines(lines), FOlderPassword(olderPassword), FTarget(target) {
    // The parts meet about where reading cut the file in two, so that each thread frees the
    // older lines its own heap holds and takes their room for the new ones.
    std::size_t bytes = 0;
    for (const std::string& line : lines)
        bytes += line.size() + 1;
    std::size_t split = 0;
    for (std::size_t before = 0; split < lines.size() && before < bytes / 2; ++split)
        before += lines[split].size() + 1;
    FParts[0].End = FParts[1].Begin = FParts[1].Next = split;
    FParts[1].End = lines.size();
}

void TKvf2Upgrade::Run() {
    OnTwoCores(
        FLines.size(), FParts[0].End, [this](std::size_t, std::size_t) { Convert(FParts[0]); },
        [this](std::size_t, std::size_t) { Convert(FParts[1]); });
}

void TKvf2Upgrade::Convert(TPart& part) {
    TKvf2Codec codec(FTarget.Keys(), FTarget.Header().Id);
    TBlowfish cipher;
    TRecordCipher older(cipher, FOlderPassword);
    for (; part.Next < part.End; ++part.Next) {
        std::string& line = FLines[part.Next];
        std::string written;
        bool givenBack = true; // whether the new line gives the older one back, byte for byte
        std::optional<TPassRecord> record = ReadOlderLine(older, line);
        bool holds = false;
        if (record) {
            TRecordWipeGuard wipeRecord(*record);
            written = codec.EncodeAccount(*record);
            givenBack = older.Encode(*record) == line;
            holds = HoldsAccount(codec, *record, written);
        } else {
            written = codec.EncodeKept(line);
            holds = HoldsKept(codec, line, written);
        }
        if (!holds)
            throw std::runtime_error("The hardened lines do not hold the same accounts; the data "
                                     "file was not changed");
        // What may fail comes first: the line changes only once nothing else can.
        if (!record)
            part.Kept.push_back(static_cast<int>(part.Next));
        if (!givenBack)
            part.Aside.emplace_back(part.Next, std::move(line));
        line = std::move(written);
    }
}

std::vector<int> TKvf2Upgrade::Kept() const {
    std::vector<int> kept = FParts[0].Kept;
    kept.insert(kept.end(), FParts[1].Kept.begin(), FParts[1].Kept.end());
    return kept;
}

void TKvf2Upgrade::GiveBack() {
    GiveBack(FParts[1]);
    GiveBack(FParts[0]);
}

void TKvf2Upgrade::GiveBack(TPart& part) {
    TKvf2Codec codec(FTarget.Keys(), FTarget.Header().Id);
    TBlowfish cipher;
    TRecordCipher older(cipher, FOlderPassword);
    // From the last line converted back, so that a failure here too leaves Next true.
    for (; part.Next > part.Begin; --part.Next) {
        const std::size_t at = part.Next - 1;
        std::string& line = FLines[at];
        if (!part.Aside.empty() && part.Aside.back().first == at) {
            line = std::move(part.Aside.back().second);
            part.Aside.pop_back();
        } else if (std::optional<TPassRecord> record = codec.DecodeAccount(line)) {
            TRecordWipeGuard wipeRecord(*record);
            line = older.Encode(*record);
        } else if (std::optional<std::string> kept = codec.DecodeKept(line)) {
            line = std::move(*kept);
        } else {
            throw std::logic_error("A converted line no longer reads");
        }
    }
    part.Kept.clear();
}

bool UpgradedLineMatches(TRecordCipher& older, TKvf2Codec& target, const std::string& olderLine,
                         std::string_view written) {
    std::optional<TPassRecord> expected = ReadOlderLine(older, olderLine);
    if (!expected)
        return HoldsKept(target, olderLine, written);
    TRecordWipeGuard wipeExpected(*expected);
    return HoldsAccount(target, *expected, written);
}

TKvf1Copy DowngradeLines(const TKvf2Session& source, const std::vector<std::string>& lines,
                         const std::string& password, bool dropDamaged) {
    if (const std::string problem = NewMasterPasswordProblem(password); !problem.empty())
        throw EKeyError(problem);
    TKvf2Codec codec(source.Keys(), source.Header().Id);
    TBlowfish cipher;
    TRecordCipher older(cipher, password);
    TKvf1Copy copy;
    copy.Lines.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (std::optional<TPassRecord> record = codec.DecodeAccount(lines[i])) {
            TRecordWipeGuard wipeRecord(*record);
            copy.Lines.push_back(older.Encode(*record));
        } else if (std::optional<std::string> kept = codec.DecodeKept(lines[i])) {
            copy.Lines.push_back(std::move(*kept));
        } else {
            copy.Damaged.push_back(static_cast<int>(i));
        }
    }
    if (!copy.Damaged.empty() && !dropDamaged) {
        copy.Refused = true;
        std::vector<std::string>().swap(copy.Lines);
    }
    return copy;
}

TKvf2Params PasswordChangeParams(const TKvf2Params& current, const TKvf2Params& asked,
                                 const TKvf2Params& floor) {
    return {std::max({current.Passes, asked.Passes, floor.Passes}),
            std::max({current.MemoryKiB, asked.MemoryKiB, floor.MemoryKiB})};
}

std::vector<std::string> ReencipherLines(const TKvf2Session& source, const TKvf2Session& target,
                                         const std::vector<std::string>& lines) {
    std::vector<std::string> anew(lines.size());
    const auto reencipher = [&](std::size_t begin, std::size_t end) {
        TKvf2Codec from(source.Keys(), source.Header().Id);
        TKvf2Codec to(target.Keys(), target.Header().Id);
        for (std::size_t i = begin; i < end; ++i) {
            std::optional<std::string> line = from.EncodeAnew(lines[i], to);
            anew[i] = line ? std::move(*line) : lines[i];
        }
    };
    OnTwoCores(lines.size(), lines.size() / 2, reencipher, reencipher);
    return anew;
}
