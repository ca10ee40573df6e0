// kestovar-cli: the vault's accounts and files from the command line, on the window's model.

#include "app/ProcessHardening.h"
#include "cli/Arguments.h"
#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"

#include <QCoreApplication>

#include <array>
#include <utility>

namespace {

using TRun = void (*)(const TArguments&, TPasswordInput&);

constexpr std::array<std::pair<const char16_t*, TRun>, 11> Runs = {{
    {u"ls", RunList},
    {u"show", RunShow},
    {u"add", RunAdd},
    {u"edit", RunEdit},
    {u"rm", RunRemove},
    {u"passwd", RunChangePassword},
    {u"create", RunCreate},
    {u"export", RunExport},
    {u"import", RunImport},
    {u"merge", RunMerge},
    {u"info", RunInfo},
}};

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
