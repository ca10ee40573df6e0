#include "vault/RecordCodec.h"

#include "base/AlnumScan.h"
#include "base/SecureWipe.h"
#include "cipher/TextForm.h"
#include "vault/WipeGuard.h"

#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

// The order of the fields in a line, which is also the order of the chain.
constexpr std::array<std::string TPassRecord::*, 4> RecordFields = {
    &TPassRecord::Account, &TPassRecord::Login, &TPassRecord::Password, &TPassRecord::Notes};

constexpr char FieldSeparator = ';';

// Made once: SetIV takes a std::string, and the IV is longer than a string holds without
// allocating.
const std::string& RecordIVText() {
    static const std::string text = RecordIV;
    return text;
}

// Length of a field's text form: the padded cipher bytes, four characters per three bytes.
std::size_t EncipheredTextLength(std::size_t plainLength) {
    if (plainLength == 0)
        return 0;
    const std::size_t cipherBytes = (plainLength / 8 + 1) * 8;
    return (cipherBytes * 4 + 2) / 3;
}

// Cuts a line at its first three ";". Where one is missing, the field of that step is empty and
// the rest goes on unchanged, so a line without ";" is all notes.
std::array<std::string_view, 4> SplitRecordLine(std::string_view rest) {
    std::array<std::string_view, 4> texts;
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
        const std::size_t separator = rest.find(FieldSeparator);
        if (separator == std::string_view::npos)
            continue;
        texts[i] = rest.substr(0, separator);
        rest.remove_prefix(separator + 1);
    }
    texts.back() = rest;
    return texts;
}

// Whether DecryptString accepts a field's text of this many characters of the text form: a
// decoded byte count that is a non-zero multiple of 8, or no text at all.
bool FieldLengthReadable(std::size_t characters) noexcept {
    const std::size_t bytes = TextFormDecodedSize(characters);
    return characters == 0 || (bytes >= 8 && bytes % 8 == 0);
}

} // namespace

TRecordCipher::TRecordCipher(TBlowfish& cipher, const std::string& masterPassword)
    : FCipher(cipher) {
    std::string key;
    TWipeGuard keyGuard(key);
    key.reserve(masterPassword.size() + std::strlen(RecordKeySuffix));
    key.append(masterPassword).append(RecordKeySuffix);
    FCipher.SetCipherMode(TCipherMode::CBC);
    FCipher.SetStringMode(TStringMode::smEncode);
    try {
        FCipher.SetKey(key);
    } catch (...) {
        // A refused key leaves any earlier schedule in force; the destructor will not run.
        FCipher.Wipe();
        throw;
    }
}

TRecordCipher::TRecordCipher(TBlowfish& cipher, const TBlowfish& keyed) : FCipher(cipher) {
    FCipher.SetCipherMode(TCipherMode::CBC);
    FCipher.SetStringMode(TStringMode::smEncode);
    FCipher.CopyKeyOf(keyed);
}

TRecordCipher::~TRecordCipher() {
    FCipher.Wipe();
}

std::string TRecordCipher::Encode(const TPassRecord& record) {
    FCipher.SetIV(RecordIVText());
    std::size_t lineLength = RecordFields.size() - 1;
    for (const auto field : RecordFields)
        lineLength += EncipheredTextLength((record.*field).size());

    std::string line;
    auto lineGuard = qScopeGuard([&line] { WipeString(line); });
    line.reserve(lineLength);
    std::string text;
    TWipeGuard textGuard(text);
    for (const auto field : RecordFields) {
        if (field != RecordFields.front())
            line += FieldSeparator;
        FCipher.EncryptString(record.*field, text);
        line += text;
    }
    lineGuard.dismiss();
    return line;
}

TPassRecord TRecordCipher::Decode(std::string_view line) {
    FCipher.SetIV(RecordIVText());
    const auto texts = SplitRecordLine(line);

    TPassRecord record;
    auto recordGuard = qScopeGuard([&record] { WipeRecord(record); });
    FWhole = true;
    for (std::size_t i = 0; i < RecordFields.size(); ++i) {
        FCipher.DecryptView(texts[i], record.*RecordFields[i]);
        FWhole = FWhole && FCipher.PaddingWhole();
    }
    recordGuard.dismiss();
    return record;
}

std::string TRecordCipher::EncodeAccountName(const std::string& account) {
    FCipher.SetIV(RecordIVText());
    std::string text;
    FCipher.EncryptString(account, text);
    return text;
}

std::string TRecordCipher::DecodeAccount(std::string_view line) {
    FCipher.SetIV(RecordIVText());
    const std::size_t separator = line.find(FieldSeparator);
    std::string account;
    FCipher.DecryptView(separator == std::string_view::npos ? std::string_view()
                                                            : line.substr(0, separator),
                        account);
    FWhole = FCipher.PaddingWhole();
    return account;
}

bool RecordLineReadable(std::string_view line) noexcept {
    // The text form is letters, digits, "+" and "-" (at 100,000 lines this check runs over the
    // whole file); a fourth separator would lie within the notes' text.
    const TAlnumScan bytes = ScanAlnum(line, '+', '-', FieldSeparator);
    if (!bytes.Only || bytes.Counted > 3)
        return false;
    const auto texts = SplitRecordLine(line);
    return std::all_of(texts.begin(), texts.end(),
                       [](std::string_view text) { return FieldLengthReadable(text.size()); });
}

std::string EncodeRecord(TBlowfish& cipher, const TPassRecord& record,
                         const std::string& masterPassword) {
    TRecordCipher recordCipher(cipher, masterPassword);
    return recordCipher.Encode(record);
}

TPassRecord DecodeRecord(TBlowfish& cipher, const std::string& line,
                         const std::string& masterPassword) {
    TRecordCipher recordCipher(cipher, masterPassword);
    return recordCipher.Decode(line);
}

std::string AccountColumn(const std::string& line) {
    const std::size_t separator = line.find(FieldSeparator);
    if (separator == std::string::npos)
        return {};
    return line.substr(0, separator);
}

void WipeRecord(TPassRecord& record) noexcept {
    for (const auto field : RecordFields)
        WipeString(record.*field);
}
