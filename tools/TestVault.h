#pragma once

// Test vaults of any size: accounts made up from a seed, and valid data files holding them under a
// given master password. The same count and seed give the same accounts on every machine.
//
// Account names are all different, non-empty, of varied length and letter case, and in
// Windows-1252 (mostly ASCII, some accented letters). Notes hold several short lines, each
// followed by ";", short enough not to wrap in the notes field.

#include "vault/Kvf2Header.h"
#include "vault/RecordCodec.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::uint64_t DefaultTestVaultSeed = 1;

// What the names are made of. Usual: one name in six with an accented word. Accented: half of
// them, from a longer list of French, German, Scandinavian and Spanish words (é, ü, ß, ø, æ, œ
// ...). SharedPrefix: the usual names, each after the same 25 characters, as in a vault whose
// user names every account after its household or firm.
enum class TNameMix { Usual, Accented, SharedPrefix };
inline constexpr TNameMix NameMixes[] = {TNameMix::Usual, TNameMix::Accented,
                                         TNameMix::SharedPrefix};
const char* NameMixName(TNameMix mix) noexcept;
inline constexpr std::string_view SharedNamePrefix = "Household accounts, main ";

std::vector<TPassRecord> MakeTestAccounts(std::size_t count, std::uint64_t seed,
                                          TNameMix mix = TNameMix::Usual);

// Enciphers the accounts under the master password, keying the cipher once, and writes the data
// file. Raises what WriteDataFile raises (EKeyError for an unusable password, EInOutError).
void WriteTestVault(const std::string& path, const std::vector<TPassRecord>& accounts,
                    const std::string& masterPassword);

// Keys of the hardened format that cost little to derive, for benchmarks of everything else.
inline constexpr TKvf2Params SmallKvf2Params{1, 8192};

// The same accounts in the hardened format, under keys of the given parameters.
void WriteHardenedTestVault(const std::string& path, const std::vector<TPassRecord>& accounts,
                            const std::string& masterPassword, const TKvf2Params& params);

// A vault of count accounts for each name mix in both formats, in folder, cheap keys for format 2.
struct TMixVault {
    TNameMix Mix;
    int Format;
    std::string Path;
    double Bytes;
};
std::vector<TMixVault> WriteMixVaults(const std::string& folder, std::size_t count,
                                      const std::string& masterPassword);
