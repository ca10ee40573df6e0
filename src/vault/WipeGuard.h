#pragma once

// Wipes a secret when the scope that holds it ends, also when an error ends it.

#include "RecordCodec.h"

#include <string>

class TWipeGuard {
public:
    explicit TWipeGuard(std::string& text) noexcept : FText(text) {}
    ~TWipeGuard() { WipeString(FText); }
    TWipeGuard(const TWipeGuard&) = delete;
    TWipeGuard& operator=(const TWipeGuard&) = delete;

private:
    std::string& FText;
};

class TRecordWipeGuard {
public:
    explicit TRecordWipeGuard(TPassRecord& record) noexcept : FRecord(record) {}
    ~TRecordWipeGuard() { WipeRecord(FRecord); }
    TRecordWipeGuard(const TRecordWipeGuard&) = delete;
    TRecordWipeGuard& operator=(const TRecordWipeGuard&) = delete;

private:
    TPassRecord& FRecord;
};
