#include "vault/Kvf2Session.h"

#include "base/SecureWipe.h"
#include "base/ThreadHeap.h"
#include "base/TwoCores.h"

#include <sodium.h>

#include <stdexcept>
#include <utility>

TKvf2Scan::~TKvf2Scan() {
    WipeNames(Accounts);
}

TKvf2Scan& TKvf2Scan::operator=(TKvf2Scan&& other) noexcept {
    WipeNames(Accounts);
    Accounts = std::move(other.Accounts);
    Kept = std::move(other.Kept);
    Damaged = std::move(other.Damaged);
    return *this;
}

std::string Kvf2BrokenSealMessage(const TKvf2SealVerdict& verdict) {
    const std::string declared =
        verdict.DeclaredLines
            ? "its first line counts " + std::to_string(*verdict.DeclaredLines) + " record lines"
            : "its first line's count of record lines is damaged";
    return "The data file was changed outside Kestovar: lines were added, removed, reordered, "
           "repeated or changed (" +
           declared + ", the file has " + std::to_string(verdict.Lines) +
           "). The accounts whose lines pass their checks are shown, but the file as a whole is "
           "not verified.";
}

TKvf2Header TKvf2Session::NewHeader(const TKvf2Params& params,
                                    const std::optional<TKvf2Id>& keptId) {
    RequireSodium();
    TKvf2Header header;
    header.Params = params;
    randombytes_buf(header.Salt.data(), header.Salt.size());
    if (keptId)
        header.Id = *keptId;
    else
        randombytes_buf(header.Id.data(), header.Id.size());
    return header;
}

TKvf2Session TKvf2Session::Made(TKvf2Header header, TKvf2Keys keys) {
    if (keys.Empty())
        throw std::logic_error("A new file needs its keys");
    TKvf2Session session;
    header.Check = Kvf2CheckOf(keys, header);
    session.FHeader = header;
    session.FHasHeader = true;
    session.FKeys = std::move(keys);
    return session;
}

TKvf2OpenResult TKvf2Session::Open(const TKvf2HeaderRead& read, TKvf2Keys keys,
                                   TKvf2Session& session) {
    session.Close();
    if (read.Kind != TFirstLineKind::Format2)
        throw std::logic_error("Only a format-2 first line opens a format-2 session");
    if (!Kvf2PasswordMatches(keys, read.Header))
        return read.TailIntact ? TKvf2OpenResult::WrongPassword : TKvf2OpenResult::DamagedHeader;
    session.FHeader = read.Header;
    session.FHasHeader = true;
    session.FKeys = std::move(keys);
    return TKvf2OpenResult::Opened;
}

void TKvf2Session::RequireKeys() const {
    if (FKeys.Empty())
        throw std::logic_error("The vault is locked; no line can be read or written");
}

namespace {

// Line i's name added to scan, or the line counted as kept or damaged.
class TNameReader {
public:
    TNameReader(const TKvf2Keys& keys, const TKvf2Id& id, TLineSpan lines, TKvf2Scan& scan)
        : FCodec(keys, id), FLines(lines), FScan(scan) {}

    void operator()(std::size_t i) {
        const int index = static_cast<int>(i);
        switch (FCodec.ReadName(FLines[i], FName)) {
        case TKvf2LineKind::Account:
            FScan.Accounts.push_back(TAccountEntry{std::move(FName), index});
            WipeString(FName); // a short name moved out leaves its bytes behind
            break;
        case TKvf2LineKind::Kept:
            FScan.Kept.push_back(index);
            break;
        case TKvf2LineKind::Damaged:
            FScan.Damaged.push_back(index);
            break;
        }
    }

private:
    TKvf2Codec FCodec;
    TLineSpan FLines;
    TKvf2Scan& FScan;
    std::string FName;
    TWipeGuard FWipeName{FName};
};

} // namespace

template <typename TAlso>
void TKvf2Session::ScanWithSeal(TLineSpan lines, TKvf2Scan& scan, TAlso also) const {
    RequireKeys();
    // Room for every name before any is placed, so that joining the two threads' finds moves
    // none: a short name moved to new room would leave its bytes behind.
    scan.Accounts.reserve(lines.size());
    TKvf2Scan fromBack;
    fromBack.Accounts.reserve(lines.size());
    OnTwoCoresFromBothEnds(
        lines.size(),
        [&](TChunksFromBothEnds& chunks) {
            chunks.EachFromFront(TNameReader(FKeys, FHeader.Id, lines, scan));
        },
        [&](TChunksFromBothEnds& chunks) {
            also();
            ReserveThreadHeap(lines.size() / 2 * NameHeapBytes);
            chunks.EachFromBack(TNameReader(FKeys, FHeader.Id, lines, fromBack));
        });
    TChunksFromBothEnds::AppendFromBack(scan.Accounts, fromBack.Accounts);
    TChunksFromBothEnds::AppendFromBack(scan.Kept, fromBack.Kept);
    TChunksFromBothEnds::AppendFromBack(scan.Damaged, fromBack.Damaged);
}

TKvf2Scan TKvf2Session::Scan(TLineSpan lines) const {
    TKvf2Scan scan;
    ScanWithSeal(lines, scan, [] {});
    return scan;
}

TKvf2Scan TKvf2Session::ScanAndVerifySeal(const TKvf2HeaderRead& read, TLineSpan lines,
                                          TKvf2SealVerdict& verdict) const {
    // The seal is one pass of a hash over the file: the other thread takes it first, and then
    // fewer of the names.
    TKvf2Scan scan;
    ScanWithSeal(lines, scan, [&] { verdict = VerifySeal(read, lines); });
    return scan;
}

TKvf2SealVerdict TKvf2Session::VerifySeal(const TKvf2HeaderRead& read, TLineSpan lines) const {
    RequireKeys();
    TKvf2SealVerdict verdict;
    verdict.DeclaredLines = read.DeclaredLineCount;
    verdict.Lines = lines.size();
    if (!read.TailIntact || read.Header.LineCount != lines.size()) {
        verdict.Intact = false;
        return verdict;
    }
    const TKvf2Digest seal = Kvf2SealOf(FKeys, Kvf2SealedText(read.Header), lines);
    verdict.Intact = sodium_memcmp(seal.data(), read.Header.Seal.data(), seal.size()) == 0;
    return verdict;
}

std::optional<TPassRecord> TKvf2Session::DecodeAccount(std::string_view line) const {
    RequireKeys();
    TKvf2Codec codec(FKeys, FHeader.Id);
    return codec.DecodeAccount(line);
}

std::string TKvf2Session::EncodeAccount(const TPassRecord& record) const {
    RequireKeys();
    TKvf2Codec codec(FKeys, FHeader.Id);
    return codec.EncodeAccount(record);
}

std::string TKvf2Session::HeaderLine(TLineSpan lines) const {
    if (!FHasHeader)
        throw std::logic_error("No vault is open");
    if (FKeys.Empty()) {
        if (FLockedHeaderLine.empty() || FLockedLineCount != lines.size())
            throw std::logic_error("The lines of a locked vault changed");
        return FLockedHeaderLine;
    }
    if (lines.size() > Kvf2MaxLineCount)
        throw std::length_error("A data file holds at most 2147483647 lines.");
    TKvf2Header header = FHeader;
    header.LineCount = static_cast<std::uint32_t>(lines.size());
    header.Seal = Kvf2SealOf(FKeys, Kvf2SealedText(header), lines);
    return FormatKvf2Header(header);
}

void TKvf2Session::Lock(TLineSpan lines) {
    if (FKeys.Empty())
        return;
    FLockedHeaderLine = HeaderLine(lines);
    FLockedLineCount = lines.size();
    FKeys.Clear();
}

bool TKvf2Session::Unlock(TKvf2Keys keys) {
    if (!FHasHeader)
        throw std::logic_error("No vault is open");
    if (!Kvf2PasswordMatches(keys, FHeader))
        return false;
    FKeys = std::move(keys);
    FLockedHeaderLine.clear();
    FLockedLineCount = 0;
    return true;
}

void TKvf2Session::Close() noexcept {
    FKeys.Clear();
    FHeader = {};
    FHasHeader = false;
    FLockedHeaderLine.clear();
    FLockedLineCount = 0;
}
