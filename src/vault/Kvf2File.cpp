#include "vault/Kvf2File.h"

#include "platform/TextFile.h"
#include "vault/DataFile.h"

#include <utility>

TDataFileText ReadDataFileText(const std::string& path) {
    TDataFileText text;
    text.Lines = ReadDataFile(path, text.Content, text.FirstLine);
    return text;
}

TDataFileBlock ReadDataFileBlockText(const std::string& path) {
    TDataFileBlock text;
    text.Lines = ReadDataFileBlock(path, text.Content, text.FirstLine);
    return text;
}

TKvf2HeaderRead ReadKvf2FirstLineOf(const std::string& path) {
    std::string line = ReadFirstTextLine(path, Kvf2HeaderMaxLength);
    TWipeGuard wipeLine(line);
    return ReadKvf2FirstLine(line);
}

TContentDigest WriteKvf2File(const std::string& path, const TKvf2Session& session,
                             const std::vector<std::string>& lines) {
    // Made before the file is opened, so that a vault that cannot be sealed touches no file.
    const std::string header = session.HeaderLine(lines);
    return WriteDataFileWithCheckLine(path, header, lines);
}

TKvf2OpenedFile OpenKvf2File(const std::string& path, const std::string& password) {
    TKvf2OpenedFile file;
    // One read: the header checked is the header of the lines taken.
    file.Text = ReadDataFileText(path);
    file.Header = ReadKvf2FirstLine(file.Text.FirstLine);
    switch (file.Header.Kind) {
    case TFirstLineKind::Format2:
        break;
    case TFirstLineKind::OtherVersion:
        throw EKvf2Refusal(Kvf2OtherVersionMessage(file.Header));
    case TFirstLineKind::DamagedHeader:
        throw EKvf2Refusal(Kvf2DamagedHeaderMessage());
    case TFirstLineKind::Format1:
        throw EKvf2Refusal("The data file is not in the hardened format.");
    }
    TKvf2Keys keys = DeriveKvf2Keys(password, file.Header.Header.Params, file.Header.Header.Salt);
    file.Result = TKvf2Session::Open(file.Header, std::move(keys), file.Session);
    if (file.Result != TKvf2OpenResult::Opened)
        return file;
    file.Scan = file.Session.ScanAndVerifySeal(file.Header, file.Text.Lines, file.Seal);
    return file;
}
