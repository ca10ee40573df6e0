// kestovar-cli: the vault's accounts and files from the command line, on the window's model.

#include "cli/Arguments.h"
#include "cli/CliErrors.h"
#include "cli/CommandTable.h"
#include "cli/Console.h"
#include "cli/DesktopClipboard.h"
#include "platform/FileSystem.h"
#include "platform/PlatformErrors.h"
#include "platform/ProcessHardening.h"

#include <QCoreApplication>

#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>

namespace {

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

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// clip serves the desktop's clipboard; every other command runs without a display. clip speaks
// X11, on Wayland through XWayland: a Wayland client with no window of its own cannot set the
// clipboard. QT_QPA_PLATFORM, where set, still chooses. Without its module, clip says why.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
    const bool clip = argc > 1 && std::string_view(argv[1]) == "clip";
    if (clip && (Set("DISPLAY") || Set("QT_QPA_PLATFORM"))) {
        if (!Set("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "xcb");
        if (std::unique_ptr<QCoreApplication> desktop = MakeDesktopApplication(argc, argv))
            return desktop;
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
#ifdef NDEBUG
    HardenProcess(); // a crash must not write decoded accounts to the disk
#endif
    const std::unique_ptr<QCoreApplication> application = MakeApplication(argc, argv);
    try {
        // From argv itself: Qt's own list has lost the bytes of a file name that is not UTF-8.
        const std::optional<TArguments> args = ParseArguments(ArgumentsFromCommandLine(argc, argv));
        if (!args)
            return 0;
        const TCommand* command = FindCommand(args->Command);
        if (command == nullptr)
            return 0;
        TPasswordInput input;
        try {
            command->Run(*args, input);
        } catch (const EUsageError&) {
            throw;
        } catch (const std::exception& error) {
            return Fail(RefusalLine(error, command->Writes).c_str(), 1);
        }
        return 0;
    } catch (const EUsageError& error) {
        return Fail(error.what(), 2);
    } catch (const std::exception& error) {
        return Fail(error.what(), 1);
    }
}
