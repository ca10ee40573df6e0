#include "vault/FieldText.h"

#include "base/Errors.h"
#include "base/SecureWipe.h"
#include "base/Utf8.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/IoErrorCodes.h"
#include "platform/PlatformErrors.h"
#include "platform/WipeQString.h"
#include "vault/ImportError.h"
#include "vault/NotesLines.h"
#include "vault/RecordCodec.h"

#include <QFile>
#include <QScopeGuard>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

std::string AnsiText(const QString& text, const std::string& what) {
    try {
        return QStringToAnsi(text);
    } catch (const EConvertError& error) {
        throw EImportError(error.Error().After(what));
    }
}

std::string OneLineText(const QString& text, const std::string& what) {
    if (text.contains(u'\n') || text.contains(u'\r'))
        throw EImportError(what + " holds a line break");
    return AnsiText(text, what);
}

std::string AccountNameText(const QString& text, const std::string& what) {
    if (text.isEmpty())
        throw EImportError(what + " is empty");
    return OneLineText(text, what);
}

std::string NewAccountNameText(const QString& text, const std::string& what) {
    std::string name = AccountNameText(text, what);
    if (std::any_of(name.begin(), name.end(),
                    [](char byte) { return IsControlByte(static_cast<unsigned char>(byte)); })) {
        WipeString(name);
        throw EImportError(what + " holds a control character");
    }
    return name;
}

std::string NotesText(const QString& text, const std::string& what) {
    QStringList parts = text.split(u'\n');
    if (!parts.isEmpty() && parts.back().isEmpty())
        parts.removeLast();
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(parts.size()));
    const auto wipe = [&] {
        for (QString& part : parts)
            WipeQString(part);
        for (std::string& line : lines)
            WipeString(line);
    };
    try {
        for (qsizetype i = 0; i < parts.size(); ++i) {
            QString& part = parts[i];
            if (part.endsWith(u'\r'))
                part.chop(1);
            const std::string where = what + " line " + std::to_string(i + 1);
            if (part.contains(QLatin1Char(NotesLineEnd)))
                throw EImportError(where + " holds \";\", which the vault keeps as a line break: "
                                           "break the line there or use another character");
            if (part.contains(u'\r'))
                throw EImportError(where + " holds a carriage return");
            lines.push_back(AnsiText(part, where));
        }
    } catch (...) {
        wipe();
        throw;
    }
    std::string notes = NotesFromLines(lines);
    wipe();
    return notes;
}

QString ReadUtf8File(const std::string& path) {
    // Opened by its bytes: Qt would take another name for one that is not UTF-8.
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (handle < 0) {
        const int err = errno;
        throw EImportError(
            EInOutError(IoErrorCodes::CodeForFailure(err, path, IoErrorCodes::AccessDenied), path)
                .Error());
    }
    QFile file;
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        throw EImportError(path + ": " + file.errorString().toStdString());
    }
    // Bounded, so that a device that never ends (/dev/zero) cannot fill the memory; a pipe
    // (`--csv <(command)`) is read to its end like a file. Read in pieces into room for the
    // file's size, grown by hand where a pipe needs more, so that no copy of the text is left
    // behind unwiped and no room is taken for the limit itself.
    constexpr std::size_t Limit = std::size_t{256} * 1024 * 1024;
    std::string bytes;
    TWipeGuard wipeBytes(bytes);
    bytes.reserve(static_cast<std::size_t>(std::clamp<qint64>(file.size(), 0, Limit)));
    std::array<char, 64 * 1024> piece;
    const auto wipePiece = qScopeGuard([&piece] { SecureZero(piece.data(), piece.size()); });
    for (;;) {
        const qint64 got = file.read(piece.data(), piece.size());
        if (got < 0)
            throw EImportError(path + ": " + file.errorString().toStdString());
        if (got == 0)
            break;
        const auto count = static_cast<std::size_t>(got);
        if (bytes.size() + count > Limit)
            throw EImportError(path + " is larger than 256 MiB");
        if (bytes.size() + count > bytes.capacity()) {
            std::string larger;
            larger.reserve(std::max(2 * bytes.capacity(), bytes.size() + count));
            larger = bytes;
            bytes.swap(larger);
            WipeString(larger);
        }
        bytes.append(piece.data(), count);
    }
    // The line of the first byte that is not UTF-8, for the message.
    char32_t code = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = DecodeUtf8At(bytes, at, code);
        if (length == 0)
            throw EImportError(
                path + " line " +
                std::to_string(std::count(bytes.begin(),
                                          bytes.begin() + static_cast<std::ptrdiff_t>(at), '\n') +
                               1) +
                " is not UTF-8 text");
        at += length;
    }
    // The decoder drops a byte-order mark at the start, as Windows programs write one.
    QStringDecoder decoder(QStringDecoder::Utf8);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}
