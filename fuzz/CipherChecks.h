#pragma once

// Checks on the cipher and on decoded records that several targets share.

#include "FuzzCheck.h"
#include "cipher/Blowfish.h"
#include "vault/RecordCodec.h"

#include <array>
#include <cstddef>
#include <string>

// Every vault routine leaves the key schedule cleared, whichever way it ends.
inline void RequireWiped(TBlowfish& cipher) {
    std::string out;
    try {
        cipher.EncryptString("x", out);
        FuzzFail("the cipher was left keyed", __FILE__, __LINE__);
    } catch (const EKeyError& error) {
        FUZZ_REQUIRE(error.Message() == "Blowfish: Key not set");
    }
}

// Padding takes 1 to 8 bytes off each non-empty field, whatever the key.
inline void RequireFieldLengths(const TPassRecord& record, const std::size_t (&cipherLengths)[4]) {
    const std::array<const std::string*, 4> fields = {&record.Account, &record.Login,
                                                      &record.Password, &record.Notes};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t plain = fields[i]->size();
        const std::size_t bytes = cipherLengths[i];
        FUZZ_REQUIRE(bytes == 0 ? plain == 0 : plain < bytes && plain + 8 >= bytes);
    }
}
