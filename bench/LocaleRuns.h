#pragma once

// Child processes run under a given locale (LC_ALL and LANG set for them alone), timed from
// outside: wall time, the CPU time of all their threads, and their peak resident memory. The
// rows of the reports by locale and name mix use them.

#include <fcntl.h>
#include <locale.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

// The locales of the reports; those not installed are skipped with a line that says so.
inline constexpr std::array<const char*, 4> ReportLocales = {"C.UTF-8", "en_US.UTF-8",
                                                             "de_DE.UTF-8", "fr_FR.UTF-8"};

inline bool LocaleInstalled(const char* name) {
    const locale_t handle = newlocale(LC_ALL_MASK, name, nullptr);
    if (handle == nullptr)
        return false;
    freelocale(handle);
    return true;
}

// Whether a locale's rows are reported; a locale that is not installed gets a line saying so.
inline bool LocaleReported(const char* locale) {
    if (LocaleInstalled(locale))
        return true;
    std::printf("  %-12s skipped: not installed (tools/dev.sh bench generates it as root)\n",
                locale);
    return false;
}

struct TChildRun {
    bool Succeeded = false;
    double WallSeconds = 0;
    double CpuSeconds = 0; // user and system, every thread
    long PeakKiB = 0;
};

// A process's peak memory counts the memory of the process that started it, when that one was
// large (fork copies it, and posix_spawn's exec records it): this program, holding the vaults it
// made, starts a fresh copy of itself (RunLauncher), which starts the program and reports on it.
inline constexpr const char* LauncherOption = "--launch";

// In the fresh copy: argv is {self, LauncherOption, program, arguments...}. The program's output
// is thrown away; its figures are printed as "status wall cpu peak".
inline int RunLauncher(char** argv) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        return 1;
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0)
            dup2(null, STDOUT_FILENO);
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return 1;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
    };
    std::printf("%d %.6f %.6f %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : 128, wall,
                seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss);
    return 0;
}

// Runs program with arguments under the locale (LC_ALL and LANG, and no other LC_ setting),
// input written to its standard input.
inline TChildRun RunInLocale(const std::string& program, const std::vector<std::string>& arguments,
                             const char* locale, const std::string& input) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (std::strncmp(*entry, "LC_", 3) != 0 && std::strncmp(*entry, "LANG=", 5) != 0 &&
            std::strncmp(*entry, "LANGUAGE=", 9) != 0)
            environment.emplace_back(*entry);
    environment.push_back(std::string("LC_ALL=") + locale);
    environment.push_back(std::string("LANG=") + locale);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args{"/proc/self/exe", LauncherOption, program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    TChildRun run;
    int in[2];
    int out[2];
    if (pipe(in) != 0)
        return run;
    if (pipe(out) != 0) {
        close(in[0]);
        close(in[1]);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (spawned == 0) {
        struct sigaction ignore = {};
        struct sigaction previous = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &previous);
        [[maybe_unused]] const ssize_t written = write(in[1], input.data(), input.size());
        sigaction(SIGPIPE, &previous, nullptr);
    }
    close(in[1]);
    std::string output;
    char buffer[256];
    for (ssize_t got; spawned == 0 && (got = read(out[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<std::size_t>(got));
    close(out[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return run;
    int exitCode = -1;
    if (std::sscanf(output.c_str(), "%d %lf %lf %ld", &exitCode, &run.WallSeconds, &run.CpuSeconds,
                    &run.PeakKiB) != 4)
        return run;
    run.Succeeded = exitCode == 0;
    return run;
}

// The medians of several runs, each figure alone.
inline TChildRun MedianRun(std::vector<TChildRun> runs) {
    TChildRun median = runs.front();
    const std::size_t middle = runs.size() / 2;
    const auto pick = [&](auto member) {
        std::sort(runs.begin(), runs.end(),
                  [&](const TChildRun& a, const TChildRun& b) { return a.*member < b.*member; });
        median.*member = runs[middle].*member;
    };
    pick(&TChildRun::WallSeconds);
    pick(&TChildRun::CpuSeconds);
    pick(&TChildRun::PeakKiB);
    return median;
}
