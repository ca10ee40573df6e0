// The hardened data file's figures, each against a floor measured in the same run:
//  - one key derivation at the defaults against one guess at an older file's check line
//    (MakeCheckLine), in CPU time of this thread, and the guesses per second per core of both;
//  - opening 100,000 accounts (the file read, the first line, CHECK, every name, the seal; the
//    derivation excluded) and changing their password (every line enciphered anew) against
//    100,000 OpenSSL Blowfish key schedules, as bench_vault measures the older format;
//  - the file's size against the same accounts in the older format.
// Batches alternate and medians are reported, since the machine is shared and noisy.

#include "TestVault.h"
#include "vault/DataFile.h"
#include "vault/Kvf2Convert.h"
#include "vault/Kvf2File.h"

#include <benchmark/benchmark.h>
#include <openssl/blowfish.h>

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string Master = "bench master";
constexpr int AccountCount = 100000;
constexpr int DerivationRounds = 3;
constexpr int OpenRounds = 5;
constexpr TKvf2Params SmallParams{1, 8192}; // the keys of the large file: derivation excluded

using TClock = std::chrono::steady_clock;

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename TWork> double WallSecondsOf(TWork&& work) {
    const auto start = TClock::now();
    work();
    return std::chrono::duration<double>(TClock::now() - start).count();
}

template <typename TWork> double CpuSecondsOf(TWork&& work) {
    const double start = ThreadSeconds();
    work();
    return ThreadSeconds() - start;
}

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Wall time, and the CPU time of every thread of the process: on a busy machine the second core
// may not be there to take its share, and the CPU time tells the work apart from the waiting.
struct TTimes {
    std::vector<double> Wall, Cpu;
    template <typename TWork> void Add(TWork&& work) {
        const double cpu = ProcessSeconds();
        Wall.push_back(WallSecondsOf(work));
        Cpu.push_back(ProcessSeconds() - cpu);
    }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5"; // Linux: VmHWM back to the present size
}

unsigned KeySchedules(const std::string& key, int count) {
    BF_KEY schedule;
    unsigned sink = 0;
    for (int i = 0; i < count; ++i) {
        BF_set_key(&schedule, static_cast<int>(key.size()),
                   reinterpret_cast<const unsigned char*>(key.data()));
        sink += schedule.P[i % 18];
    }
    return sink;
}

// One key derivation at the defaults against one check-line guess, in CPU time.
void DerivationAgainstGuess() {
    constexpr int GuessBatch = 2000;
    TBlowfish cipher;
    std::string guess = "aaaaaaaa";
    const auto guessBatch = [&] {
        for (int i = 0; i < GuessBatch; ++i) {
            std::string checkLine = MakeCheckLine(cipher, guess);
            benchmark::DoNotOptimize(checkLine);
            guess[i % guess.size()] = static_cast<char>('a' + i % 26);
        }
    };
    guessBatch(); // warm-up
    const TKvf2Salt salt{};
    std::vector<double> guessCpu, deriveCpu, deriveWall;
    long peakKiB = 0;
    for (int round = 0; round < DerivationRounds; ++round) {
        for (int batch = 0; batch < 5; ++batch)
            guessCpu.push_back(CpuSecondsOf(guessBatch) / GuessBatch);
        ResetPeakResident();
        const long before = PeakResidentKiB();
        double cpu = 0;
        deriveWall.push_back(WallSecondsOf([&] {
            cpu = CpuSecondsOf([&] {
                TKvf2Keys keys = DeriveKvf2Keys(Master, Kvf2DefaultParams, salt);
                benchmark::DoNotOptimize(keys);
            });
        }));
        deriveCpu.push_back(cpu);
        peakKiB = std::max(peakKiB, PeakResidentKiB() - before);
    }
    const double guess1 = Median(guessCpu);
    const double guess2 = Median(deriveCpu);
    std::printf("bench_kvf2: a password guess, CPU of one thread, medians\n");
    std::printf("  format 1, MakeCheckLine        %12.2f us   %12.0f guesses/s per core\n",
                guess1 * 1e6, 1 / guess1);
    std::printf("  format 2, Argon2id t=%u m=%u KiB %9.2f ms   %12.3f guesses/s per core\n",
                Kvf2DefaultParams.Passes, Kvf2DefaultParams.MemoryKiB, guess2 * 1e3, 1 / guess2);
    std::printf("  ratio format 2 / format 1      %12.0f x   (target at least 40,000: %s)\n",
                guess2 / guess1, guess2 / guess1 >= 40000 ? "PASS" : "MISS");
    std::printf("  derivation wall time           %12.2f ms   (target at most 1,500 idle: %s)\n",
                Median(deriveWall) * 1e3, Median(deriveWall) <= 1.5 ? "PASS" : "MISS");
    std::printf("  derivation's peak above before %12.1f MiB\n",
                static_cast<double>(peakKiB) / 1024);
}

void LargeVault(const std::string& folder) {
    const std::string olderPath = folder + "/older.kvf";
    const std::string path = folder + "/hardened.kvf";
    const TKvf2Header header = TKvf2Session::NewHeader(SmallParams);
    TKvf2Session session =
        TKvf2Session::Made(header, DeriveKvf2Keys(Master, SmallParams, header.Salt));
    {
        const std::vector<TPassRecord> accounts =
            MakeTestAccounts(AccountCount, DefaultTestVaultSeed);
        WriteTestVault(olderPath, accounts, Master);
        std::vector<std::string> lines;
        lines.reserve(accounts.size());
        for (const TPassRecord& account : accounts)
            lines.push_back(session.EncodeAccount(account));
        WriteKvf2File(path, session, lines);
    }
    const auto olderSize = std::filesystem::file_size(olderPath);
    const auto size = std::filesystem::file_size(path);

    const TKvf2Header otherHeader = TKvf2Session::NewHeader(SmallParams, header.Id);
    const TKvf2Session changed = TKvf2Session::Made(
        otherHeader, DeriveKvf2Keys("another master", SmallParams, otherHeader.Salt));
    const std::string key = Master + RecordKeySuffix;
    enum { Floor, Whole, Read, Check, Names, Seal, Change, Steps };
    const char* labels[Steps] = {"OpenSSL floor (100,000 keys)",
                                 "open, derivation excluded",
                                 "  reading and splitting the file",
                                 "  first line and CHECK",
                                 "  the names (two cores)",
                                 "  the seal",
                                 "password change, derivation excluded"};
    const double targets[Steps] = {0, 0.05, 0, 0, 0, 0, 0.12};
    TTimes times[Steps];
    std::size_t sink = KeySchedules(key, AccountCount); // warm-up
    long openPeakKiB = 0;
    for (int round = 0; round < OpenRounds; ++round) {
        times[Floor].Add([&] { sink += KeySchedules(key, AccountCount); });
        ResetPeakResident();
        const long before = PeakResidentKiB();
        times[Whole].Add([&] {
            const TDataFileText text = ReadDataFileText(path);
            const TKvf2HeaderRead read = ReadKvf2FirstLine(text.FirstLine);
            sink += Kvf2PasswordMatches(session.Keys(), read.Header);
            TKvf2SealVerdict verdict;
            sink += session.ScanAndVerifySeal(read, text.Lines, verdict).Accounts.size();
            sink += verdict.Intact;
        });
        openPeakKiB = std::max(openPeakKiB, PeakResidentKiB() - before);
        TDataFileText text;
        times[Read].Add([&] { text = ReadDataFileText(path); });
        TKvf2HeaderRead read;
        times[Check].Add([&] {
            read = ReadKvf2FirstLine(text.FirstLine);
            sink += Kvf2PasswordMatches(session.Keys(), read.Header);
        });
        times[Names].Add([&] { sink += session.Scan(text.Lines).Accounts.size(); });
        times[Seal].Add([&] { sink += session.VerifySeal(read, text.Lines).Intact; });
        times[Change].Add([&] { sink += ReencipherLines(session, changed, text.Lines).size(); });
    }
    const double floor = Median(times[Floor].Wall);
    const double floorCpu = Median(times[Floor].Cpu);
    std::printf("bench_kvf2: %d accounts, medians of %d rounds; wall time, then the CPU time of "
                "every thread\n",
                AccountCount, OpenRounds);
    for (int step = 0; step < Steps; ++step) {
        const double ratio = Median(times[step].Wall) / floor;
        std::printf("  %-38s %9.2f ms %.4f x floor  %9.2f ms %.4f x floor", labels[step],
                    Median(times[step].Wall) * 1e3, ratio, Median(times[step].Cpu) * 1e3,
                    Median(times[step].Cpu) / floorCpu);
        if (targets[step] > 0)
            std::printf("  (wall at most %.2f: %s)", targets[step],
                        ratio <= targets[step] ? "PASS" : "MISS");
        std::printf("\n");
    }
    const double sizeRatio = static_cast<double>(size) / static_cast<double>(olderSize);
    std::printf("  file: format 2 %ju bytes, format 1 %ju bytes, ratio %.3f (target at most 1.5: "
                "%s)\n",
                static_cast<std::uintmax_t>(size), static_cast<std::uintmax_t>(olderSize),
                sizeRatio, sizeRatio <= 1.5 ? "PASS" : "MISS");
    std::printf("  open's peak above before: %.1f MiB, %.2f x the file\n",
                static_cast<double>(openPeakKiB) / 1024,
                static_cast<double>(openPeakKiB) * 1024 / static_cast<double>(size));
    std::printf("  (checksum %zu)\n", sink);
}

} // namespace

int main() {
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_kvf2: no temporary folder\n");
        return 1;
    }
    DerivationAgainstGuess();
    LargeVault(folder.path().toStdString());
    return 0;
}
