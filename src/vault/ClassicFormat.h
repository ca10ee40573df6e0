#pragma once

// Format 1, the data file that Kestovar has always written: a check line made from the master
// password, then one Blowfish-CBC line per account keyed by the password itself. Every key set-up
// is one Blowfish key schedule, so each action keys the cipher as it always has.

#include "cipher/Blowfish.h"
#include "vault/VaultFormat.h"

class TClassicFormat final : public TVaultFormat {
public:
    // The password and its check line, made already (opening made it to test the file), or made
    // here with one key schedule.
    TClassicFormat(const std::string& password, std::string checkLine);
    explicit TClassicFormat(const std::string& password);
    ~TClassicFormat() override;

    const std::string& CheckLine() const noexcept { return FCheckLine; }

    TDataFormat Format() const noexcept override { return TDataFormat::Classic; }
    bool KeepsFileOrder() const noexcept override { return false; }
    bool FailedAccountIsDamaged() const noexcept override { return false; }
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
    std::string FCheckLine; // kept while locked: a save writes it, and Unlock tests against it
};
