#include "TestVault.h"

#include "vault/DataFile.h"
#include "vault/Kvf2File.h"
#include "vault/Kvf2Keys.h"
#include "vault/Kvf2Session.h"

#include <array>
#include <filesystem>
#include <random>
#include <string_view>
#include <unordered_set>

namespace {

constexpr std::array<std::string_view, 40> Services = {
    "Bank",      "Mail",    "Library",  "Forum",    "Shop",       "Cloud",     "Router", "Wiki",
    "Games",     "Travel",  "Pharmacy", "Gym",      "Tax office", "Energy",    "Water",  "Phone",
    "Office",    "Backup",  "Server",   "VPN",      "Printer",    "School",    "Club",   "Airline",
    "Hotel",     "Market",  "Garage",   "Doctor",   "Dentist",    "Insurance", "Music",  "Video",
    "Newspaper", "Charity", "Parking",  "Railcard", "Pension",    "Streaming", "Photos", "Chess"};

constexpr std::array<std::string_view, 24> Qualifiers = {
    "North",   "Blue",    "Old",     "New",   "City",  "Home",   "Work",   "Family",
    "Private", "Central", "Green",   "First", "Union", "Royal",  "Grand",  "Little",
    "Red",     "Silver",  "Eastern", "Local", "Open",  "Second", "Modern", "Quiet"};

// Windows-1252 letters spelled out as bytes; a string is split after an escape that a hexadecimal
// letter follows, so that the escape ends where it should.
constexpr std::array<std::string_view, 16> AccentedWords = {"Caf\xE9",
                                                            "Soci\xE9t\xE9",
                                                            "G\xE9n\xE9rale",
                                                            "M\xFCller",
                                                            "Cr\xE8me",
                                                            "Se\xF1or",
                                                            "\xC5ngstr\xF6m",
                                                            "\xD8resund",
                                                            "Z\xFCrich",
                                                            "Fran\xE7"
                                                            "ais",
                                                            "Biblioth\xE8que",
                                                            "Ma\xF1"
                                                            "ana",
                                                            "\xC9mile",
                                                            "Stra\xDF"
                                                            "e",
                                                            "Bj\xF6rk",
                                                            "Cura\xE7"
                                                            "ao"};

// Words for the accented mix, beside the ones above: ligatures, sharp s and slashed o, whose
// collation expands or differs by locale.
constexpr std::array<std::string_view, 16> MoreAccentedWords = {"Cr\xE9"
                                                                "dit",
                                                                "Stra\xDF"
                                                                "e",
                                                                "B\xF8lge",
                                                                "\xC6"
                                                                "ble",
                                                                "\x8C"
                                                                "uvre",
                                                                "C\x9C"
                                                                "ur",
                                                                "Gr\xF6\xDF"
                                                                "e",
                                                                "Sm\xF8rrebr\xF8"
                                                                "d",
                                                                "\xE0 la carte",
                                                                "\xDC"
                                                                "bersicht",
                                                                "Ni\xF1"
                                                                "o",
                                                                "Pe\xF1"
                                                                "a",
                                                                "Fa\xE7"
                                                                "ade",
                                                                "Na\xEF"
                                                                "ve",
                                                                "H\xF4tel",
                                                                "D\xE9j\xE0 vu"};

constexpr std::array<std::string_view, 12> GivenNames = {"anna", "ben",   "chloe", "dev",
                                                         "elif", "frank", "gina",  "hiro",
                                                         "ines", "jonas", "kemal", "lucia"};

constexpr std::array<std::string_view, 12> FamilyNames = {"smith", "nakamura", "okafor", "larsen",
                                                          "novak", "garcia",   "weber",  "ivanova",
                                                          "rossi", "khan",     "dubois", "oconnor"};

constexpr std::array<std::string_view, 6> Domains = {
    "example.org", "example.com", "example.net", "mail.example", "post.example", "inbox.example"};

constexpr std::array<std::string_view, 12> Months = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// std::uniform_int_distribution differs between standard libraries; a plain remainder of the
// engine's fully specified output keeps the accounts the same everywhere.
class TPicker {
public:
    explicit TPicker(std::uint64_t seed) : FEngine(seed) {}

    std::size_t Below(std::size_t count) { return static_cast<std::size_t>(FEngine() % count); }
    bool OneIn(std::size_t count) { return Below(count) == 0; }
    template <typename TList> std::string_view From(const TList& list) {
        return list[Below(list.size())];
    }
    std::string Digits(std::size_t count) {
        std::string digits;
        for (std::size_t i = 0; i < count; ++i)
            digits += static_cast<char>('0' + Below(10));
        return digits;
    }

private:
    std::mt19937_64 FEngine;
};

// Letter case in Windows-1252: ASCII letters and the accented letters from 0xC0 to 0xFE, where
// upper and lower case are 0x20 apart (0xD7 and 0xF7 are signs, 0xDF has no capital).
char AnsiUpper(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
        return static_cast<char>(byte - 0x20);
    return ch;
}

char AnsiLower(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
        return static_cast<char>(byte + 0x20);
    return ch;
}

// Names that differ only in case sort together in the selector; every style is used.
std::string VaryCase(TPicker& pick, std::string text) {
    switch (pick.Below(8)) {
    case 0:
        for (char& ch : text)
            ch = AnsiLower(ch);
        break;
    case 1:
        for (char& ch : text)
            ch = AnsiUpper(ch);
        break;
    case 2:
        for (char& ch : text)
            ch = pick.OneIn(2) ? AnsiUpper(ch) : AnsiLower(ch);
        break;
    default:
        break; // as written: capitalised words
    }
    return text;
}

std::string Lowered(std::string_view word) {
    std::string text(word);
    for (char& ch : text)
        ch = AnsiLower(ch);
    return text;
}

std::string CandidateName(TPicker& pick, TNameMix mix) {
    std::string name;
    switch (pick.Below(8)) {
    case 0:
        name = pick.From(Services);
        break;
    case 1:
        name.append(pick.From(Qualifiers)).append(" ").append(pick.From(Services));
        break;
    case 2:
        name.append(pick.From(Services)).append(" ").append(pick.Digits(1 + pick.Below(4)));
        break;
    case 3:
        name.append(Lowered(pick.From(Services))).append(".").append(pick.From(Domains));
        break;
    case 4:
        for (std::size_t i = 0, letters = 2 + pick.Below(3); i < letters; ++i)
            name += static_cast<char>('A' + pick.Below(26));
        break;
    case 5:
        name.append(pick.From(Services))
            .append("-")
            .append(pick.From(Qualifiers))
            .append(" ")
            .append(pick.Digits(2));
        break;
    default:
        // Long names, up to about fifty characters.
        name.append(pick.From(Qualifiers))
            .append(" ")
            .append(pick.From(Services))
            .append(" account of ")
            .append(pick.From(GivenNames))
            .append(" ")
            .append(pick.From(FamilyNames))
            .append(" (")
            .append(pick.Digits(3))
            .append(")");
        break;
    }
    if (mix == TNameMix::Accented) {
        if (pick.OneIn(2))
            name.append(" ").append(pick.OneIn(2) ? pick.From(AccentedWords)
                                                  : pick.From(MoreAccentedWords));
    } else if (pick.OneIn(6)) {
        name.append(" ").append(pick.From(AccentedWords));
    }
    name = VaryCase(pick, std::move(name));
    if (mix == TNameMix::SharedPrefix)
        name.insert(0, SharedNamePrefix);
    return name;
}

// Unique names without an endless search: after a few drawn candidates collide, the account's
// serial number is appended after " #", which no drawn candidate contains.
std::string UniqueName(TPicker& pick, std::unordered_set<std::string>& taken, std::size_t serial,
                       TNameMix mix) {
    constexpr int Attempts = 8;
    std::string name;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        name = CandidateName(pick, mix);
        if (taken.insert(name).second)
            return name;
    }
    name.append(" #").append(std::to_string(serial));
    taken.insert(name);
    return name;
}

std::string MakeLogin(TPicker& pick) {
    const std::string_view given = pick.From(GivenNames);
    const std::string_view family = pick.From(FamilyNames);
    std::string login;
    switch (pick.Below(4)) {
    case 0:
        login.append(given).append(".").append(family).append("@").append(pick.From(Domains));
        break;
    case 1:
        login.append("user").append(pick.Digits(4 + pick.Below(4)));
        break;
    case 2:
        login.append(given.substr(0, 1)).append(family).append(pick.Digits(2));
        break;
    default:
        login.append(pick.Digits(4))
            .append(" ")
            .append(pick.Digits(4))
            .append(" ")
            .append(pick.Digits(2));
        break;
    }
    return login;
}

std::string MakePassword(TPicker& pick) {
    std::string password;
    constexpr std::size_t Printable = '~' - '!' + 1;
    for (std::size_t i = 0, length = 6 + pick.Below(19); i < length; ++i) {
        if (pick.OneIn(40))
            password += '\xE9';
        else
            password += static_cast<char>('!' + pick.Below(Printable));
    }
    return password;
}

std::string NoteLine(TPicker& pick) {
    std::string line;
    switch (pick.Below(8)) {
    case 0:
        line.append("PIN ").append(pick.Digits(4));
        break;
    case 1:
        line.append("Opened 20").append(pick.Digits(2)).append("-0").append(pick.Digits(1));
        break;
    case 2:
        line.append("Customer no. ").append(pick.Digits(8));
        break;
    case 3:
        line.append("Renew in ").append(pick.From(Months)).append(" 20").append(pick.Digits(2));
        break;
    case 4:
        line.append("Phone +44 20 ").append(pick.Digits(4)).append(" ").append(pick.Digits(4));
        break;
    case 5:
        line.append("See the ").append(Lowered(pick.From(Qualifiers))).append(" folder");
        break;
    case 6:
        line.append("Contact: ").append(pick.From(AccentedWords));
        break;
    default:
        line.append("Question: first ").append(Lowered(pick.From(Services)));
        break;
    }
    return line;
}

std::string MakeNotes(TPicker& pick) {
    std::size_t lines = 2 + pick.Below(4);
    if (pick.OneIn(10))
        lines = 0;
    else if (pick.OneIn(9))
        lines = 1;
    std::string notes;
    for (std::size_t i = 0; i < lines; ++i)
        notes.append(NoteLine(pick)).append(";");
    return notes;
}

} // namespace

const char* NameMixName(TNameMix mix) noexcept {
    switch (mix) {
    case TNameMix::Accented:
        return "half accented";
    case TNameMix::SharedPrefix:
        return "shared prefix";
    default:
        return "usual";
    }
}

std::vector<TPassRecord> MakeTestAccounts(std::size_t count, std::uint64_t seed, TNameMix mix) {
    TPicker pick(seed);
    std::unordered_set<std::string> taken;
    taken.reserve(count);
    std::vector<TPassRecord> accounts;
    accounts.reserve(count);
    for (std::size_t serial = 0; serial < count; ++serial) {
        TPassRecord account;
        account.Account = UniqueName(pick, taken, serial, mix);
        account.Login = MakeLogin(pick);
        account.Password = MakePassword(pick);
        account.Notes = MakeNotes(pick);
        accounts.push_back(std::move(account));
    }
    return accounts;
}

void WriteTestVault(const std::string& path, const std::vector<TPassRecord>& accounts,
                    const std::string& masterPassword) {
    TBlowfish cipher;
    std::vector<std::string> lines;
    lines.reserve(accounts.size());
    {
        TRecordCipher recordCipher(cipher, masterPassword);
        for (const TPassRecord& account : accounts)
            lines.push_back(recordCipher.Encode(account));
    }
    WriteDataFile(cipher, path, masterPassword, lines);
}

void WriteHardenedTestVault(const std::string& path, const std::vector<TPassRecord>& accounts,
                            const std::string& masterPassword, const TKvf2Params& params) {
    const TKvf2Header header = TKvf2Session::NewHeader(params);
    const TKvf2Session session =
        TKvf2Session::Made(header, DeriveKvf2Keys(masterPassword, params, header.Salt));
    std::vector<std::string> lines;
    lines.reserve(accounts.size());
    for (const TPassRecord& account : accounts)
        lines.push_back(session.EncodeAccount(account));
    WriteKvf2File(path, session, lines);
}

std::vector<TMixVault> WriteMixVaults(const std::string& folder, std::size_t count,
                                      const std::string& masterPassword) {
    std::vector<TMixVault> files;
    for (const TNameMix mix : NameMixes) {
        const std::vector<TPassRecord> accounts =
            MakeTestAccounts(count, DefaultTestVaultSeed, mix);
        for (const int format : {1, 2}) {
            const std::string path = folder + "/mix" + std::to_string(static_cast<int>(mix)) + "-" +
                                     std::to_string(format) + ".kvf";
            if (format == 1)
                WriteTestVault(path, accounts, masterPassword);
            else
                WriteHardenedTestVault(path, accounts, masterPassword, SmallKvf2Params);
            files.push_back(
                {mix, format, path, static_cast<double>(std::filesystem::file_size(path))});
        }
    }
    return files;
}
