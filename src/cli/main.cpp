// kestovar-cli: the vault's accounts and files from the command line, on the window's model.

#include "app/ProcessHardening.h"
#include "cli/Arguments.h"
#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <array>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>

namespace {

using TRun = void (*)(const TArguments&, TPasswordInput&);

constexpr std::array<std::pair<const char16_t*, TRun>, 17> Runs = {{
    {u"ls", RunList},
    {u"show", RunShow},
    {u"add", RunAdd},
    {u"edit", RunEdit},
    {u"rm", RunRemove},
    {u"passwd", RunChangePassword},
    {u"create", RunCreate},
    {u"upgrade", RunUpgrade},
    {u"downgrade", RunDowngrade},
    {u"export", RunExport},
    {u"import", RunImport},
    {u"merge", RunMerge},
    {u"totp", RunTotp},
    {u"clip", RunClip},
    {u"generate", RunGenerate},
    {u"analyze", RunAnalyze},
    {u"info", RunInfo},
}};

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
// clipboard. QT_QPA_PLATFORM, where set, still chooses.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
    const bool clip = argc > 1 && std::string_view(argv[1]) == "clip";
    if (!clip || !(Set("DISPLAY") || Set("QT_QPA_PLATFORM")))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (!Set("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
#ifdef NDEBUG
    HardenProcess(); // a crash must not write decoded accounts to the disk
#endif
    const std::unique_ptr<QCoreApplication> application = MakeApplication(argc, argv);
    try {
        const std::optional<TArguments> args = ParseArguments(QCoreApplication::arguments());
        if (!args)
            return 0;
        TPasswordInput input;
        for (const auto& [name, run] : Runs) {
            if (args->Command == QStringView(name))
                run(*args, input);
        }
        return 0;
    } catch (const EUsageError& error) {
        return Fail(error.what(), 2);
    } catch (const std::exception& error) {
        return Fail(error.what(), 1);
    }
}
