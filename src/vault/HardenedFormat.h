#pragma once

// Format 2, the hardened data file (Kvf2*.h): keys derived once from the master password with
// Argon2id, held in locked memory by the session, every column authenticated and the file sealed.
// The lines keep the file's order.

#include "vault/Kvf2Session.h"
#include "vault/VaultFormat.h"

class THardenedFormat final : public TVaultFormat {
public:
    THardenedFormat(TKvf2Session session, const std::string& password);

    const TKvf2Session& Session() const noexcept { return FSession; }

    TDataFormat Format() const noexcept override { return TDataFormat::Hardened; }
    bool KeepsFileOrder() const noexcept override { return true; }
    bool FailedAccountIsDamaged() const noexcept override { return true; }
    std::unique_ptr<TAccountCodec> Codec() const override;
    std::string FirstLine(const std::vector<std::string>& lines) const override;
    bool OwnsFile(const std::string& path) const override;
    void Lock(TLineSpan lines) override;
    bool Unlock(const std::string& password, TKvf2Keys keys) override;
    std::unique_ptr<TVaultFormat> WithPassword(const std::string& password,
                                               TNewKeys keys) const override;
    TRecoding Recode(std::vector<std::string>& lines, const TVaultFormat& target) const override;
    void RecodeBack(std::vector<std::string>& lines, TRecoding& recoding,
                    const TVaultFormat& target) const noexcept override;

private:
    TKvf2Session FSession;
};
