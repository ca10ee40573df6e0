// Our Blowfish against OpenSSL's and Nettle's, each doing the same work: a key schedule, one
// block in ECB, a serial CBC chain and a whole record line as the vault writes it. The bytes are
// compared before anything is timed. The implementations alternate in short batches over many
// repetitions, since the machine is shared and noisy; medians are reported. Last, how many master
// passwords one core can try against a stolen data file's check line.

#include "base/SecureWipe.h"
#include "cipher/BlowCore.h"
#include "cipher/Blowfish.h"
#include "vault/DataFile.h"

#include <benchmark/benchmark.h>
#include <nettle/blowfish.h>
#include <nettle/cbc.h>
#include <openssl/blowfish.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* RecordIV = "qupewidoKRT52%MvB(/h3nx";
constexpr const char* RecordKeySuffix = "QXV fill";
const std::string MasterPassword = "Correct Hors"; // with the suffix a 20-byte key
const std::string Key20 = MasterPassword + RecordKeySuffix;
const std::array<std::string, 4> RecordFields{"Bank 123", "jdoe@ex.", "pw: 1234567890ab",
                                              "note line one;two;three;"};
constexpr std::size_t ChainBytes = 1024; // 128 blocks, the last one padding

const std::uint8_t* Bytes(const std::string& text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// Our component with its core and text form in view, for the comparisons.
class TOurs : public TBlowfish {
public:
    using TBlowfish::Core;
    using TBlowfish::EncodeText;
};

// The vault's padding: 1 to 8 bytes, each holding the count.
std::string Padded(const std::string& plain) {
    const std::size_t pad = 8 - plain.size() % 8;
    return plain + std::string(pad, static_cast<char>(pad));
}

void FoldIV(const std::string& text, std::uint8_t (&iv)[8]) {
    std::memset(iv, 0, sizeof iv);
    for (std::size_t i = 0; i < text.size(); ++i)
        iv[i % 8] ^= static_cast<std::uint8_t>(text[i]);
}

// The peers encipher into a padded buffer with their own CBC and use our text form, so that
// only the cipher work differs.
struct TOpenSsl {
    BF_KEY Key;

    void SetKey(const std::string& key) {
        BF_set_key(&Key, static_cast<int>(key.size()), Bytes(key));
    }
    std::string Cbc(const std::string& plain, std::uint8_t (&iv)[8]) {
        std::string bytes = Padded(plain);
        auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
        BF_cbc_encrypt(data, data, static_cast<long>(bytes.size()), &Key, iv, BF_ENCRYPT);
        return bytes;
    }
    void Wipe() { SecureZero(&Key, sizeof Key); }
};

struct TNettle {
    blowfish_ctx Ctx;

    void SetKey(const std::string& key) { blowfish_set_key(&Ctx, key.size(), Bytes(key)); }
    std::string Cbc(const std::string& plain, std::uint8_t (&iv)[8]) {
        std::string bytes = Padded(plain);
        auto* data = reinterpret_cast<std::uint8_t*>(bytes.data());
        cbc_encrypt(&Ctx, reinterpret_cast<nettle_cipher_func*>(&blowfish_encrypt),
                    BLOWFISH_BLOCK_SIZE, iv, bytes.size(), data, data);
        return bytes;
    }
    void Wipe() { SecureZero(&Ctx, sizeof Ctx); }
};

std::string OursRecord(TOurs& ours) {
    ours.SetCipherMode(TCipherMode::CBC);
    ours.SetStringMode(TStringMode::smEncode);
    ours.SetIV(RecordIV);
    ours.SetKey(MasterPassword + RecordKeySuffix);
    std::string line;
    for (std::size_t i = 0; i < RecordFields.size(); ++i) {
        std::string text;
        ours.EncryptString(RecordFields[i], text);
        line += (i ? ";" : "") + text;
    }
    ours.Wipe();
    return line;
}

template <typename Peer> std::string PeerRecord(Peer& peer) {
    std::uint8_t iv[8];
    FoldIV(RecordIV, iv);
    peer.SetKey(MasterPassword + RecordKeySuffix);
    std::string line;
    for (std::size_t i = 0; i < RecordFields.size(); ++i) {
        const std::string text = RecordFields[i].empty()
                                     ? std::string()
                                     : TOurs::EncodeText(peer.Cbc(RecordFields[i], iv));
        line += (i ? ";" : "") + text;
    }
    peer.Wipe();
    return line;
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

struct TResult {
    const char* Work;
    double Ours, OpenSsl, Nettle, RatioOpenSsl, RatioNettle;
    double OpenSslTarget; // the ratio to OpenSSL that must not be exceeded, 0 if none
};

// Runs the three in batches of `batch` calls, rotating their order every repetition.
template <typename Ours, typename OpenSsl, typename Nettle>
TResult Compare(const char* work, int batch, int repetitions, double openSslTarget, Ours ours,
                OpenSsl openSsl, Nettle nettle) {
    const auto runBatch = [&](int which) {
        const auto start = Clock::now();
        switch (which) {
        case 0:
            for (int i = 0; i < batch; ++i)
                ours();
            break;
        case 1:
            for (int i = 0; i < batch; ++i)
                openSsl();
            break;
        default:
            for (int i = 0; i < batch; ++i)
                nettle();
            break;
        }
        benchmark::ClobberMemory();
        return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / batch;
    };
    for (int r = 0; r < repetitions / 10 + 1; ++r)
        for (int which = 0; which < 3; ++which)
            runBatch(which);

    std::array<std::vector<double>, 3> times;
    std::vector<double> ratioOpenSsl, ratioNettle;
    for (int r = 0; r < repetitions; ++r) {
        std::array<double, 3> t{};
        for (int k = 0; k < 3; ++k) {
            const int which = (r + k) % 3;
            t[which] = runBatch(which);
        }
        for (int which = 0; which < 3; ++which)
            times[which].push_back(t[which]);
        ratioOpenSsl.push_back(t[0] / t[1]);
        ratioNettle.push_back(t[0] / t[2]);
    }
    return {work,
            Median(times[0]),
            Median(times[1]),
            Median(times[2]),
            Median(ratioOpenSsl),
            Median(ratioNettle),
            openSslTarget};
}

// Guesses per second on this core: the median of many short batches, each of fresh guesses.
double CheckLineGuessesPerSecond() {
    TBlowfish cipher;
    std::string guess = "aaaaaaaa";
    const auto nextGuess = [&guess] {
        for (char& ch : guess) {
            ch = ch == 'z' ? 'a' : static_cast<char>(ch + 1);
            if (ch != 'a')
                break;
        }
    };
    constexpr int Batch = 64;
    std::vector<double> rates;
    for (int r = 0; r < 101; ++r) {
        const auto start = Clock::now();
        for (int i = 0; i < Batch; ++i) {
            std::string checkLine = MakeCheckLine(cipher, guess);
            benchmark::DoNotOptimize(checkLine);
            nextGuess();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        rates.push_back(Batch / seconds);
    }
    return Median(rates);
}

bool Check(bool same, const char* work) {
    if (!same)
        std::fprintf(stderr, "bench_cipher: %s: the implementations disagree; not timing\n", work);
    return same;
}

} // namespace

int main() {
    auto ours = std::make_unique<TOurs>();
    auto openSsl = std::make_unique<TOpenSsl>();
    auto nettle = std::make_unique<TNettle>();

    // The same key schedule, word for word.
    ours->SetKey(Key20);
    openSsl->SetKey(Key20);
    nettle->SetKey(Key20);
    const TBlowCore& core = ours->Core();
    bool same = std::equal(core.P.begin(), core.P.end(), openSsl->Key.P) &&
                std::equal(core.P.begin(), core.P.end(), nettle->Ctx.p);
    for (std::size_t box = 0; box < 4; ++box) {
        const auto& s = box == 0 ? core.S0 : box == 1 ? core.S1 : box == 2 ? core.S2 : core.S3;
        same = same && std::equal(s.begin(), s.end(), openSsl->Key.S + 256 * box) &&
               std::equal(s.begin(), s.end(), nettle->Ctx.s[box]);
    }
    if (!Check(same, "key schedule"))
        return 1;

    // One block in ECB, enciphered in place over and over: a serial chain of single blocks.
    auto blockCore = std::make_unique<TBlowCore>();
    ExpandKey(*blockCore, Bytes(Key20), Key20.size());
    blockCore->LeftHalf = blockCore->Block.data();
    blockCore->RightHalf = blockCore->Block.data() + 4;
    std::array<std::array<std::uint8_t, 8>, 3> blocks{};
    const auto oursBlock = [&] {
        std::memcpy(blockCore->Block.data(), blocks[0].data(), 8);
        EncryptBlock(*blockCore);
        std::memcpy(blocks[0].data(), blockCore->Block.data(), 8);
    };
    const auto openSslBlock = [&] {
        BF_ecb_encrypt(blocks[1].data(), blocks[1].data(), &openSsl->Key, BF_ENCRYPT);
    };
    const auto nettleBlock = [&] {
        blowfish_encrypt(&nettle->Ctx, 8, blocks[2].data(), blocks[2].data());
    };
    for (int i = 0; i < 1000; ++i) {
        oursBlock();
        openSslBlock();
        nettleBlock();
    }
    if (!Check(blocks[0] == blocks[1] && blocks[0] == blocks[2], "ECB block"))
        return 1;

    // A CBC chain through EncryptString (smNormal), padding included.
    std::string chainPlain(ChainBytes - 8, '\0');
    for (std::size_t i = 0; i < chainPlain.size(); ++i)
        chainPlain[i] = static_cast<char>(i * 31 + 7);
    const std::string chainIV = "8 bytes!";
    std::string chainOut[3];
    const auto oursChain = [&] {
        ours->SetCipherMode(TCipherMode::CBC);
        ours->SetStringMode(TStringMode::smNormal);
        ours->SetIV(chainIV);
        // A fresh result each time, as the peers make and as the vault calls it.
        std::string out;
        ours->EncryptString(chainPlain, out);
        chainOut[0] = std::move(out);
    };
    const auto peerChain = [&](auto& peer, std::string& out) {
        std::uint8_t iv[8];
        FoldIV(chainIV, iv);
        out = peer.Cbc(chainPlain, iv);
    };
    const auto openSslChain = [&] { peerChain(*openSsl, chainOut[1]); };
    const auto nettleChain = [&] { peerChain(*nettle, chainOut[2]); };
    oursChain();
    openSslChain();
    nettleChain();
    if (!Check(chainOut[0].size() == ChainBytes && chainOut[0] == chainOut[1] &&
                   chainOut[0] == chainOut[2],
               "CBC chain"))
        return 1;

    // A record line: key schedule, CBC over the four fields, text form, wipe.
    std::string lines[3];
    const auto oursLine = [&] { lines[0] = OursRecord(*ours); };
    const auto openSslLine = [&] { lines[1] = PeerRecord(*openSsl); };
    const auto nettleLine = [&] { lines[2] = PeerRecord(*nettle); };
    oursLine();
    openSslLine();
    nettleLine();
    if (!Check(lines[0] == lines[1] && lines[0] == lines[2], "record line"))
        return 1;

    const auto oursKey = [&] { ours->SetKey(Key20); };
    const auto openSslKey = [&] { openSsl->SetKey(Key20); };
    const auto nettleKey = [&] { nettle->SetKey(Key20); };

    const int repetitions = 401;
    const std::array<TResult, 4> results{
        Compare("key schedule (20-byte key)", 16, repetitions, 1.05, oursKey, openSslKey,
                nettleKey),
        Compare("one block, ECB", 4096, repetitions, 0, oursBlock, openSslBlock, nettleBlock),
        Compare("CBC chain, 1 KiB", 32, repetitions, 1.05, oursChain, openSslChain, nettleChain),
        Compare("record line (8/8/16/24 bytes)", 16, repetitions, 1.05, oursLine, openSslLine,
                nettleLine),
    };
    benchmark::DoNotOptimize(blocks);

    std::printf("%-32s %10s %10s %10s %13s %12s\n", "work (median ns)", "ours", "OpenSSL", "Nettle",
                "ours/OpenSSL", "ours/Nettle");
    bool met = true;
    for (const auto& r : results) {
        const bool ok = (r.OpenSslTarget == 0 || r.RatioOpenSsl <= r.OpenSslTarget) &&
                        (r.OpenSslTarget == 0 || r.RatioNettle < 1.0);
        met = met && ok;
        std::printf("%-32s %10.1f %10.1f %10.1f %13.3f %12.3f%s\n", r.Work, r.Ours, r.OpenSsl,
                    r.Nettle, r.RatioOpenSsl, r.RatioNettle, ok ? "" : "   (target missed)");
    }
    std::printf("targets (key schedule, CBC chain, record: ours/OpenSSL <= 1.05, ours/Nettle < 1): "
                "%s\n",
                met ? "met" : "missed");
    std::printf("master-password guesses per second against a check line, one core: %.0f\n",
                CheckLineGuessesPerSecond());
    return 0;
}
