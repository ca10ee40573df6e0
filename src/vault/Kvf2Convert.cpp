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

} // namespace

TKvf2Upgrade UpgradeLines(const std::vector<std::string>& olderLines,
                          const std::string& olderPassword, const TKvf2Session& target) {
    TKvf2Codec codec(target.Keys(), target.Header().Id);
    TBlowfish cipher;
    TRecordCipher older(cipher, olderPassword);
    TKvf2Upgrade upgrade;
    upgrade.Lines.reserve(olderLines.size());
    for (std::size_t i = 0; i < olderLines.size(); ++i) {
        if (std::optional<TPassRecord> record = ReadOlderLine(older, olderLines[i])) {
            TRecordWipeGuard wipeRecord(*record);
            upgrade.Lines.push_back(codec.EncodeAccount(*record));
        } else {
            upgrade.Lines.push_back(codec.EncodeKept(olderLines[i]));
            upgrade.Kept.push_back(static_cast<int>(i));
        }
    }
    return upgrade;
}

bool UpgradeMatches(const std::vector<std::string>& olderLines, const std::string& olderPassword,
                    const TKvf2Session& target, const std::vector<std::string>& written) {
    if (olderLines.size() != written.size())
        return false;
    TKvf2Codec codec(target.Keys(), target.Header().Id);
    TBlowfish cipher;
    TRecordCipher older(cipher, olderPassword);
    for (std::size_t i = 0; i < olderLines.size(); ++i) {
        std::optional<TPassRecord> expected = ReadOlderLine(older, olderLines[i]);
        if (!expected) {
            const std::optional<std::string> kept = codec.DecodeKept(written[i]);
            if (!kept || *kept != olderLines[i])
                return false;
            continue;
        }
        TRecordWipeGuard wipeExpected(*expected);
        std::optional<TPassRecord> found = codec.DecodeAccount(written[i]);
        if (!found)
            return false;
        TRecordWipeGuard wipeFound(*found);
        if (*expected != *found)
            return false;
    }
    return true;
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
