// info: what a data file is, read without its password: its format, the cost of its key
// derivation and its line count. Nothing secret is shown, and nothing is derived or written.

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "platform/FileSystem.h"
#include "vault/Kvf2File.h"
#include "vault/Kvf2Keys.h"

#include <algorithm>
#include <cctype>

namespace {

std::string MiB(std::uint64_t kib) {
    return std::to_string(kib / 1024) + " MiB";
}

std::string Passes(std::uint32_t passes) {
    return std::to_string(passes) + (passes == 1 ? " pass" : " passes");
}

bool LooksLikeCheckLine(const std::string& line) {
    return line.size() == 16 && std::all_of(line.begin(), line.end(), [](char ch) {
               return std::isdigit(static_cast<unsigned char>(ch)) || (ch >= 'A' && ch <= 'F');
           });
}

std::string OlderFormatInfo(const TDataFileText& text) {
    std::string info = "Format: 1 (a check line, then Blowfish-CBC record lines)\n";
    if (!LooksLikeCheckLine(text.FirstLine))
        info += "First line: no check line; this may not be a Kestovar data file\n";
    info += "Record lines: " + std::to_string(text.Lines.size()) + "\n";
    info += "Cost of one password guess: one Blowfish key schedule, with no salt\n";
    return info;
}

std::string HardenedInfo(const TDataFileText& text, const TKvf2HeaderRead& read) {
    const TKvf2Params& params = read.Header.Params;
    std::string info = "Format: 2 (hardened: Argon2id, XChaCha20-Poly1305, sealed)\n";
    info += "Key derivation: Argon2id, " + Passes(params.Passes) + ", " +
            std::to_string(params.MemoryKiB) + " KiB\n";
    info += "Record lines: " + std::to_string(text.Lines.size());
    if (read.DeclaredLineCount && *read.DeclaredLineCount != text.Lines.size())
        info += " (the first line counts " + std::to_string(*read.DeclaredLineCount) +
                ": lines were added or removed outside Kestovar)";
    info += "\n";
    if (!read.TailIntact)
        info += "First line: changed outside Kestovar after its last save (its checksum does not "
                "match); the master password tells whether it still opens\n";
    info += "Cost of one password guess: " + Passes(params.Passes) + " over " +
            MiB(params.MemoryKiB) + " of memory, " +
            MiB(std::uint64_t{params.Passes} * params.MemoryKiB) + " of memory work in all\n";
    const TKvf2Params& defaults = Kvf2DefaultParams;
    if (params.Passes < defaults.Passes || params.MemoryKiB < defaults.MemoryKiB)
        info += "Below the defaults (" + Passes(defaults.Passes) + " over " +
                MiB(defaults.MemoryKiB) + "); the next password change raises it to them\n";
    if (const std::string problem = Kvf2MemoryProblem(params.MemoryKiB); !problem.empty())
        info += "On this computer: " + problem + "\n";
    return info;
}

} // namespace

void RunInfo(const TArguments& args, TPasswordInput&) {
    if (!FilePresent(args.File))
        throw EUserError(args.File + ": no such file");
    const TDataFileText text = ReadDataFileText(args.File);
    const TKvf2HeaderRead read = ReadKvf2FirstLine(text.FirstLine);
    std::string info = "File: " + args.File + "\n";
    switch (read.Kind) {
    case TFirstLineKind::Format1:
        info += OlderFormatInfo(text);
        break;
    case TFirstLineKind::Format2:
        info += HardenedInfo(text, read);
        break;
    case TFirstLineKind::OtherVersion:
        throw EUserError(args.File + ": " + Kvf2OtherVersionMessage(read));
    case TFirstLineKind::DamagedHeader:
        throw EUserError(args.File + ": " + Kvf2DamagedHeaderMessage());
    }
    WriteOut(info);
}
