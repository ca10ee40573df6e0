#include "vault/HardenedFormat.h"

#include "base/SecureWipe.h"
#include "vault/Kvf2Convert.h"
#include "vault/Kvf2File.h"

#include <stdexcept>
#include <utility>

namespace {

class THardenedCodec final : public TAccountCodec {
public:
    explicit THardenedCodec(const TKvf2Session& session)
        : FSession(session), FCodec(session.Keys(), session.Header().Id) {}

    TNameScan ScanNames(TLineSpan lines) override {
        // The session shares a large vault with the other core.
        TKvf2Scan found = FSession.Scan(lines);
        TNameScan scan;
        scan.Accounts = std::move(found.Accounts);
        scan.Kept = std::move(found.Kept);
        scan.Damaged = std::move(found.Damaged);
        return scan;
    }
    std::string DecodeName(std::string_view line) override {
        std::string name;
        if (FCodec.ReadName(line, name) != TKvf2LineKind::Account)
            WipeString(name);
        return name;
    }
    TPassRecord Decode(std::string_view line) override {
        std::optional<TPassRecord> record = FCodec.DecodeAccount(line);
        FWhole = record.has_value();
        if (!record)
            return {};
        TPassRecord whole = std::move(*record);
        WipeRecord(*record); // short fields moved out leave their bytes behind
        return whole;
    }
    bool LastDecodeWhole() const noexcept override { return FWhole; }
    std::string Encode(const TPassRecord& record) override { return FCodec.EncodeAccount(record); }

private:
    const TKvf2Session& FSession;
    TKvf2Codec FCodec;
    bool FWhole = true;
};

const THardenedFormat& HardenedTarget(const TVaultFormat& target) {
    if (target.Format() != TDataFormat::Hardened)
        throw std::logic_error("A password change keeps the file's format");
    return static_cast<const THardenedFormat&>(target);
}

} // namespace

THardenedFormat::THardenedFormat(TKvf2Session session, const std::string& password)
    : TVaultFormat(password), FSession(std::move(session)) {}

std::unique_ptr<TAccountCodec> THardenedFormat::Codec() const {
    RequireUnlocked();
    return std::make_unique<THardenedCodec>(FSession);
}

std::string THardenedFormat::FirstLine(const std::vector<std::string>& lines) const {
    return FSession.HeaderLine(lines);
}

bool THardenedFormat::OwnsFile(const std::string& path) const {
    // The same password text, parameters, SALT and ID give the same CHECK: no key is needed to
    // tell that the file is this vault's under its master password.
    const TKvf2HeaderRead read = ReadKvf2FirstLineOf(path);
    const TKvf2Header& own = FSession.Header();
    return read.Kind == TFirstLineKind::Format2 &&
           Kvf2PasswordText(read.Header) == Kvf2PasswordText(own) && read.Header.Check == own.Check;
}

void THardenedFormat::Lock(TLineSpan lines) {
    FSession.Lock(lines);
    ForgetPassword();
}

bool THardenedFormat::Unlock(const std::string& password, TKvf2Keys keys) {
    if (password.empty() || keys.Empty() || !FSession.Unlock(std::move(keys)))
        return false;
    TakePassword(password);
    return true;
}

std::unique_ptr<TVaultFormat> THardenedFormat::WithPassword(const std::string& password,
                                                            TNewKeys keys) const {
    if (keys.Header.Id != FSession.Header().Id)
        throw std::logic_error("A password change keeps the file's ID");
    return std::make_unique<THardenedFormat>(TKvf2Session::Made(keys.Header, std::move(keys.Keys)),
                                             password);
}

TRecoding THardenedFormat::Recode(std::vector<std::string>& lines,
                                  const TVaultFormat& target) const {
    RequireUnlocked();
    TRecoding recoding;
    std::vector<std::string> anew =
        ReencipherLines(FSession, HardenedTarget(target).Session(), lines);
    recoding.Recoded.resize(lines.size());
    // A line moved to the new keys has a new R, so it differs; a damaged line stays as it is.
    for (std::size_t i = 0; i < lines.size(); ++i)
        recoding.Recoded[i] = anew[i] != lines[i];
    recoding.Before = std::exchange(lines, std::move(anew));
    return recoding;
}

void THardenedFormat::RecodeBack(std::vector<std::string>& lines, TRecoding& recoding,
                                 const TVaultFormat&) const noexcept {
    lines.swap(recoding.Before);
}
