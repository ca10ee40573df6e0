// kestovar-cli: the vault's accounts and files from the command line, on the window's model.

#include "app/ProcessHardening.h"
#include "cli/Arguments.h"
#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "platform/FileSystem.h"
#include "platform/PlatformErrors.h"

#include <QCoreApplication>

#include <array>
#include <utility>

namespace {

using TRun = void (*)(const TArguments&, TPasswordInput&);

struct TRunEntry {
    const char16_t* Name;
    TRun Run;
    bool Writes; // a refusal says that nothing was written
};

constexpr std::array<TRunEntry, 11> Runs = {{
    {u"ls", RunList, false},
    {u"show", RunShow, false},
    {u"add", RunAdd, true},
    {u"edit", RunEdit, true},
    {u"rm", RunRemove, true},
    {u"passwd", RunChangePassword, true},
    {u"create", RunCreate, true},
    {u"export", RunExport, false},
    {u"import", RunImport, true},
    {u"merge", RunMerge, true},
    {u"repair", RunRepair, true},
}};

// The refusal's line: for a command that writes, what became of the file follows.
std::string RefusalLine(const std::exception& error, bool writes) {
    std::string line = error.what();
    const auto* user = dynamic_cast<const EUserError*>(&error);
    const auto* io = dynamic_cast<const EInOutError*>(&error);
    const bool said = (user && user->Outcome() == TOutcome::Said) ||
                      dynamic_cast<const EFileBusy*>(&error) || (io && io->FileReplaced());
    if (writes && !said)
        line += line.ends_with('.') ? " Nothing was written." : ". Nothing was written.";
    return line;
}

int Fail(const char* message, int status) {
    WriteErr(std::string("kestovar-cli: ") + message + "\n");
    return status;
}

} // namespace

int main(int argc, char** argv) {
#ifdef NDEBUG
    HardenProcess(); // a crash must not write decoded accounts to the disk
#endif
    const QCoreApplication application(argc, argv);
    try {
        // From argv itself: Qt's own list has lost the bytes of a file name that is not UTF-8.
        const std::optional<TArguments> args = ParseArguments(ArgumentsFromCommandLine(argc, argv));
        if (!args)
            return 0;
        TPasswordInput input;
        for (const TRunEntry& entry : Runs) {
            if (args->Command != QStringView(entry.Name))
                continue;
            try {
                entry.Run(*args, input);
            } catch (const EUsageError&) {
                throw;
            } catch (const std::exception& error) {
                return Fail(RefusalLine(error, entry.Writes).c_str(), 1);
            }
        }
        return 0;
    } catch (const EUsageError& error) {
        return Fail(error.what(), 2);
    } catch (const std::exception& error) {
        return Fail(error.what(), 1);
    }
}
