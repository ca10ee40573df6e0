// Writes the committed seed corpus: `fuzz_make_seeds <folder>` fills <folder>/<target>/ with
// small inputs that take each target down its main roads, made with the program's own cipher and
// codec so that the record lines and data files are genuine.

#include "FuzzPassword.h"
#include "Kvf2FuzzSession.h"
#include "cipher/Blowfish.h"
#include "vault/DataFile.h"
#include "vault/RecordCodec.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class TSeedWriter {
public:
    TSeedWriter(const fs::path& root, const std::string& target) : FFolder(root / target) {
        fs::create_directories(FFolder);
    }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(FFolder / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + (FFolder / name).string());
    }

private:
    fs::path FFolder;
};

std::string Encrypt(TCipherMode mode, TStringMode stringMode, const std::string& key,
                    const std::string& iv, const std::string& plain) {
    TBlowfish cipher;
    cipher.SetCipherMode(mode);
    cipher.SetStringMode(stringMode);
    cipher.SetIV(iv);
    cipher.SetKey(key);
    std::string out;
    cipher.EncryptString(plain, out);
    return out;
}

std::string Line(const TPassRecord& record, const std::string& password = FuzzMasterPassword) {
    TBlowfish cipher;
    return EncodeRecord(cipher, record, password);
}

const std::vector<TPassRecord>& SampleRecords() {
    static const std::vector<TPassRecord> records = {
        {"Mail", "alice@example.org", "s3cret!", "first line;second line;"},
        {"Bank", "", "1234", ""},
        {"", "", "", ""},
        {"Forty characters of account name, exact", "login", "pass word with spaces", ";;"},
    };
    return records;
}

void TextFormSeeds(const fs::path& root) {
    const TSeedWriter out(root, "fuzz_text_form");
    out.Write("abc", "MK7X");
    out.Write("ab", "MK6");
    out.Write("a", "ME");
    out.Write("stray-bits", "MF");
    out.Write("one-left-over", "MK7XM");
    out.Write("table", "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    out.Write("padding-sign", "MK7X=");
    out.Write("line-break", "MK7X\r\nMK6");
    const std::string key = "text form key";
    for (const std::string plain :
         {"1234567", "12345678", "sixteen bytes ok", "twenty-three bytes long"})
        out.Write("cipher-" + std::to_string(plain.size()),
                  Encrypt(TCipherMode::CBC, TStringMode::smEncode, key, RecordIV, plain));
}

// The layout of fuzz_decrypt_string: flags, key length and key, IV length and IV, cipher string.
std::string DecryptInput(std::uint8_t flags, const std::string& key, const std::string& iv,
                         const std::string& cipher) {
    std::string input;
    input += static_cast<char>(flags);
    input += static_cast<char>(key.size());
    input += key;
    input += static_cast<char>(iv.size());
    input += iv;
    input += cipher;
    return input;
}

void DecryptStringSeeds(const fs::path& root) {
    const TSeedWriter out(root, "fuzz_decrypt_string");
    const std::string key = "a key of some length";
    const std::string iv = RecordIV;
    const std::string plain = "nineteen byte plain";
    const char* modeNames[] = {"ecb", "cbc", "cfb", "ofb"};
    for (std::uint8_t mode = 0; mode < 4; ++mode) {
        for (const bool raw : {false, true}) {
            const auto stringMode = raw ? TStringMode::smNormal : TStringMode::smEncode;
            const std::string cipher =
                Encrypt(static_cast<TCipherMode>(mode), stringMode, key, iv, plain);
            out.Write(
                std::string(modeNames[mode]) + (raw ? "-raw" : "-text"),
                DecryptInput(static_cast<std::uint8_t>(mode | (raw ? 4 : 0)), key, iv, cipher));
        }
    }
    const std::string oneBlock =
        Encrypt(TCipherMode::CBC, TStringMode::smEncode, key, iv, "1234567");
    out.Write("ecb-no-iv",
              DecryptInput(0 | 8, key, "",
                           Encrypt(TCipherMode::ECB, TStringMode::smEncode, key, "", plain)));
    out.Write("cbc-no-iv", DecryptInput(1 | 8, key, "", oneBlock));
    out.Write("no-key", DecryptInput(1 | 16, key, iv, oneBlock));
    out.Write("key-57", DecryptInput(1, std::string(57, 'k'), iv, oneBlock));
    out.Write("key-56", DecryptInput(1, std::string(56, 'k'), iv, oneBlock));
    out.Write("ten-chars", DecryptInput(1, key, iv, oneBlock.substr(0, 10)));
    out.Write("twelve-chars", DecryptInput(1, key, iv, oneBlock + "+"));
    out.Write("raw-nine-bytes", DecryptInput(1 | 4, key, iv, "123456789"));
    out.Write("empty-cipher", DecryptInput(1, key, iv, ""));
}

void DecodeRecordSeeds(const fs::path& root) {
    const TSeedWriter out(root, "fuzz_decode_record");
    const std::string password = FuzzMasterPassword;
    const auto& records = SampleRecords();
    for (std::size_t i = 0; i < records.size(); ++i)
        out.Write("record-" + std::to_string(i), password + "\n" + Line(records[i]));
    const std::string longest(48, 'p');
    out.Write("password-48", longest + "\n" + Line(records[0], longest));
    out.Write("password-49", longest + "p\n" + Line(records[0]));
    out.Write("empty-password", "\n" + Line(records[0], ""));
    out.Write("no-separator", password + "\n" + Line({"", "", "", "notes only"}).substr(3));
    std::string damaged = Line(records[0]);
    damaged[5] = '=';
    out.Write("bad-character", password + "\n" + damaged);
    out.Write("short-field", password + "\n" + "MK7X;;;");
    out.Write("no-password-line", Line(records[1]));
}

void TextFileSeeds(const fs::path& root) {
    const TSeedWriter out(root, "fuzz_text_file");
    out.Write("crlf", "A\r\nB\r\n");
    out.Write("lf-only", "A\nB\n");
    out.Write("lone-cr", "A\rB\r\n");
    out.Write("ctrl-z", std::string("A\r\n\x1A"
                                    "B\r\n"));
    out.Write("no-terminator", "last line");
    out.Write("empty", "");
    out.Write("blank-lines", "\r\n\r\n");
    out.Write("mixed", std::string("one\r\rtwo\n\r\nthree\x1A"));
}

std::string DataFile(const std::string& checkLine, const std::vector<std::string>& lines,
                     const std::string& lineEnd = "\r\n") {
    std::string file = checkLine + lineEnd;
    for (const auto& line : lines)
        file += line + lineEnd;
    return file;
}

void DataFileSeeds(const fs::path& root) {
    const TSeedWriter out(root, "fuzz_data_file");
    TBlowfish cipher;
    const std::string check = MakeCheckLine(cipher, FuzzMasterPassword);
    std::vector<std::string> lines;
    for (const auto& record : SampleRecords())
        lines.push_back(Line(record));

    out.Write("empty-vault", DataFile(check, {}));
    out.Write("four-records", DataFile(check, lines));
    out.Write("lone-cr", DataFile(check, lines, "\r"));
    std::string unterminated = DataFile(check, lines);
    unterminated.resize(unterminated.size() - 2);
    out.Write("no-last-terminator", unterminated);
    out.Write("trailing-empty-line", DataFile(check, lines) + "\r\n");
    out.Write("ctrl-z", DataFile(check, {lines[0]}) + "\x1A" + lines[1] + "\r\n");
    std::string damaged = lines[0];
    damaged[3] = '=';
    out.Write("damaged-records", DataFile(check, {damaged, "MK7X;;;", lines[1] + "+", lines[2]}));
    out.Write("wrong-password", DataFile(MakeCheckLine(cipher, "another password"), lines));
}

// The hardened file under the fixed session of fuzz_kvf2. Every line takes a random R, so these
// seeds come out different at every run; each still opens under that session.
void Kvf2Seeds(const fs::path& root) {
    const TSeedWriter out(root, "fuzz_kvf2");
    const TKvf2Session session = MakeFuzzKvf2Session();
    TKvf2Codec codec(session.Keys(), session.Header().Id);
    std::vector<std::string> lines;
    for (const auto& record : SampleRecords())
        lines.push_back(codec.EncodeAccount(record));
    lines.push_back(codec.EncodeKept(Line(SampleRecords()[0], "an older password")));
    const auto file = [&session](std::vector<std::string> records) {
        return DataFile(session.HeaderLine(records), records);
    };

    out.Write("empty-vault", file({}));
    out.Write("accounts-and-kept-line", file(lines));
    std::string damaged = lines[1];
    damaged[30] = damaged[30] == 'A' ? 'B' : 'A';
    out.Write("damaged-lines", file({lines[0], damaged, "R;N;B", "~" + lines[2], lines[3]}));
    std::vector<std::string> swapped = lines;
    std::swap(swapped[0], swapped[1]);
    out.Write("broken-seal", DataFile(session.HeaderLine(lines), swapped));
    std::string header = session.HeaderLine(lines);
    header.back() = header.back() == 'A' ? 'Q' : 'A';
    out.Write("wrong-sum", DataFile(header, lines));
    out.Write("other-version", DataFile("KVF3 argon2id 1 8192", lines));
    out.Write("other-derivation", DataFile("KVF2 scrypt 1 8192", lines));
    out.Write("lone-cr", DataFile(session.HeaderLine(lines), lines, "\r"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    TextFormSeeds(root);
    DecryptStringSeeds(root);
    DecodeRecordSeeds(root);
    TextFileSeeds(root);
    DataFileSeeds(root);
    Kvf2Seeds(root);
    return 0;
}
