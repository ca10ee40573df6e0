#pragma once

// The hardened data file on disk: read whole with the data file's line rules, written through the
// same atomic replace as the older format, CR LF after every line.

#include "base/SecureWipe.h"
#include "platform/ContentHash.h"
#include "platform/LineBlock.h"
#include "vault/Kvf2Session.h"

#include <string>
#include <vector>

// A data file of either format as read: its first line, every line after it, and what the file
// held, to tell later whether another program changed it. The first line (a check line, in the
// older format) is wiped when the object goes.
template <typename TLines> struct TDataFileOf {
    std::string FirstLine;
    TLines Lines;
    TContentDigest Content;

    TDataFileOf() = default;
    ~TDataFileOf() { WipeString(FirstLine); }
    TDataFileOf(TDataFileOf&&) noexcept = default;
    TDataFileOf& operator=(TDataFileOf&&) noexcept = default;
    TDataFileOf(const TDataFileOf&) = delete;
    TDataFileOf& operator=(const TDataFileOf&) = delete;
};
using TDataFileText = TDataFileOf<std::vector<std::string>>;
// The lines left in the bytes read, until they are taken as strings.
using TDataFileBlock = TDataFileOf<TLineBlock>;

// Raise EInOutError as ReadDataFile does.
TDataFileText ReadDataFileText(const std::string& path);
TDataFileBlock ReadDataFileBlockText(const std::string& path);

// The first line of the file at path, enough of it to tell its format (Kvf2Header.h).
TKvf2HeaderRead ReadKvf2FirstLineOf(const std::string& path);

// Writes the session's first line for these lines, then the lines; returns what was written.
// Raises EInOutError; on any failure the old file stays as it was.
TContentDigest WriteKvf2File(const std::string& path, const TKvf2Session& session,
                             const std::vector<std::string>& lines);

// Everything opening a hardened file does, in order, with the derivation on the calling thread
// (kestovar-cli; the window derives elsewhere and calls the steps itself): the whole file read,
// its first line read, the keys derived, CHECK, the names, the seal.
struct TKvf2OpenedFile {
    TKvf2OpenResult Result = TKvf2OpenResult::WrongPassword;
    TDataFileText Text;
    TKvf2HeaderRead Header;
    TKvf2Session Session; // only when opened
    TKvf2Scan Scan;
    TKvf2SealVerdict Seal;
};
// Raises EKvf2Refusal, before any derivation, for a first line of another format or version, a
// damaged one, or one asking too much memory; EKeyError for a password that cannot be a master
// password; EInOutError.
TKvf2OpenedFile OpenKvf2File(const std::string& path, const std::string& password);
