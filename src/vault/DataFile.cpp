#include "vault/DataFile.h"

#include "base/Containers.h"
#include "base/TwoCores.h"
#include "platform/FileSystem.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "platform/TextFile.h"
#include "vault/RecordCodec.h"
#include "vault/WipeGuard.h"

#include <QScopeGuard>

#include <future>

std::string MakeCheckLine(TBlowfish& cipher, const std::string& password) {
    const auto wipeCipher = qScopeGuard([&cipher] { cipher.Wipe(); });
    cipher.SetCipherMode(TCipherMode::CBC);
    cipher.SetStringMode(TStringMode::smEncode);
    cipher.SetIV(password);
    cipher.SetKey(password);
    std::string text;
    TWipeGuard textGuard(text);
    cipher.EncryptString(password, text);
    std::string checkLine;
    cipher.GetCBCMacHex(checkLine);
    return checkLine;
}

bool CheckPassword(TBlowfish& cipher, const std::string& path, const std::string& password) {
    if (password.empty())
        return false;
    std::string madeLine = MakeCheckLine(cipher, password);
    TWipeGuard madeGuard(madeLine);
    return FileHasCheckLine(path, madeLine);
}

bool FileHasCheckLine(const std::string& path, const std::string& checkLine) {
    if (!FilePresent(path))
        return false;
    // Only as much of the first line as the comparison needs: a large file is not read through.
    std::string readLine = ReadFirstTextLine(path, checkLine.size());
    TWipeGuard readGuard(readLine);
    return readLine == checkLine;
}

bool LooksLikeDataFile(const std::string& path) {
    if (!FilePresent(path))
        return false;
    constexpr std::size_t CheckLineLength = 16;
    std::string first = ReadFirstTextLine(path, CheckLineLength + 1);
    TWipeGuard firstGuard(first);
    if (first.starts_with("KVF"))
        return true;
    return first.size() == CheckLineLength &&
           first.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos;
}

std::vector<std::string> ReadDataFile(const std::string& path) {
    TContentDigest content;
    return ReadDataFile(path, content);
}

std::vector<std::string> ReadDataFile(const std::string& path, TContentDigest& content) {
    std::string checkLine;
    TWipeGuard checkGuard(checkLine);
    return ReadDataFile(path, content, checkLine);
}

std::vector<std::string> ReadDataFile(const std::string& path, TContentDigest& content,
                                      std::string& checkLine) {
    TLineBlock block = ReadDataFileBlock(path, content, checkLine);
    return block.TakeStrings(AddHeadroom(block.size()));
}

TLineBlock ReadDataFileBlock(const std::string& path, TContentDigest& content,
                             std::string& checkLine) {
    TTextFile file;
    file.OpenTextForReading(path);
    // Made before the digest's future, so that it outlives the digest reading the bytes it takes.
    TLineBlock block;
    // The digest of a large file is worked out on the other core while its lines are cut. Should
    // the cutting raise, the future waits for the digest as it goes, before the bytes do.
    std::future<TContentDigest> digest =
        std::async(TwoCoreBytes <= file.Size() ? std::launch::async : std::launch::deferred,
                   [bytes = file.ReadBytes()] { return TContentHash::Of(bytes); });
    checkLine = file.ReadTextLine();
    block = file.ReadRemainingLineBlock();
    content = digest.get();
    return block;
}

void WriteDataFile(TBlowfish& cipher, const std::string& path, const std::string& masterPassword,
                   const std::vector<std::string>& lines) {
    // Made before the file is opened, so that a password that cannot be a key touches no file.
    std::string checkLine = MakeCheckLine(cipher, masterPassword);
    TWipeGuard checkGuard(checkLine);
    WriteDataFileWithCheckLine(path, checkLine, lines);
}

TContentDigest WriteDataFileWithCheckLine(const std::string& path, const std::string& checkLine,
                                          const std::vector<std::string>& lines) {
    TTextFile file;
    file.OpenTextForWriting(path);
    file.WriteTextLine(checkLine);
    for (const auto& line : lines)
        file.WriteTextLine(line);
    file.CloseTextFile();
    return file.Digest();
}

std::string BackupPath(const std::string& path) {
    return path + ".bak";
}

std::optional<TErrorMessage> BackupNameError(const std::string& path) {
    const std::string backup = BackupPath(path);
    if (FolderPresent(backup))
        return TErrorMessage(TErrorCode::BackupIsFolder, {backup});
    switch (ReplacementRefusal(backup)) {
    case 0:
        return std::nullopt;
    case IoErrorCodes::NotARegularFile:
        return TErrorMessage(TErrorCode::BackupNotAFile, {backup});
    default:
        return TErrorMessage(TErrorCode::BackupNotWritable, {backup});
    }
}

std::string BackupNameProblem(const std::string& path) {
    const std::optional<TErrorMessage> error = BackupNameError(path);
    return error ? error->Text() : std::string();
}

bool MakeBackup(const std::string& path, std::string* problem) {
    const std::string backup = BackupPath(path);
    std::string reason = BackupNameProblem(path);
    if (reason.empty()) {
        try {
            const TContentDigest copied = CopyFileOnto(path, backup);
            if (DigestOfOwnFile(backup) == copied)
                return true;
            reason = backup + " does not read back as the copy of " + path;
        } catch (const EInOutError& error) {
            reason = error.Message();
        }
    }
    if (problem)
        *problem = std::move(reason);
    return false;
}
