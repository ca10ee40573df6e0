// Writes a test vault of N made-up accounts under a master password:
//   make_test_vault PATH N PASSWORD [SEED]
// The same N and SEED give the same accounts. The password is taken in the local encoding and
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

namespace {

template <typename TNumber> bool ParseNumber(const char* text, TNumber& number) {
    const char* end = text + std::strlen(text);
    const auto [last, error] = std::from_chars(text, end, number);
    return error == std::errc() && last == end && last != text;
}

int Usage() {
    std::fprintf(stderr, "usage: make_test_vault PATH N PASSWORD [SEED]\n"
                         "  N accounts (0 or more) under the master PASSWORD (1 to 48 bytes);\n"
                         "  SEED (default 1) chooses the made-up accounts.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5)
        return Usage();
    std::size_t count = 0;
    std::uint64_t seed = DefaultTestVaultSeed;
    if (!ParseNumber(argv[2], count) || (argc == 5 && !ParseNumber(argv[4], seed)))
        return Usage();
    try {
        std::string password = QStringToAnsi(QString::fromLocal8Bit(argv[3]));
        TWipeGuard wipePassword(password);
        const std::string problem = NewMasterPasswordProblem(password);
        if (!problem.empty()) {
            std::fprintf(stderr, "make_test_vault: %s\n", problem.c_str());
            return 2;
        }
        const std::string path = argv[1];
        WriteTestVault(path, MakeTestAccounts(count, seed), password);
        std::printf("%s: %zu accounts, %ju bytes\n", path.c_str(), count,
                    static_cast<std::uintmax_t>(std::filesystem::file_size(path)));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_test_vault: %s\n", error.what());
        return 1;
    }
    return 0;
}
