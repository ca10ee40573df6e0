#include "vault/LockedWrite.h"

void RequireUnchanged(const TVault& vault, const std::string& path,
                      const std::optional<TOverwriteConsent>& consent) {
    if (consent && consent->Path == path) {
        const std::optional<TFileStamp> now = StampFile(path);
        if (now && *now != consent->Stamp)
            throw EChangedElsewhere(path);
        return;
    }
    if (vault.ChangedElsewhere(path))
        throw EChangedElsewhere(path);
}

EChangedElsewhere::EChangedElsewhere(const std::string& path)
    : Exception(TErrorMessage(TErrorCode::FileChangedSinceRead, {path})), FPath(path) {}

std::optional<TOverwriteConsent> ConsentToOverwrite(const std::string& path) {
    std::optional<TFileStamp> stamp = StampFile(path);
    if (!stamp)
        return std::nullopt;
    return TOverwriteConsent{path, *stamp};
}

void SaveUnderLock(TVault& vault, const std::string& path,
                   const std::optional<TOverwriteConsent>& consent) {
    WriteUnderLock(vault, path, consent, [&] {
        if (path == vault.Path())
            vault.Save();
        else
            vault.SaveAs(path);
    });
}
