#include "vault/ClassicFormat.h"

#include "base/SecureWipe.h"
#include "base/ThreadHeap.h"
#include "base/TwoCores.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

#include <exception>
#include <utility>

namespace {

// Line i's name added to scan, or the line counted as blank or damaged.
void ScanLine(TRecordCipher& codec, TLineSpan lines, std::size_t i, TNameScan& scan) {
    const int index = static_cast<int>(i);
    if (lines[i].empty()) {
        scan.Blank.push_back(index);
        return;
    }
    if (!RecordLineReadable(lines[i])) {
        scan.Damaged.push_back(index);
        return;
    }
    std::string name = codec.DecodeAccount(lines[i]);
    if (!codec.LastDecodeWhole()) {
        // Enciphered under another password: its fields are noise under this one, and an edit
        // or a new password would turn the line itself into noise.
        WipeString(name);
        scan.Damaged.push_back(index);
        return;
    }
    scan.Accounts.push_back(TAccountEntry{std::move(name), index});
    WipeString(name); // a short name moved out leaves its bytes behind
}

class TClassicCodec final : public TAccountCodec {
public:
    explicit TClassicCodec(const std::string& password) : FCodec(FCipher, password) {}

    TNameScan ScanNames(TLineSpan lines) override {
        // Room for every name before any is placed, so that joining the two threads' finds
        // moves none: a short name moved to new room would leave its bytes behind.
        TNameScan scan;
        scan.Accounts.reserve(lines.size());
        TNameScan fromBack;
        fromBack.Accounts.reserve(lines.size());
        OnTwoCoresFromBothEnds(
            lines.size(),
            [&](TChunksFromBothEnds& chunks) {
                chunks.EachFromFront([&](std::size_t i) { ScanLine(FCodec, lines, i, scan); });
            },
            [&](TChunksFromBothEnds& chunks) {
                // Under a copy of this key schedule: one cipher serves one thread.
                TBlowfish cipher;
                TRecordCipher codec(cipher, FCipher);
                ReserveThreadHeap(lines.size() / 2 * NameHeapBytes);
                chunks.EachFromBack([&](std::size_t i) { ScanLine(codec, lines, i, fromBack); });
            });
        TChunksFromBothEnds::AppendFromBack(scan.Accounts, fromBack.Accounts);
        TChunksFromBothEnds::AppendFromBack(scan.Damaged, fromBack.Damaged);
        TChunksFromBothEnds::AppendFromBack(scan.Blank, fromBack.Blank);
        return scan;
    }
    std::string DecodeName(std::string_view line) override { return FCodec.DecodeAccount(line); }
    TPassRecord Decode(std::string_view line) override { return FCodec.Decode(line); }
    bool LastDecodeWhole() const noexcept override { return FCodec.LastDecodeWhole(); }
    std::string Encode(const TPassRecord& record) override { return FCodec.Encode(record); }

private:
    TBlowfish FCipher;
    TRecordCipher FCodec;
};

const TClassicFormat& ClassicTarget(const TVaultFormat& target) {
    if (target.Format() != TDataFormat::Classic)
        throw std::logic_error("A password change keeps the file's format");
    return static_cast<const TClassicFormat&>(target);
}

} // namespace

TClassicFormat::TClassicFormat(const std::string& password, std::string checkLine)
    : TVaultFormat(password), FCheckLine(std::move(checkLine)) {}

TClassicFormat::TClassicFormat(const std::string& password) : TVaultFormat(password) {
    TBlowfish cipher;
    FCheckLine = MakeCheckLine(cipher, password);
}

TClassicFormat::~TClassicFormat() {
    WipeString(FCheckLine);
}

std::unique_ptr<TAccountCodec> TClassicFormat::Codec() const {
    RequireUnlocked();
    return std::make_unique<TClassicCodec>(MasterPassword());
}

std::string TClassicFormat::FirstLine(const std::vector<std::string>&) const {
    // The check line is always that of the master password: no key schedule for a save.
    return FCheckLine;
}

bool TClassicFormat::OwnsFile(const std::string& path) const {
    return !FCheckLine.empty() && FileHasCheckLine(path, FCheckLine);
}

void TClassicFormat::Lock(TLineSpan) {
    ForgetPassword();
}

bool TClassicFormat::Unlock(const std::string& password, TKvf2Keys) {
    if (!TBlowfish::KeyLengthValid(password.size()))
        return false;
    TBlowfish cipher;
    std::string checkLine = MakeCheckLine(cipher, password);
    TWipeGuard wipeCheckLine(checkLine);
    if (checkLine != FCheckLine)
        return false;
    TakePassword(password);
    return true;
}

std::unique_ptr<TVaultFormat> TClassicFormat::WithPassword(const std::string& password,
                                                           TNewKeys) const {
    return std::make_unique<TClassicFormat>(password);
}

TRecoding TClassicFormat::Recode(std::vector<std::string>& lines,
                                 const TVaultFormat& target) const {
    RequireUnlocked();
    // Each line is replaced where it stands, one decoded record at a time, so that the old and the
    // new lines are never all in memory together. A line that cannot be read stays as it is, and
    // so does one enciphered under another password: deciphered under this one it is noise, and
    // the noise enciphered anew would lose the line for good.
    TBlowfish fromCipher;
    TBlowfish toCipher;
    TRecordCipher from(fromCipher, MasterPassword());
    TRecordCipher to(toCipher, ClassicTarget(target).MasterPassword());
    TRecoding recoding;
    recoding.Recoded.resize(lines.size());
    std::size_t done = 0;
    try {
        for (; done < lines.size(); ++done) {
            std::string& line = lines[done];
            // A blank line is kept blank: enciphered anew it would become an account.
            if (line.empty() || !RecordLineReadable(line))
                continue;
            TPassRecord record = from.Decode(line);
            TRecordWipeGuard wipeRecord(record);
            if (!from.LastDecodeWhole())
                continue;
            std::string anew = to.Encode(record);
            line.swap(anew);
            recoding.Recoded[done] = true;
        }
    } catch (...) {
        // Only memory can run out midway: the lines done are turned back.
        recoding.Recoded.resize(done);
        RecodeBack(lines, recoding, target);
        throw;
    }
    return recoding;
}

void TClassicFormat::RecodeBack(std::vector<std::string>& lines, TRecoding& recoding,
                                const TVaultFormat& target) const noexcept {
    try {
        TBlowfish fromCipher;
        TBlowfish toCipher;
        TRecordCipher from(fromCipher, ClassicTarget(target).MasterPassword());
        TRecordCipher to(toCipher, MasterPassword());
        for (std::size_t index = 0; index < recoding.Recoded.size(); ++index) {
            if (!recoding.Recoded[index])
                continue;
            TPassRecord record = from.Decode(lines[index]);
            TRecordWipeGuard wipeRecord(record);
            std::string back = to.Encode(record);
            lines[index].swap(back);
        }
    } catch (...) {
        // Out of memory both ways: the data file is whole and untouched, and a vault of lines
        // under two passwords must never reach it.
        std::terminate();
    }
}
