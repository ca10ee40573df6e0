#pragma once

// Guards for results under construction and for the cipher: however a routine of the vault ends,
// an exception included, a result it did not hand over is wiped and the key schedule is cleared.

#include "cipher/Blowfish.h"
#include "vault/RecordCodec.h"

#include <string>

// Wipes a record under construction unless the routine hands it over with Release.
class TPendingRecordWipe {
public:
    explicit TPendingRecordWipe(TPassRecord& record) noexcept : FRecord(record) {}
    ~TPendingRecordWipe() {
        if (FArmed)
            WipeRecord(FRecord);
    }
    TPendingRecordWipe(const TPendingRecordWipe&) = delete;
    TPendingRecordWipe& operator=(const TPendingRecordWipe&) = delete;

    void Release() noexcept { FArmed = false; }

private:
    TPassRecord& FRecord;
    bool FArmed = true;
};

// The string counterpart of TPendingRecordWipe.
class TPendingStringWipe {
public:
    explicit TPendingStringWipe(std::string& text) noexcept : FText(text) {}
    ~TPendingStringWipe() {
        if (FArmed)
            WipeString(FText);
    }
    TPendingStringWipe(const TPendingStringWipe&) = delete;
    TPendingStringWipe& operator=(const TPendingStringWipe&) = delete;

    void Release() noexcept { FArmed = false; }

private:
    std::string& FText;
    bool FArmed = true;
};

// Clears the cipher's key schedule when the guard goes.
class TCipherWipeGuard {
public:
    explicit TCipherWipeGuard(TBlowfish& cipher) noexcept : FCipher(cipher) {}
    ~TCipherWipeGuard() { FCipher.Wipe(); }
    TCipherWipeGuard(const TCipherWipeGuard&) = delete;
    TCipherWipeGuard& operator=(const TCipherWipeGuard&) = delete;

private:
    TBlowfish& FCipher;
};
