#pragma once

// Wipes a secret when the scope that holds it ends, also when an error ends it.

#include "base/SecureWipe.h"
#include "vault/RecordCodec.h"

#include <string>

class TRecordWipeGuard {
public:
    explicit TRecordWipeGuard(TPassRecord& record) noexcept : FRecord(record) {}
    ~TRecordWipeGuard() { WipeRecord(FRecord); }
    TRecordWipeGuard(const TRecordWipeGuard&) = delete;
    TRecordWipeGuard& operator=(const TRecordWipeGuard&) = delete;

private:
    TPassRecord& FRecord;
};
