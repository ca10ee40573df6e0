// repair: a data file that another program converted gets its own form back.

#include "base/SecureWipe.h"
#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "platform/FileSystem.h"
#include "vault/ConvertedFile.h"

void RunRepair(const TArguments& args, TPasswordInput& input) {
    if (!FilePresent(args.File))
        throw EUserError(args.File + ": no such file");
    const TFileConversion conversion = DetectFileConversion(args.File);
    if (!conversion.Any()) {
        WriteOut(args.File +
                 " needs no repair: it has its own line ends and no byte-order mark.\n");
        return;
    }
    // The password shows that the file is the user's vault before anything is written.
    std::string password = input.Read("Master password for " + args.File + ": ");
    TWipeGuard wipePassword(password);
    switch (RepairConvertedFile(args.File, password)) {
    case TRepairResult::Repaired:
        WriteOut("Repaired " + args.File + ": " +
                 (conversion.LfLineEnds ? "its lines end in CR LF again" : "") +
                 (conversion.LfLineEnds && conversion.ByteOrderMark ? ", and " : "") +
                 (conversion.ByteOrderMark ? "the byte-order mark is gone" : "") + ".\n");
        return;
    case TRepairResult::WrongPassword:
        throw EUserError("The password was not correct. " + args.File + " was not changed.",
                         TOutcome::Said);
    case TRepairResult::NotConverted:
        WriteOut(args.File + " needs no repair any more.\n");
        return;
    }
}
