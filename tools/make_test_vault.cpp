// Writes a test vault of N made-up accounts under a master password:
//   make_test_vault PATH N PASSWORD [SEED [MIX]]
// The same N, SEED and MIX give the same accounts. The password is taken in the local encoding and
// stored in Windows-1252, as the password prompt does.

#include "TestVault.h"
#include "platform/Codepage.h"
#include "vault/DataFile.h"
#include "vault/WipeGuard.h"

#include <QString>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string_view>

namespace {

template <typename TNumber> bool ParseNumber(const char* text, TNumber& number) {
    const char* end = text + std::strlen(text);
    const auto [last, error] = std::from_chars(text, end, number);
    return error == std::errc() && last == end && last != text;
}

int Usage() {
    std::fprintf(stderr, "usage: make_test_vault PATH N PASSWORD [SEED [MIX]]\n"
                         "  N accounts (0 or more) under the master PASSWORD (1 to 48 bytes);\n"
                         "  SEED (default 1) chooses the made-up accounts; MIX is usual\n"
                         "  (default), accented (half the names) or prefix (one shared start).\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 6)
        return Usage();
    std::size_t count = 0;
    std::uint64_t seed = DefaultTestVaultSeed;
    if (!ParseNumber(argv[2], count) || (argc >= 5 && !ParseNumber(argv[4], seed)))
        return Usage();
    TNameMix mix = TNameMix::Usual;
    if (argc == 6) {
        const std::string_view name = argv[5];
        if (name == "accented")
            mix = TNameMix::Accented;
        else if (name == "prefix")
            mix = TNameMix::SharedPrefix;
        else if (name != "usual")
            return Usage();
    }
    try {
        std::string password = QStringToAnsi(QString::fromLocal8Bit(argv[3]));
        TWipeGuard wipePassword(password);
        const std::string problem = NewMasterPasswordProblem(password);
        if (!problem.empty()) {
            std::fprintf(stderr, "make_test_vault: %s\n", problem.c_str());
            return 2;
        }
        const std::string path = argv[1];
        WriteTestVault(path, MakeTestAccounts(count, seed, mix), password);
        std::printf("%s: %zu accounts, %ju bytes\n", path.c_str(), count,
                    static_cast<std::uintmax_t>(std::filesystem::file_size(path)));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_test_vault: %s\n", error.what());
        return 1;
    }
    return 0;
}
