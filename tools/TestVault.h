#pragma once

// Test vaults of any size: accounts made up from a seed, and valid data files holding them under a
// given master password. The same count and seed give the same accounts on every machine.
//
// Account names are all different, non-empty, of varied length and letter case, and in
// Windows-1252 (mostly ASCII, some accented letters). Notes hold several short lines, each
// followed by ";", short enough not to wrap in the notes field.

#include "vault/RecordCodec.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::uint64_t DefaultTestVaultSeed = 1;

std::vector<TPassRecord> MakeTestAccounts(std::size_t count, std::uint64_t seed);

// Enciphers the accounts under the master password, keying the cipher once, and writes the data
// file. Raises what WriteDataFile raises (EKeyError for an unusable password, EInOutError).
void WriteTestVault(const std::string& path, const std::vector<TPassRecord>& accounts,
                    const std::string& masterPassword);
