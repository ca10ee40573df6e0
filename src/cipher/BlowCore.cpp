#include "cipher/BlowCore.h"

#include "cipher/BlowTables.h"

#include <atomic>

namespace {

std::atomic<std::uint64_t> KeySchedules{0};

// Continues the key schedule's chain of encipherments into `words`, two words per encipherment.
template <std::size_t N>
inline void FillFromChain(const TBlowCore& core, std::array<std::uint32_t, N>& words,
                          std::uint32_t& left, std::uint32_t& right) noexcept {
    static_assert(N % 2 == 0);
    for (std::size_t i = 0; i < N; i += 2) {
        EncipherWords(core, left, right);
        words[i] = left;
        words[i + 1] = right;
    }
}

} // namespace

void LoadInitialTables(TBlowCore& core) noexcept {
    core.P = BlowInitialP;
    core.S0 = BlowInitialS0;
    core.S1 = BlowInitialS1;
    core.S2 = BlowInitialS2;
    core.S3 = BlowInitialS3;
}

void ExpandKey(TBlowCore& core, const std::uint8_t* key, std::size_t length) noexcept {
    LoadInitialTables(core);

    // The key bytes are used cyclically, the first of each group of four most significant. A
    // wrapping pointer avoids a division per byte.
    const std::uint8_t* const end = key + length;
    const std::uint8_t* next = key;
    for (std::uint32_t& p : core.P) {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            word = (word << 8) | *next;
            if (++next == end)
                next = key;
        }
        p ^= word;
    }

    // One chain of 521 encipherments, each using the tables as far as they are replaced already.
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    FillFromChain(core, core.P, left, right);
    FillFromChain(core, core.S0, left, right);
    FillFromChain(core, core.S1, left, right);
    FillFromChain(core, core.S2, left, right);
    FillFromChain(core, core.S3, left, right);

    KeySchedules.fetch_add(1, std::memory_order_relaxed);
}

std::uint64_t KeyScheduleCount() noexcept {
    return KeySchedules.load(std::memory_order_relaxed);
}
