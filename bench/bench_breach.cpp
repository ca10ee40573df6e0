// analyze --hibp on a list as large as a gigabyte: 1,000 passwords hashed and looked up together in
// a generated sorted "HASH:count" file, against the time it takes to read that file once; and, to
// see where the time goes, the hashing alone and the hashes searched one by one. Half of
// the passwords are in the list. Both run from the page cache (the file was just written), medians
// of alternating rounds; then once each with the file dropped from the cache, as a list of tens
// of gigabytes always is.
//
//   bench_breach [megabytes]   (1000 by default; the file is made in a temporary folder and
//                               deleted at the end)

#include "vault/BreachList.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Passwords = 1000;
constexpr int Rounds = 7;

using TClock = std::chrono::steady_clock;

template <typename TWork> double SecondsOf(TWork&& work) {
    const auto start = TClock::now();
    work();
    return std::chrono::duration<double>(TClock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Password(int i) {
    return "bench password " + std::to_string(i);
}

void AppendLine(std::string& out, const TSha1Digest& digest, unsigned count) {
    static const char digits[] = "0123456789ABCDEF";
    for (const unsigned char byte : digest) {
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    out += ':';
    out += std::to_string(count);
    out += "\r\n";
}

// Hashes in increasing order, spread evenly as SHA-1's are, with the hashes of the even-numbered
// passwords among them; returns the file's size.
std::uint64_t WriteList(const std::string& path, std::uint64_t bytes) {
    std::vector<TSha1Digest> known;
    for (int i = 0; i < Passwords; i += 2)
        known.push_back(BreachHashOf(Password(i)));
    std::sort(known.begin(), known.end());
    const std::uint64_t lines = bytes / 48; // 40 digits, ":", about five of count, CR LF
    const std::uint64_t meanGap = UINT64_MAX / lines;
    std::mt19937_64 random(1);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror("bench_breach");
        std::exit(1);
    }
    std::string out;
    out.reserve(1 << 22);
    std::uint64_t high = 0;
    std::uint64_t written = 0;
    std::size_t next = 0;
    for (std::uint64_t i = 0; i < lines; ++i) {
        high += 1 + random() % (2 * meanGap - 1);
        TSha1Digest digest{};
        std::uint64_t low = random();
        for (int b = 0; b < 8; ++b) {
            digest[static_cast<std::size_t>(b)] = static_cast<unsigned char>(high >> (56 - 8 * b));
            digest[static_cast<std::size_t>(8 + b)] =
                static_cast<unsigned char>(low >> (56 - 8 * b));
        }
        const std::uint32_t rest = static_cast<std::uint32_t>(random());
        for (int b = 0; b < 4; ++b)
            digest[static_cast<std::size_t>(16 + b)] =
                static_cast<unsigned char>(rest >> (24 - 8 * b));
        while (next < known.size() && known[next] < digest)
            AppendLine(out, known[next++], 1 + static_cast<unsigned>(random() % 100000));
        if (next < known.size() && known[next] == digest)
            continue;
        AppendLine(out, digest, 1 + static_cast<unsigned>(random() % 100000));
        if (out.size() > (1 << 22) - 256) {
            written += std::fwrite(out.data(), 1, out.size(), file);
            out.clear();
        }
    }
    while (next < known.size())
        AppendLine(out, known[next++], 1);
    written += std::fwrite(out.data(), 1, out.size(), file);
    if (std::fflush(file) != 0 || ::fsync(fileno(file)) != 0 || std::fclose(file) != 0) {
        std::perror("bench_breach");
        std::exit(1);
    }
    return written;
}

std::uint64_t ReadOnce(const std::string& path) {
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::vector<char> buffer(1 << 20);
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t got = ::read(handle, buffer.data(), buffer.size());
        if (got <= 0)
            break;
        total += static_cast<std::uint64_t>(got);
        benchmark::DoNotOptimize(buffer.data());
    }
    ::close(handle);
    return total;
}

std::vector<TSha1Digest> Hashes() {
    std::vector<TSha1Digest> hashes;
    hashes.reserve(Passwords);
    for (int i = 0; i < Passwords; ++i)
        hashes.push_back(BreachHashOf(Password(i)));
    return hashes;
}

// What analyze does: every password hashed, then the hashes looked up together.
int LookUp(const std::string& path, std::uint64_t& bytesRead, std::uint64_t& reads) {
    TBreachList list(path);
    int found = 0;
    for (const std::uint64_t count : list.TimesSeenEach(Hashes()))
        found += count > 0 ? 1 : 0;
    bytesRead = list.BytesRead();
    reads = list.Reads();
    return found;
}

// Each hash searched on its own, from the whole file's bounds.
int LookUpOneByOne(const std::string& path) {
    TBreachList list(path);
    int found = 0;
    for (const TSha1Digest& hash : Hashes())
        found += list.TimesSeen(hash) > 0 ? 1 : 0;
    return found;
}

void DropFromCache(const std::string& path) {
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ::posix_fadvise(handle, 0, 0, POSIX_FADV_DONTNEED);
    ::close(handle);
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000;
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_breach: no temporary folder\n");
        return 1;
    }
    const std::string path = folder.filePath(QStringLiteral("pwned.txt")).toStdString();
    const std::uint64_t size = WriteList(path, megabytes * 1000000);

    std::uint64_t sink = ReadOnce(path);
    std::uint64_t bytesRead = 0;
    std::uint64_t listReads = 0;
    int found = LookUp(path, bytesRead, listReads);
    if (found != Passwords / 2) {
        std::fprintf(stderr, "bench_breach: found %d of %d listed passwords\n", found,
                     Passwords / 2);
        return 1;
    }
    std::vector<double> reads;
    std::vector<double> lookups;
    std::vector<double> oneByOne;
    std::vector<double> hashing;
    for (int round = 0; round < Rounds; ++round) {
        reads.push_back(SecondsOf([&] { sink += ReadOnce(path); }));
        lookups.push_back(SecondsOf([&] { found += LookUp(path, bytesRead, listReads); }));
        oneByOne.push_back(SecondsOf([&] { found += LookUpOneByOne(path); }));
        hashing.push_back(SecondsOf([&] { sink += Hashes().front()[0]; }));
    }
    DropFromCache(path);
    const double coldRead = SecondsOf([&] { sink += ReadOnce(path); });
    DropFromCache(path);
    const double coldLookups = SecondsOf([&] { found += LookUp(path, bytesRead, listReads); });

    const double read = Median(reads);
    const double lookup = Median(lookups);
    std::printf("bench_breach: %d passwords against a sorted list of %.2f GB, medians of %d "
                "rounds\n",
                Passwords, static_cast<double>(size) / 1e9, Rounds);
    std::printf("  reading the file once            %9.2f ms\n", read * 1e3);
    std::printf("  hashing and looking up %d      %9.2f ms  (%.2f us each, %.2f reads of %.1f KiB "
                "in all each)\n",
                Passwords, lookup * 1e3, lookup * 1e6 / Passwords,
                static_cast<double>(listReads) / Passwords,
                static_cast<double>(bytesRead) / Passwords / 1024);
    std::printf("    of which hashing alone         %9.2f ms\n", Median(hashing) * 1e3);
    std::printf("  each searched on its own         %9.2f ms  (ratio %.4f)\n",
                Median(oneByOne) * 1e3, Median(oneByOne) / read);
    std::printf("  ratio %.4f (target below 0.01)\n", lookup / read);
    std::printf("  not in the page cache: reading %.2f ms, looking up %.2f ms, ratio %.4f\n",
                coldRead * 1e3, coldLookups * 1e3, coldLookups / coldRead);
    std::printf("  (checksum %llu)\n", static_cast<unsigned long long>(sink + found));
    return 0;
}
