// Opening a vault of 10,000 accounts: the data file read and every line decoded with
// DecodeRecord, one key schedule per line as the format demands. The floor is as many bare
// Blowfish key schedules of OpenSSL, measured in the same run; the batches alternate and the
// medians are compared.
//
// Then TVault::Open of 100,000 accounts, whole and broken into its steps, each against 100,000
// OpenSSL key schedules of the same run.
//
// Last, kestovar-cli ls of 100,000 accounts under each locale and name mix, in both formats
// (`bench_vault locales` runs only these rows).

#include "LocaleRuns.h"
#include "TestVault.h"
#include "platform/Codepage.h"
#include "platform/TextCompare.h"
#include "vault/DataFile.h"
#include "vault/Kvf2Session.h"
#include "vault/RecordCodec.h"
#include "vault/Vault.h"

#include <openssl/blowfish.h>

#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int RecordCount = 10000;
constexpr int Rounds = 9;
const std::string Master = "bench master";

using TClock = std::chrono::steady_clock;

template <typename TWork> double SecondsOf(TWork&& work) {
    const auto start = TClock::now();
    work();
    return std::chrono::duration<double>(TClock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string MakeVault(TBlowfish& cipher, const std::string& path) {
    std::vector<std::string> lines;
    lines.reserve(RecordCount);
    {
        TRecordCipher recordCipher(cipher, Master);
        for (int i = 0; i < RecordCount; ++i) {
            const std::string n = std::to_string(100000 + i);
            lines.push_back(recordCipher.Encode({"Account " + n, "user" + n + "@example.org",
                                                 "pw-" + n + "-Xy9!",
                                                 "first note line " + n + ";second line;"}));
        }
    }
    WriteDataFile(cipher, path, Master, lines);
    return path;
}

std::size_t OpenVault(TBlowfish& cipher, const std::string& path) {
    std::size_t bytes = 0;
    for (const auto& line : ReadDataFile(path)) {
        TPassRecord record = DecodeRecord(cipher, line, Master);
        bytes += record.Account.size() + record.Login.size() + record.Password.size() +
                 record.Notes.size();
        WipeRecord(record);
    }
    return bytes;
}

unsigned KeySchedules(const std::string& key, int count = RecordCount) {
    BF_KEY schedule;
    unsigned sink = 0;
    for (int i = 0; i < count; ++i) {
        BF_set_key(&schedule, static_cast<int>(key.size()),
                   reinterpret_cast<const unsigned char*>(key.data()));
        sink += schedule.P[i % 18];
    }
    return sink;
}

constexpr int LargeCount = 100000;
constexpr int OpenRounds = 5;

// kestovar-cli on the same file, as a script runs it: the start of the process included, the
// master password on standard input. Its open is the window's (two key schedules), and show
// deciphers one account more.
double CliSeconds(const QStringList& arguments) {
    return SecondsOf([&] {
        QProcess cli;
        cli.start(QStringLiteral(KESTOVAR_CLI), arguments);
        cli.write((Master + "\n").c_str());
        cli.closeWriteChannel();
        if (!cli.waitForFinished(-1) || cli.exitStatus() != QProcess::NormalExit ||
            cli.exitCode() != 0) {
            std::fprintf(stderr, "bench_vault: kestovar-cli %s failed\n",
                         qPrintable(arguments.join(u' ')));
            std::exit(2);
        }
    });
}

// The steps of TVault::Open, each alone; the line order runs beside the names in Open.
void OpenSteps(const std::string& folder) {
    const std::string path = folder + "/Large.kvf";
    std::string shown; // an account for kestovar-cli show
    {
        const std::vector<TPassRecord> accounts =
            MakeTestAccounts(LargeCount, DefaultTestVaultSeed);
        WriteTestVault(path, accounts, Master);
        shown = accounts.front().Account;
    }
    const std::string key = Master + RecordKeySuffix;
    enum {
        Floor,
        Whole,
        FirstAdd,
        LaterAdd,
        Close,
        Check,
        Read,
        Readable,
        Names,
        SortNames,
        LineOrder,
        CliList,
        CliShow,
        Steps
    };
    const char* labels[Steps] = {"OpenSSL floor (100,000 keys)",
                                 "TVault::Open, whole",
                                 "first Add after Open",
                                 "a later Add",
                                 "  closing an open vault first",
                                 "  password check line",
                                 "  reading and splitting the file",
                                 "  readability of every line",
                                 "  deciphering the names",
                                 "  sorting the names (sort keys)",
                                 "  order of the lines (other core)",
                                 "kestovar-cli ls (process start included)",
                                 "kestovar-cli show (process start included)"};
    std::vector<double> times[Steps];
    std::size_t sink = 0;
    TBlowfish cipher;
    TVault vault;
    for (int round = 0; round < OpenRounds; ++round) {
        times[Floor].push_back(SecondsOf([&] { sink += KeySchedules(key, LargeCount); }));
        times[Whole].push_back(
            SecondsOf([&] { sink += vault.Open(path, Master) == TOpenResult::Opened; }));
        times[FirstAdd].push_back(SecondsOf([&] { sink += *vault.Add("bench first add"); }));
        times[LaterAdd].push_back(SecondsOf([&] { sink += *vault.Add("bench later add"); }));
        times[Close].push_back(SecondsOf([&] { vault.Close(); }));
        times[Check].push_back(SecondsOf([&] { sink += CheckPassword(cipher, path, Master); }));
        std::vector<std::string> lines;
        times[Read].push_back(SecondsOf([&] { lines = ReadDataFile(path); }));
        times[Readable].push_back(SecondsOf([&] {
            for (const std::string& line : lines)
                sink += RecordLineReadable(line);
        }));
        std::vector<std::string> names;
        names.reserve(lines.size());
        times[Names].push_back(SecondsOf([&] {
            TRecordCipher codec(cipher, Master);
            for (const std::string& line : lines)
                names.push_back(codec.DecodeAccount(line));
        }));
        times[SortNames].push_back(SecondsOf([&] {
            sink += static_cast<std::size_t>(
                SortedOrder(std::vector<std::string_view>(names.begin(), names.end())).front());
        }));
        times[LineOrder].push_back(SecondsOf([&] { sink += TextOrder(lines).Order.size(); }));
        for (std::string& name : names)
            WipeString(name);
    }
    // Separately, so that the processes do not disturb the steps above.
    const QString file = QString::fromStdString(path);
    for (int round = 0; round < OpenRounds; ++round) {
        times[CliList].push_back(CliSeconds({QStringLiteral("ls"), file}));
        times[CliShow].push_back(CliSeconds({QStringLiteral("show"), file, AnsiToQString(shown),
                                             QStringLiteral("--field"), QStringLiteral("login")}));
    }
    const double floor = Median(times[Floor]);
    std::printf("bench_vault: TVault::Open of %d accounts, medians of %d rounds\n", LargeCount,
                OpenRounds);
    for (int step = 0; step < Steps; ++step)
        std::printf("  %-36s %8.2f ms  %.4f x floor\n", labels[step], Median(times[step]) * 1e3,
                    Median(times[step]) / floor);
    std::printf("  (checksum %zu)\n", sink);
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// An empty vault in each format, and the peak memory of ls on each: what the program takes
// before it holds any account.
struct TEmptyVaults {
    explicit TEmptyVaults(const std::string& folder)
        : Paths{folder + "/empty-1.kvf", folder + "/empty-2.kvf"} {
        WriteTestVault(Paths[0], {}, Master);
        WriteHardenedTestVault(Paths[1], {}, Master, SmallKvf2Params);
    }
    std::array<long, 2> ListPeaks(const char* locale) const {
        std::array<long, 2> peaks{};
        for (std::size_t format = 0; format < peaks.size(); ++format)
            peaks[format] =
                RunInLocale(KESTOVAR_CLI, {"ls", Paths[format]}, locale, Master + "\n").PeakKiB;
        return peaks;
    }

    std::string Paths[2];
};

// kestovar-cli ls of 100,000 accounts as a script runs it (whole process, output thrown away),
// under each locale and name mix and in both formats, against the OpenSSL floor in wall and in
// CPU time; its peak memory above the same command on an empty vault, as a multiple of the file.
void ListByLocale(const std::string& folder) {
    const std::string key = Master + RecordKeySuffix;
    const std::vector<TMixVault> files = WriteMixVaults(folder, LargeCount, Master);
    const TEmptyVaults empty(folder);

    std::vector<double> floorWall;
    std::vector<double> floorCpu;
    std::vector<double> derivation;
    std::size_t sink = 0;
    for (int round = 0; round < 3; ++round) {
        const double cpu = ProcessCpuSeconds();
        floorWall.push_back(SecondsOf([&] { sink += KeySchedules(key, LargeCount); }));
        floorCpu.push_back(ProcessCpuSeconds() - cpu);
        const TKvf2Header header = TKvf2Session::NewHeader(SmallKvf2Params);
        const double before = ProcessCpuSeconds();
        sink += DeriveKvf2Keys(Master, SmallKvf2Params, header.Salt).Empty() ? 0 : 1;
        derivation.push_back(ProcessCpuSeconds() - before);
    }
    const double wallFloor = Median(floorWall);
    const double cpuFloor = Median(floorCpu);
    const double derived = Median(derivation);
    std::printf(
        "\nbench_vault: kestovar-cli ls of %d accounts by locale and name mix, medians of 3 "
        "runs; floor %.1f ms wall, %.1f ms CPU; format 2 less its key derivation (%.1f ms "
        "CPU)\n",
        LargeCount, wallFloor * 1e3, cpuFloor * 1e3, derived * 1e3);
    std::printf("  %-12s %-14s %3s %10s %8s %8s %8s  %s\n", "locale", "names", "fmt", "wall ms",
                "x floor", "CPU x", "x file", "(targets: 0.05 x floor, 3 x file)");
    const std::string input = Master + "\n";
    for (const char* locale : ReportLocales) {
        if (!LocaleReported(locale))
            continue;
        const std::array<long, 2> emptyPeak = empty.ListPeaks(locale);
        for (const TMixVault& file : files) {
            std::vector<TChildRun> runs;
            for (int round = 0; round < 3; ++round) {
                runs.push_back(RunInLocale(KESTOVAR_CLI, {"ls", file.Path}, locale, input));
                if (!runs.back().Succeeded) {
                    std::fprintf(stderr, "bench_vault: kestovar-cli ls failed under %s\n", locale);
                    std::exit(2);
                }
            }
            const TChildRun run = MedianRun(runs);
            const double less = file.Format == 2 ? derived : 0;
            const double wall = (run.WallSeconds - less) / wallFloor;
            const double cpu = (run.CpuSeconds - less) / cpuFloor;
            const double factor =
                static_cast<double>(run.PeakKiB -
                                    emptyPeak[static_cast<std::size_t>(file.Format - 1)]) *
                1024 / file.Bytes;
            std::printf("  %-12s %-14s %3d %10.1f %8.4f %8.4f %8.2f  %s %s\n", locale,
                        NameMixName(file.Mix), file.Format, run.WallSeconds * 1e3, wall, cpu,
                        factor, wall <= 0.05 ? "PASS" : "MISS", factor <= 3 ? "PASS" : "MISS");
        }
    }
    std::printf("  (checksum %zu)\n", sink);
}

// One command of kestovar-cli on a vault: its arguments after the file, what it reads from its
// standard input, and whether it writes the file (then it gets a fresh copy).
struct TCommandRun {
    const char* Label;
    std::vector<std::string> Before; // the command and any arguments before the file
    std::vector<std::string> After;  // after the file
    std::string Input;
    bool Writes;
};

// Every command of kestovar-cli that opens a vault, run once on each vault of 100,000 accounts
// under each locale; its peak memory above ls of an empty vault, as a multiple of the file (of
// both files for merge, which opens two). The key derivation of format 2 takes its own memory
// (8 MiB here), which is left in. clip and totp open the vault as show does; create, generate,
// import, import --from and repair open none.
void CommandsByLocale(const std::string& folder) {
    const std::vector<TMixVault> files = WriteMixVaults(folder, LargeCount, Master);
    const TEmptyVaults empty(folder);
    const std::string work = folder + "/work.kvf";
    const std::string other = folder + "/other.kvf";
    const std::string kept = folder + "/downgraded.kvf";
    const std::string once = Master + "\n";
    const std::string twice = once + once;
    const std::string newPassword = "bench master 2\n";

    std::printf("\nbench_vault: peak memory of every command that opens a vault of %d accounts, "
                "above ls of an empty vault, as a multiple of the file (target: 3 x)\n",
                LargeCount);
    std::printf("  %-12s %-14s %3s", "locale", "names", "fmt");
    const auto commandsOf = [&](int format, const std::string& name) {
        const std::vector<std::string> small = {"--kdf-passes", "1", "--kdf-memory", "8"};
        std::vector<TCommandRun> runs = {
            {"ls", {"ls"}, {}, once, false},
            {"show", {"show"}, {name}, once, false},
            {"export", {"export", "--csv"}, {}, once, false},
            {"analyze", {"analyze"}, {}, once, false},
            {"info", {"info"}, {}, once, false},
            {"add", {"add", "--login", "me"}, {"bench added account"}, once, true},
            {"edit", {"edit", "--login", "me"}, {name}, once, true},
            {"rm", {"rm"}, {name}, once, true},
            {"passwd", {"passwd"}, {}, once + newPassword + newPassword, true},
            {"merge", {"merge"}, {other}, twice, true},
        };
        if (format == 2) {
            runs[8].Before.insert(runs[8].Before.end(), small.begin(), small.end());
            runs.push_back({"up/down", {"downgrade", "--output", kept}, {}, once, true});
        } else {
            std::vector<std::string> upgrade = {"upgrade"};
            upgrade.insert(upgrade.end(), small.begin(), small.end());
            runs.push_back({"up/down", upgrade, {}, once, true});
        }
        return runs;
    };
    for (const TCommandRun& run : commandsOf(1, {}))
        std::printf(" %8s", run.Label);
    std::printf("\n");
    double worst = 0;
    for (const char* locale : ReportLocales) {
        if (!LocaleReported(locale))
            continue;
        const std::array<long, 2> emptyPeak = empty.ListPeaks(locale);
        for (const TMixVault& file : files) {
            // An account of ASCII name, which every locale's command line passes as it is.
            std::string name;
            for (const TPassRecord& account :
                 MakeTestAccounts(LargeCount, DefaultTestVaultSeed, file.Mix))
                if (std::all_of(account.Account.begin(), account.Account.end(),
                                [](char ch) { return ch >= ' ' && ch <= '~'; })) {
                    name = account.Account;
                    break;
                }
            std::printf("  %-12s %-14s %3d", locale, NameMixName(file.Mix), file.Format);
            for (const TCommandRun& run : commandsOf(file.Format, name)) {
                std::filesystem::remove(kept);
                std::string path = file.Path;
                if (run.Writes) {
                    std::filesystem::copy_file(file.Path, work,
                                               std::filesystem::copy_options::overwrite_existing);
                    std::filesystem::copy_file(file.Path, other,
                                               std::filesystem::copy_options::overwrite_existing);
                    path = work;
                }
                std::vector<std::string> arguments = run.Before;
                arguments.push_back(path);
                arguments.insert(arguments.end(), run.After.begin(), run.After.end());
                const TChildRun child = RunInLocale(KESTOVAR_CLI, arguments, locale, run.Input);
                if (!child.Succeeded) {
                    std::fprintf(stderr, "bench_vault: kestovar-cli %s failed under %s\n",
                                 run.Label, locale);
                    std::exit(2);
                }
                const double files = run.Before.front() == "merge" ? 2 : 1;
                const double factor =
                    static_cast<double>(child.PeakKiB -
                                        emptyPeak[static_cast<std::size_t>(file.Format - 1)]) *
                    1024 / (files * file.Bytes);
                worst = std::max(worst, factor);
                std::printf(" %8.2f", factor);
            }
            std::printf("\n");
        }
    }
    std::printf("  largest %.2f x the file: %s (up/down: upgrade of format 1, downgrade of 2)\n",
                worst, worst <= 3 ? "PASS" : "MISS");
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == LauncherOption)
        return RunLauncher(argv);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_vault: no temporary folder\n");
        return 1;
    }
    // bench_vault locales: only the rows by locale and name mix; bench_vault commands: only the
    // memory of every command.
    if (argc == 2 && std::string(argv[1]) == "locales") {
        ListByLocale(folder.path().toStdString());
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "commands") {
        CommandsByLocale(folder.path().toStdString());
        return 0;
    }
    TBlowfish cipher;
    const std::string path = MakeVault(cipher, folder.filePath("PassData.kvf").toStdString());
    const std::string key = Master + RecordKeySuffix;

    std::size_t sink = OpenVault(cipher, path) + KeySchedules(key); // warm-up
    std::vector<double> vault;
    std::vector<double> floor;
    std::vector<double> readOnly;
    for (int round = 0; round < Rounds; ++round) {
        floor.push_back(SecondsOf([&] { sink += KeySchedules(key); }));
        vault.push_back(SecondsOf([&] { sink += OpenVault(cipher, path); }));
        readOnly.push_back(SecondsOf([&] { sink += ReadDataFile(path).size(); }));
    }

    const double vaultMedian = Median(vault);
    const double floorMedian = Median(floor);
    std::printf("bench_vault: %d records, %d alternating rounds, medians\n", RecordCount, Rounds);
    std::printf("  read + DecodeRecord each line   %8.2f ms  (%.2f us per record)\n",
                vaultMedian * 1e3, vaultMedian * 1e6 / RecordCount);
    std::printf("    of which reading the file     %8.2f ms\n", Median(readOnly) * 1e3);
    std::printf("  OpenSSL BF_set_key (floor)      %8.2f ms  (%.2f us per key)\n",
                floorMedian * 1e3, floorMedian * 1e6 / RecordCount);
    std::printf("  ratio %.3f (target at most 1.3)\n", vaultMedian / floorMedian);
    std::printf("  (checksum %zu)\n", sink);
    OpenSteps(folder.path().toStdString());
    ListByLocale(folder.path().toStdString());
    CommandsByLocale(folder.path().toStdString());
    return 0;
}
