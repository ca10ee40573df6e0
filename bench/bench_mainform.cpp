// The real main window on vaults of 1,000, 10,000 and 100,000 accounts, under the offscreen
// platform with every dialog answered from a script:
//   bench_mainform [SIZE...]
// For each action and size it prints the median, the maximum and the first call after Open, the
// key schedules that the action ran, its peak memory, and the targets as PASS or MISS; timings
// never make it fail. It fails (exit 2) when the window does
// something it should not: an unexpected message box, error or dialog, or a wrong result.
//
// Peak memory is measured in child processes of this same program (hidden mode
// `--memory PATH`), one per size and one opening an empty vault: each runs every action once
// and reports the peak resident memory of each, the peak being reset before each action.

#include "LocaleRuns.h"
#include "TestVault.h"
#include "app/AccountFinder.h"
#include "app/KestovarApplication.h"
#include "app/mainform.h"
#include "cipher/BlowCore.h"
#include "platform/Codepage.h"
#include "platform/PlatformServices.h"
#include "vault/DataFile.h"
#include "vault/RecordCodec.h"

#include <openssl/blowfish.h>

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Two master passwords of 12 bytes, so that the record key (password and suffix) has the 20 bytes
// of the OpenSSL floor. Change password goes from one to the other.
constexpr std::array<const char*, 2> MasterPasswords = {"bench master", "bench second"};
constexpr std::size_t FloorKeySchedules = 100000;
constexpr std::size_t FloorKeyLength = 20;
constexpr double OpenFloorTarget = 0.05;
constexpr std::size_t MemoryFileFactor = 3;
constexpr double AddTargetSeconds = 0.002;
constexpr std::array<std::size_t, 3> DefaultSizes = {1000, 10000, 100000};
// Sizes from this one up count as expensive: Open and Save are repeated fewer times.
constexpr std::size_t LargeSize = 100000;

using TClock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "bench_mainform: FAILED: %s\n", what.c_str());
    std::fflush(stderr);
    std::_Exit(2); // at once: nothing wrong may be timed, and the window may be in any state
}

void Require(bool condition, const std::string& what) {
    if (!condition)
        Fail(what);
}

std::string Grouped(std::uintmax_t number) {
    // Built forwards: GCC 12 sees a false overlap in string::insert here (-Wrestrict).
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string Milliseconds(double seconds) {
    char text[32];
    const double ms = seconds * 1e3;
    std::snprintf(text, sizeof text, ms < 10 ? "%.3f ms" : ms < 100 ? "%.2f ms" : "%.1f ms", ms);
    return text;
}

const char* Verdict(bool pass) {
    return pass ? "PASS" : "MISS";
}

// ---- The platform: every dialog answered from a script, anything else fatal.

class TScriptedAnswers : public TPlatformServices {
public:
    void ExpectOpenDialog(std::string path) { FScript.push_back({TCall::OpenDialog, {}, path}); }
    void ExpectPassword(std::string caption, std::string answer) {
        FScript.push_back({TCall::Password, std::move(caption), std::move(answer)});
    }
    void ExpectAccountName(std::string name) {
        FScript.push_back({TCall::AccountName, {}, std::move(name)});
    }
    void RequireAllAsked(const char* action) {
        Require(FScript.empty(), std::string(action) + ": the window did not ask for every answer");
    }

    int ShowMessageBox(const std::string& text, TMessageKind, TMessageButtons) override {
        Fail("unexpected message box: \"" + text + "\"");
    }
    bool ExecuteFileDialog(TFileDialog& dialog) override {
        Require(dialog.Kind() == TFileDialogKind::fdOpen, "unexpected save dialog");
        dialog.FileName = Next(TCall::OpenDialog, "open dialog");
        return true;
    }
    std::string AskPassword(const std::string& caption) override {
        Require(!FScript.empty() && FScript.front().Caption == caption,
                "unexpected password prompt \"" + caption + "\"");
        return Next(TCall::Password, caption);
    }
    std::string AskNewAccountName() override {
        return Next(TCall::AccountName, "new-account dialog");
    }
    void ShowAbout() override { Fail("unexpected About dialog"); }
    void SetBusyCursor(bool) override {}
    void OpenWebAddress(const std::string&) override { Fail("unexpected web address"); }

protected:
    void ShowErrorText(const std::string& text) override {
        Fail("unexpected error box: \"" + text + "\"");
    }

private:
    enum class TCall { OpenDialog, Password, AccountName };
    struct TAnswer {
        TCall Call;
        std::string Caption;
        std::string Answer;
    };

    std::string Next(TCall call, const std::string& what) {
        Require(!FScript.empty() && FScript.front().Call == call, "unexpected " + what);
        std::string answer = std::move(FScript.front().Answer);
        FScript.pop_front();
        return answer;
    }

    std::deque<TAnswer> FScript;
};

// ---- Measurements.

struct TSample {
    double Seconds = 0;
    double EventSeconds = 0; // the part spent on the posted events (layout, painting)
    std::uint64_t KeySchedules = 0;
};

// The action and the events it leaves posted, which are part of what the user waits for.
template <typename TWork> TSample Measure(const char* name, TWork&& action) {
    const std::uint64_t keysBefore = KeyScheduleCount();
    const auto start = TClock::now();
    auto handled = start;
    try {
        action();
        handled = TClock::now();
        QCoreApplication::processEvents();
    } catch (const std::exception& error) {
        Fail(std::string(name) + " raised: " + error.what());
    }
    const auto stop = TClock::now();
    return {std::chrono::duration<double>(stop - start).count(),
            std::chrono::duration<double>(stop - handled).count(), KeyScheduleCount() - keysBefore};
}

double OpenSslKeySchedules() {
    const std::string key(FloorKeyLength, 'k');
    BF_KEY schedule;
    unsigned sink = 0;
    const auto start = TClock::now();
    for (std::size_t i = 0; i < FloorKeySchedules; ++i) {
        BF_set_key(&schedule, static_cast<int>(key.size()),
                   reinterpret_cast<const unsigned char*>(key.data()));
        sink += schedule.P[i % 18];
    }
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    volatile unsigned keep = sink; // the schedules are used, so the loop stays
    (void)keep;
    return seconds;
}

enum TAction {
    aOpen,
    aChoose,
    aKeystroke,
    aFindOpen,
    aFindKey,
    aFindFieldsKey,
    aAdd,
    aDelete,
    aSave,
    aChangePassword,
    ActionCount
};
constexpr std::array<const char*, ActionCount> ActionNames = {"Open",
                                                              "Choose account",
                                                              "Keystroke (login)",
                                                              "Find (Ctrl+F)",
                                                              "Find keystroke",
                                                              "Find, every field",
                                                              "Add",
                                                              "Delete",
                                                              "Save",
                                                              "Change password"};
constexpr std::array<std::uint64_t, ActionCount> KeyScheduleTargets = {2, 1, 1, 0, 0,
                                                                       1, 1, 1, 0, 3};
// A find keystroke, one search through every name, stays well inside a frame of 60 Hz.
constexpr double FindKeystrokeTarget = 0.008;
// In every field, after the first keystroke (which deciphers them), one search through every
// name, login, web address and notes.
constexpr double FindFieldsKeystrokeTarget = 0.010;

struct TActionResult {
    std::vector<TSample> Samples;
    double MedianSeconds() const {
        std::vector<double> seconds;
        for (const TSample& sample : Samples)
            seconds.push_back(sample.Seconds);
        return Median(seconds);
    }
    double MedianEventSeconds() const {
        std::vector<double> seconds;
        for (const TSample& sample : Samples)
            seconds.push_back(sample.EventSeconds);
        return Median(seconds);
    }
    // The median of the calls after the first, which may do once what the others find done.
    double MedianAfterFirstSeconds() const {
        std::vector<double> seconds;
        for (std::size_t i = 1; i < Samples.size(); ++i)
            seconds.push_back(Samples[i].Seconds);
        return seconds.empty() ? FirstSeconds() : Median(seconds);
    }
    double MaxSeconds() const {
        double most = 0;
        for (const TSample& sample : Samples)
            most = std::max(most, sample.Seconds);
        return most;
    }
    // The first call after the last Open: the one that finds what Open left.
    double FirstSeconds() const { return Samples.front().Seconds; }
    std::uint64_t MaxKeys() const {
        std::uint64_t most = 0;
        for (const TSample& sample : Samples)
            most = std::max(most, sample.KeySchedules);
        return most;
    }
};

struct TSizeResult {
    std::size_t Accounts = 0;
    std::uintmax_t FileBytes = 0;
    double GenerateSeconds = 0;
    std::array<TActionResult, ActionCount> Actions;
    std::array<long, ActionCount> PeakKiB{}; // of each action in a memory child, -1 if unknown
};

// ---- The window under test, with what the bench knows the vault holds.

class TWindowBench {
public:
    TWindowBench(TScriptedAnswers& answers, std::string path,
                 const std::vector<TPassRecord>& accounts)
        : FAnswers(answers), FPath(std::move(path)), FForm(answers) {
        for (const TPassRecord& account : accounts) {
            FLogins.emplace(account.Account, account.Login);
            FNotes.emplace(account.Account, account.Notes);
        }
        FSelector = FForm.findChild<QComboBox*>(QStringLiteral("cboAccount"));
        FLogin = FForm.findChild<QLineEdit*>(QStringLiteral("edtLogin"));
        Require(FSelector && FLogin, "cboAccount or edtLogin not found");
        FForm.show();
        QCoreApplication::processEvents();
    }

    TSample Open() {
        Require(!FForm.Modified(), "Open would ask to save");
        FAnswers.ExpectOpenDialog(FPath);
        FAnswers.ExpectPassword("Please enter the password", Password());
        const TSample sample = Measure("Open", [&] { FForm.spdOpenClick(); });
        FAnswers.RequireAllAsked("Open");
        Require(FForm.DataFile() == FPath, "Open: the data file is not open");
        RequireCount("Open");
        Require(FSelector->currentIndex() == 0, "Open: the first account is not shown");
        RequireShownAccount("Open");
        Require(!FForm.Modified() && FForm.PanelText(1).isEmpty(),
                "Open: the vault is marked modified");
        Require(FForm.PanelText(2) == QString::fromStdString(FPath),
                "Open: the status bar does not show the path");
        return sample;
    }

    TSample Choose(int row) {
        Require(row >= 0 && row < FSelector->count(), "Choose: no such row");
        const TSample sample = Measure("Choose account", [&] {
            FSelector->setCurrentIndex(row);
            emit FSelector->activated(row);
        });
        Require(FSelector->currentIndex() == row, "Choose: the row is not selected");
        RequireShownAccount("Choose account");
        return sample;
    }

    TSample Keystroke() {
        RequireShownAccount("Keystroke");
        const std::string name = ShownName();
        const QString before = FLogin->text();
        FLogin->setFocus();
        FLogin->end(false);
        const TSample sample = Measure("Keystroke", [&] { QTest::keyClick(FLogin, Qt::Key_X); });
        Require(FLogin->text() == before + QLatin1Char('x'), "Keystroke: the login did not change");
        Require(FForm.Modified() && FForm.PanelText(1) == QStringLiteral("MOD"),
                "Keystroke: the vault is not marked modified");
        FLogins.at(name) = QStringToAnsi(FLogin->text());
        const TPassRecord stored = StoredRecord(name, "Keystroke");
        Require(stored.Login == FLogins.at(name), "Keystroke: the record line was not updated");
        return sample;
    }

    TSample Add(const std::string& name) {
        Require(FLogins.find(name) == FLogins.end(), "Add: the new name is not new");
        const int before = FForm.Records().Count();
        FAnswers.ExpectAccountName(name);
        const TSample sample = Measure("Add", [&] { FForm.spdAddClick(); });
        FAnswers.RequireAllAsked("Add");
        FLogins.emplace(name, std::string());
        Require(FForm.Records().Count() == before + 1, "Add: no line was added");
        RequireCount("Add");
        Require(ShownName() == name, "Add: the new account is not shown");
        RequireShownAccount("Add");
        Require(FForm.Modified(), "Add: the vault is not marked modified");
        StoredRecord(name, "Add");
        return sample;
    }

    // Deletes the account shown at the row, which is chosen first (not timed).
    TSample Delete(int row) {
        Choose(row);
        const std::string name = ShownName();
        const int before = FForm.Records().Count();
        const TSample sample = Measure("Delete", [&] { FForm.spdDeleteClick(); });
        Require(FForm.Records().Count() == before - 1, "Delete: no line was removed");
        FLogins.erase(name);
        RequireCount("Delete");
        Require(LinesNamed(name) == 0, "Delete: the account's line is still there");
        Require(FForm.Modified(), "Delete: the vault is not marked modified");
        if (FSelector->count() > 0) {
            Require(FSelector->currentIndex() == 0, "Delete: the first account is not shown");
            RequireShownAccount("Delete");
        }
        return sample;
    }

    // Saves a change made just before (not timed).
    TSample Save() {
        Keystroke();
        const TSample sample = Measure("Save", [&] { FForm.spdSaveClick(); });
        Require(!FForm.Modified(), "Save: the vault is still marked modified");
        RequireFileHoldsVault("Save");
        return sample;
    }

    TSample ChangePassword() {
        const std::string backup = BackupPath(FPath);
        std::filesystem::remove(backup);
        const std::size_t next = 1 - FPassword;
        FAnswers.ExpectPassword("Please enter the old password", Password());
        FAnswers.ExpectPassword("Please enter the new password", MasterPasswords[next]);
        FAnswers.ExpectPassword("Please confirm the new password", MasterPasswords[next]);
        const TSample sample = Measure("Change password", [&] { FForm.spdChangePasswordClick(); });
        FAnswers.RequireAllAsked("Change password");
        FPassword = next;
        Require(std::filesystem::exists(backup), "Change password: no backup was kept");
        Require(!FForm.Modified(), "Change password: the vault is still marked modified");
        RequireFileHoldsVault("Change password");
        RequireShownAccount("Change password");
        StoredRecord(ShownName(), "Change password"); // deciphers under the new password
        return sample;
    }

    // Opens the find box; the first time after the accounts changed it folds every name.
    TSample FindOpen() {
        TSample sample = Measure("Find", [&] { FForm.FindClick(); });
        FFinder = FForm.findChild<TAccountFinder*>();
        Require(FFinder && FFinder->isVisible(), "Find: the find box is not shown");
        FFind = FFinder->findChild<QLineEdit*>(QStringLiteral("edtFind"));
        Require(FFind && FFinder->Matches().size() == FLogins.size(),
                "Find: the box does not list every account");
        return sample;
    }

    // The first letter of a filter: a search through every folded name.
    TSample FindKeystroke(char letter) {
        FFind->clear();
        const TSample sample = Measure("Find keystroke", [&] { QTest::keyClick(FFind, letter); });
        std::size_t expected = 0;
        for (const auto& [name, login] : FLogins)
            expected += FoldForFind(AnsiToQString(name)).contains(QLatin1Char(letter));
        Require(FFinder->Matches().size() == expected,
                "Find keystroke: the box lists " + std::to_string(FFinder->Matches().size()) +
                    " accounts, expected " + std::to_string(expected));
        return sample;
    }

    // The find box in every field, Ctrl+F pressed again in it.
    void FindEveryFieldOpen() {
        FindOpen();
        QTest::keyClick(FFind, Qt::Key_F, Qt::ControlModifier);
        Require(FFinder->EveryField(), "Find: Ctrl+F in the box does not look in every field");
        // What each account holds as the box compares it, for the counts below.
        FFoldedAccounts.clear();
        for (const auto& [name, login] : FLogins) {
            const auto notes = FNotes.find(name);
            QString folded = FoldForFind(AnsiToQString(name)) + QChar(u'\0') +
                             FoldForFind(AnsiToQString(login)) + QChar(u'\0');
            if (notes != FNotes.end())
                folded += FoldForFind(AnsiToQString(notes->second));
            FFoldedAccounts.push_back(std::move(folded));
        }
    }

    // A first letter in every field: the first after opening deciphers every account.
    TSample FindEveryFieldKeystroke(char letter) {
        FFind->clear();
        const TSample sample =
            Measure("Find keystroke in every field", [&] { QTest::keyClick(FFind, letter); });
        std::size_t expected = 0;
        for (const QString& folded : FFoldedAccounts)
            expected += folded.contains(QLatin1Char(letter));
        Require(FFinder->Matches().size() == expected && FFinder->FoundIn().size() == expected,
                "Find keystroke in every field: the box lists " +
                    std::to_string(FFinder->Matches().size()) + " accounts, expected " +
                    std::to_string(expected));
        return sample;
    }

    void FindClose() {
        QTest::keyClick(FFind, Qt::Key_Escape);
        Require(!FFinder->isVisible(), "Find: Escape did not close the box");
        // The window settles before the user's next action, as it does between two keystrokes.
        QCoreApplication::processEvents();
    }

    int Rows() const { return FSelector->count(); }
    int CurrentRow() const { return FSelector->currentIndex(); }
    bool HasName(const std::string& name) const { return FLogins.count(name) != 0; }

private:
    std::string Password() const { return MasterPasswords[FPassword]; }
    std::string ShownName() const { return QStringToAnsi(FSelector->currentText()); }

    void RequireCount(const char* action) {
        const int lines = FForm.Records().Count();
        Require(static_cast<std::size_t>(lines) == FLogins.size(),
                std::string(action) + ": the vault holds " + std::to_string(lines) +
                    " lines, expected " + std::to_string(FLogins.size()));
        Require(FSelector->count() == lines, std::string(action) + ": the selector lists " +
                                                 std::to_string(FSelector->count()) + " of " +
                                                 std::to_string(lines) + " accounts");
        Require(FForm.PanelText(0) == QString::number(lines),
                std::string(action) + ": the status bar shows the wrong count");
    }

    // The fields show the login that the bench knows for the selected name.
    void RequireShownAccount(const char* action) {
        Require(FSelector->currentIndex() >= 0, std::string(action) + ": no account shown");
        const auto known = FLogins.find(ShownName());
        Require(known != FLogins.end(), std::string(action) + ": an unknown account is shown");
        Require(QStringToAnsi(FLogin->text()) == known->second,
                std::string(action) + ": the login shown is not the account's");
        Require(FLogin->isEnabled(), std::string(action) + ": the fields are disabled");
    }

    std::size_t LinesNamed(const std::string& name) {
        TRecordCipher codec(FChecker, Password());
        const std::string column = codec.EncodeAccountName(name);
        return static_cast<std::size_t>(
            std::count_if(FForm.Records().Lines().begin(), FForm.Records().Lines().end(),
                          [&](const std::string& line) { return AccountColumn(line) == column; }));
    }

    // The one line of the account, deciphered with the bench's own cipher object.
    TPassRecord StoredRecord(const std::string& name, const char* action) {
        TRecordCipher codec(FChecker, Password());
        const std::string column = codec.EncodeAccountName(name);
        const std::string* found = nullptr;
        for (const std::string& line : FForm.Records().Lines()) {
            if (AccountColumn(line) == column) {
                Require(!found, std::string(action) + ": two lines hold one account");
                found = &line;
            }
        }
        Require(found, std::string(action) + ": the account has no line");
        TPassRecord record = codec.Decode(*found);
        Require(record.Account == name, std::string(action) + ": the line does not decipher");
        return record;
    }

    void RequireFileHoldsVault(const char* action) {
        Require(CheckPassword(FChecker, FPath, Password()),
                std::string(action) + ": the file does not open under the master password");
        Require(ReadDataFile(FPath) == FForm.Records().Lines(),
                std::string(action) + ": the file does not hold the vault's lines");
    }

    TScriptedAnswers& FAnswers;
    std::string FPath;
    std::size_t FPassword = 0;
    TfrmMain FForm;
    QComboBox* FSelector = nullptr;
    QLineEdit* FLogin = nullptr;
    TAccountFinder* FFinder = nullptr;
    QLineEdit* FFind = nullptr;
    std::unordered_map<std::string, std::string> FLogins; // account name -> login
    std::unordered_map<std::string, std::string> FNotes;  // account name -> notes, as generated
    std::vector<QString> FFoldedAccounts;
    TBlowfish FChecker;
};

// Rows in the middle third, spread out, never the one shown now.
int FarRow(int rows, int step, int current) {
    const int third = std::max(1, rows / 3);
    int row = third + static_cast<int>((static_cast<long long>(step) * 7919) % third);
    if (row == current)
        row = (row + 1) % rows;
    return std::min(row, rows - 1);
}

struct TRepeats {
    int Open, Choose, Keystroke, Find, Add, Delete, Save, ChangePassword;
};

TRepeats RepeatsFor(std::size_t accounts) {
    if (accounts >= LargeSize)
        return {3, 9, 9, 9, 5, 5, 3, 3};
    return {5, 9, 9, 9, 5, 5, 5, 3};
}

void RunWindow(TScriptedAnswers& answers, const std::string& path,
               const std::vector<TPassRecord>& accounts, TSizeResult& result,
               std::vector<double>& floor) {
    TWindowBench bench(answers, path, accounts);
    const TRepeats repeats = RepeatsFor(accounts.size());
    auto& actions = result.Actions;
    for (int i = 0; i < repeats.Open; ++i) {
        if (accounts.size() >= LargeSize)
            floor.push_back(OpenSslKeySchedules()); // alternating, so both see the same machine
        actions[aOpen].Samples.push_back(bench.Open());
    }
    for (int i = 0; i < repeats.Choose; ++i)
        actions[aChoose].Samples.push_back(
            bench.Choose(FarRow(bench.Rows(), i + 1, bench.CurrentRow())));
    for (int i = 0; i < repeats.Keystroke; ++i)
        actions[aKeystroke].Samples.push_back(bench.Keystroke());
    // Opened first after the accounts were read: every name is folded then, and kept after.
    actions[aFindOpen].Samples.push_back(bench.FindOpen());
    constexpr std::string_view Letters = "aeinorstl";
    for (int i = 0; i < repeats.Find; ++i)
        actions[aFindKey].Samples.push_back(
            bench.FindKeystroke(Letters[static_cast<std::size_t>(i) % Letters.size()]));
    bench.FindClose();
    bench.FindEveryFieldOpen();
    for (int i = 0; i < repeats.Find; ++i)
        actions[aFindFieldsKey].Samples.push_back(
            bench.FindEveryFieldKeystroke(Letters[static_cast<std::size_t>(i) % Letters.size()]));
    bench.FindClose();
    for (int i = 0, serial = 0; i < repeats.Add; ++i) {
        std::string name;
        do
            name = "Bench added " + std::to_string(++serial) + " caf\xE9";
        while (bench.HasName(name));
        actions[aAdd].Samples.push_back(bench.Add(name));
    }
    for (int i = 0; i < repeats.Delete; ++i)
        actions[aDelete].Samples.push_back(
            bench.Delete(FarRow(bench.Rows(), 100 + i, bench.CurrentRow())));
    for (int i = 0; i < repeats.Save; ++i)
        actions[aSave].Samples.push_back(bench.Save());
    for (int i = 0; i < repeats.ChangePassword; ++i)
        actions[aChangePassword].Samples.push_back(bench.ChangePassword());
}

// ---- Peak memory, in a child process of this program.

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

void ResetPeakResident() {
    // Linux: writing 5 resets VmHWM to the present resident size.
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

// Every action once on the vault at path, in the bench's order, each with its own peak. The
// window is checked only for counts: the accounts are not generated here, so that their memory
// does not count.
int MemoryMode(const std::string& path) {
    TScriptedAnswers answers;
    TfrmMain form(answers);
    form.show();
    QCoreApplication::processEvents();
    auto* selector = form.findChild<QComboBox*>(QStringLiteral("cboAccount"));
    auto* login = form.findChild<QLineEdit*>(QStringLiteral("edtLogin"));
    Require(selector && login, "cboAccount or edtLogin not found");
    std::array<long, ActionCount> peaks;
    peaks.fill(-1);
    const auto run = [&](TAction action, auto&& work) {
        ResetPeakResident();
        try {
            work();
            QCoreApplication::processEvents();
        } catch (const std::exception& error) {
            Fail(std::string(ActionNames[action]) + " raised: " + error.what());
        }
        peaks[action] = PeakResidentKiB();
    };
    answers.ExpectOpenDialog(path);
    answers.ExpectPassword("Please enter the password", MasterPasswords[0]);
    run(aOpen, [&] { form.spdOpenClick(); });
    answers.RequireAllAsked("Open");
    Require(form.DataFile() == path, "the vault did not open");
    const int records = form.Records().Count();
    if (records > 0) {
        const int row = records / 2;
        run(aChoose, [&] {
            selector->setCurrentIndex(row);
            emit selector->activated(row);
        });
        login->setFocus();
        run(aKeystroke, [&] { QTest::keyClick(login, Qt::Key_X); });
        answers.ExpectAccountName("Bench added for memory");
        run(aAdd, [&] { form.spdAddClick(); });
        answers.RequireAllAsked("Add");
        Require(form.Records().Count() == records + 1, "Add: no line was added");
        run(aDelete, [&] { form.spdDeleteClick(); });
        Require(form.Records().Count() == records, "Delete: no line was removed");
        run(aSave, [&] { form.spdSaveClick(); });
        answers.ExpectPassword("Please enter the old password", MasterPasswords[0]);
        answers.ExpectPassword("Please enter the new password", MasterPasswords[1]);
        answers.ExpectPassword("Please confirm the new password", MasterPasswords[1]);
        run(aChangePassword, [&] { form.spdChangePasswordClick(); });
        answers.RequireAllAsked("Change password");
        Require(!form.Modified(), "Change password: the vault is still marked modified");
    }
    std::printf("records %d", records);
    for (const long peak : peaks)
        std::printf(" %ld", peak);
    std::printf("\n");
    return 0;
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Opens the vault at path OpenRounds times in a fresh window and prints the medians of the wall
// and CPU time (every thread) of Open, the events it leaves posted included.
constexpr int OpenRounds = 3;
int OpenMode(const std::string& path) {
    TScriptedAnswers answers;
    TfrmMain form(answers);
    form.show();
    QCoreApplication::processEvents();
    std::vector<double> wall;
    std::vector<double> cpu;
    int records = 0;
    for (int round = 0; round < OpenRounds; ++round) {
        answers.ExpectOpenDialog(path);
        answers.ExpectPassword("Please enter the password", MasterPasswords[0]);
        const double before = ProcessCpuSeconds();
        wall.push_back(Measure("Open", [&] { form.spdOpenClick(); }).Seconds);
        cpu.push_back(ProcessCpuSeconds() - before);
        answers.RequireAllAsked("Open");
        Require(form.DataFile() == path, "the vault did not open");
        records = form.Records().Count();
    }
    // In microseconds: the locale under test may write a decimal comma.
    std::printf("open %d %lld %lld\n", records, std::llround(Median(wall) * 1e6),
                std::llround(Median(cpu) * 1e6));
    return 0;
}

struct TMemoryResult {
    int Records = -1;
    std::array<long, ActionCount> PeakKiB{};
};

TMemoryResult ParseMemory(const std::string& text) {
    TMemoryResult result;
    std::istringstream output(text);
    std::string word;
    output >> word >> result.Records;
    for (long& peak : result.PeakKiB)
        output >> peak;
    Require(word == "records" && !output.fail(), "the memory child printed no figures");
    return result;
}

TMemoryResult PeaksOfActions(const std::string& path) {
    std::fflush(stdout); // the child writes to the same error stream
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--memory"), QString::fromStdString(path)});
    Require(child.waitForFinished(-1), "the memory child did not run");
    Require(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
            "the memory child failed");
    return ParseMemory(child.readAllStandardOutput().toStdString());
}

// ---- Report.

// Memory above the empty program, as a multiple of the file's size.
double FileFactor(long peakKiB, long emptyKiB, std::uintmax_t fileBytes) {
    return static_cast<double>(peakKiB - emptyKiB) * 1024.0 / static_cast<double>(fileBytes);
}

void PrintSizeTable(const TSizeResult& size, double floorSeconds, long emptyKiB) {
    std::printf("\n== %s accounts: data file %s bytes, generated in %.2f s\n",
                Grouped(size.Accounts).c_str(), Grouped(size.FileBytes).c_str(),
                size.GenerateSeconds);
    std::printf("%-18s %4s %11s %11s %11s %11s %6s %-9s %11s %7s\n", "action", "runs", "median",
                "max", "first", "events", "keys", "target", "peak KiB", "x file");
    for (int a = 0; a < ActionCount; ++a) {
        const TActionResult& action = size.Actions[static_cast<std::size_t>(a)];
        const std::uint64_t keys = action.MaxKeys();
        const std::uint64_t target = KeyScheduleTargets[static_cast<std::size_t>(a)];
        char keyTarget[16];
        std::snprintf(keyTarget, sizeof keyTarget, "<=%ju %s", static_cast<std::uintmax_t>(target),
                      Verdict(keys <= target));
        const long peak = size.PeakKiB[static_cast<std::size_t>(a)];
        char factor[16] = "-"; // an action the memory child does not run
        if (peak >= 0)
            std::snprintf(factor, sizeof factor, "%.2f",
                          FileFactor(peak, emptyKiB, size.FileBytes));
        std::printf(
            "%-18s %4zu %11s %11s %11s %11s %6s %-9s %11s %7s", ActionNames[a],
            action.Samples.size(), Milliseconds(action.MedianSeconds()).c_str(),
            Milliseconds(action.MaxSeconds()).c_str(), Milliseconds(action.FirstSeconds()).c_str(),
            Milliseconds(action.MedianEventSeconds()).c_str(), Grouped(keys).c_str(), keyTarget,
            Grouped(static_cast<std::uintmax_t>(std::max(0L, peak))).c_str(), factor);
        if (a == aOpen)
            std::printf("   (%.3f x %s OpenSSL key schedules)",
                        action.MedianSeconds() / floorSeconds, Grouped(FloorKeySchedules).c_str());
        std::printf("\n");
    }
}

double NLogN(std::size_t n) {
    const double x = static_cast<double>(n);
    return x * std::log(x);
}

void PrintSummary(const std::vector<TSizeResult>& sizes, double floorSeconds,
                  std::size_t floorRuns) {
    std::printf("\n== Targets (timings never fail the bench)\n");
    std::printf("OpenSSL floor: %s BF_set_key of a %zu-byte key: %s (median of %zu)\n",
                Grouped(FloorKeySchedules).c_str(), FloorKeyLength,
                Milliseconds(floorSeconds).c_str(), floorRuns);
    for (const TSizeResult& size : sizes) {
        const double add = size.Actions[aAdd].MaxSeconds();
        std::printf("Every Add of %s accounts, the first included, at most %s: %s  %s\n",
                    Grouped(size.Accounts).c_str(), Milliseconds(AddTargetSeconds).c_str(),
                    Milliseconds(add).c_str(), Verdict(add <= AddTargetSeconds));
        if (&size != &sizes.back())
            continue;
        const double open = size.Actions[aOpen].MedianSeconds();
        std::printf("Open of %s accounts at most %.2f x the floor (%s): %s = %.3f x  %s\n",
                    Grouped(size.Accounts).c_str(), OpenFloorTarget,
                    Milliseconds(OpenFloorTarget * floorSeconds).c_str(),
                    Milliseconds(open).c_str(), open / floorSeconds,
                    Verdict(open <= OpenFloorTarget * floorSeconds));
    }

    for (const TSizeResult& size : sizes) {
        const double key = size.Actions[aFindKey].MedianSeconds();
        std::printf("Find keystroke in %zu accounts at most %s: %s  %s\n", size.Accounts,
                    Milliseconds(FindKeystrokeTarget).c_str(), Milliseconds(key).c_str(),
                    Verdict(key <= FindKeystrokeTarget));
        const TActionResult& fields = size.Actions[aFindFieldsKey];
        const double after = fields.MedianAfterFirstSeconds();
        std::printf("Find keystroke in every field of %zu accounts, after the first (%s), at most "
                    "%s: %s  %s\n",
                    size.Accounts, Milliseconds(fields.FirstSeconds()).c_str(),
                    Milliseconds(FindFieldsKeystrokeTarget).c_str(), Milliseconds(after).c_str(),
                    Verdict(after <= FindFieldsKeystrokeTarget));
    }

    std::printf("\nKey schedules per action (most in any run), by size:\n");
    for (int a = 0; a < ActionCount; ++a) {
        const std::uint64_t target = KeyScheduleTargets[static_cast<std::size_t>(a)];
        bool pass = true;
        std::string counts;
        for (const TSizeResult& size : sizes) {
            const std::uint64_t keys = size.Actions[static_cast<std::size_t>(a)].MaxKeys();
            pass = pass && keys <= target;
            counts += (counts.empty() ? "" : " / ") + Grouped(keys);
        }
        std::printf("  %-18s %-28s target <= %ju  %s\n", ActionNames[a], counts.c_str(),
                    static_cast<std::uintmax_t>(target), Verdict(pass));
    }

    if (sizes.size() < 2)
        return;
    std::printf("\nGrowth: median time per account, and the factor between sizes against the "
                "N log N factor:\n");
    for (int a = 0; a < ActionCount; ++a) {
        std::string perAccount;
        std::string factors;
        bool pass = true;
        for (std::size_t s = 0; s < sizes.size(); ++s) {
            const double seconds = sizes[s].Actions[static_cast<std::size_t>(a)].MedianSeconds();
            char text[64];
            std::snprintf(text, sizeof text, "%s%.3f", s == 0 ? "" : " / ",
                          seconds * 1e6 / static_cast<double>(sizes[s].Accounts));
            perAccount += text;
            if (s == 0)
                continue;
            const double previous =
                sizes[s - 1].Actions[static_cast<std::size_t>(a)].MedianSeconds();
            const double factor = seconds / previous;
            const double bound = NLogN(sizes[s].Accounts) / NLogN(sizes[s - 1].Accounts);
            pass = pass && factor <= bound;
            std::snprintf(text, sizeof text, "  x%.1f (<= %.1f)", factor, bound);
            factors += text;
        }
        std::printf("  %-18s %-34s us%s  %s\n", ActionNames[a], perAccount.c_str(), factors.c_str(),
                    Verdict(pass));
    }
}

void PrintMemory(const std::vector<TSizeResult>& sizes, long emptyKiB) {
    std::printf("\nMemory: peak resident (VmHWM) of each action in a process that runs them all "
                "once; empty program %s KiB\n",
                Grouped(static_cast<std::uintmax_t>(emptyKiB)).c_str());
    for (const TSizeResult& size : sizes) {
        double most = 0;
        for (const long peak : size.PeakKiB)
            most = std::max(most, FileFactor(peak, emptyKiB, size.FileBytes));
        // Below the large size the program's own noise outweighs a small file.
        std::printf("  %s accounts: at most %zu x file above the empty program: %.2f x  %s\n",
                    Grouped(size.Accounts).c_str(), MemoryFileFactor, most,
                    size.Accounts < LargeSize
                        ? "(not judged)"
                        : Verdict(most <= static_cast<double>(MemoryFileFactor)));
    }
}

// A child of this program under a locale (its own mode in arguments), and what it printed.
std::string ChildOutput(const std::vector<std::string>& arguments, const char* locale) {
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        if (name.startsWith(QStringLiteral("LC_")) || name == QStringLiteral("LANGUAGE"))
            environment.remove(name);
    environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
    environment.insert(QStringLiteral("LANG"), QString::fromLatin1(locale));
    static const QTemporaryDir runtime; // Qt's runtime folder for the children, owner only
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    child.setProcessEnvironment(environment);
    QStringList list;
    for (const std::string& argument : arguments)
        list.push_back(QString::fromStdString(argument));
    child.start(QCoreApplication::applicationFilePath(), list);
    Require(child.waitForFinished(-1) && child.exitStatus() == QProcess::NormalExit &&
                child.exitCode() == 0,
            std::string("a child under ") + locale + " failed");
    return child.readAllStandardOutput().toStdString();
}

// The memory child on a copy of the file: it changes the password.
TMemoryResult PeaksInLocale(const std::string& path, const char* locale) {
    const std::string copy = path + ".memory.kvf";
    std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
    const TMemoryResult result = ParseMemory(ChildOutput({"--memory", copy}, locale));
    std::filesystem::remove(copy);
    return result;
}

// Open of 100,000 accounts in the window, and the peak memory of every action, under each
// locale and name mix, in both formats, each in a fresh process whose locale is set as a user's
// would be. The hardened files have small keys, so that their derivation hardly counts in Open;
// their Change password derives the new keys at the defaults (hundreds of MiB by design) and is
// left out of their memory figure.
void PrintLocaleRows(const QTemporaryDir& folder) {
    std::vector<double> floorWall;
    std::vector<double> floorCpu;
    while (floorWall.size() < 3) {
        const double cpu = ProcessCpuSeconds();
        floorWall.push_back(OpenSslKeySchedules());
        floorCpu.push_back(ProcessCpuSeconds() - cpu);
    }
    const double floorSeconds = Median(floorWall);
    const double floorCpuSeconds = Median(floorCpu);
    const std::vector<TMixVault> files =
        WriteMixVaults(folder.path().toStdString(), LargeSize, MasterPasswords[0]);
    const std::string empty[2] = {folder.filePath(QStringLiteral("Empty1.kvf")).toStdString(),
                                  folder.filePath(QStringLiteral("Empty2.kvf")).toStdString()};
    WriteTestVault(empty[0], {}, MasterPasswords[0]);
    WriteHardenedTestVault(empty[1], {}, MasterPasswords[0], SmallKvf2Params);

    std::printf("\n== Open of %s accounts and the peak memory of every action, by locale and "
                "name mix (each a fresh process; Open the median of %d); floor %s wall, %s CPU\n",
                Grouped(LargeSize).c_str(), OpenRounds, Milliseconds(floorSeconds).c_str(),
                Milliseconds(floorCpuSeconds).c_str());
    std::printf("  %-12s %-14s %3s %10s %8s %8s %8s  %s\n", "locale", "names", "fmt", "Open ms",
                "x floor", "CPU x", "x file", "(targets: 0.05 x floor, 3 x file)");
    for (const char* locale : ReportLocales) {
        if (!LocaleReported(locale))
            continue;
        long emptyPeak[2];
        for (int format = 0; format < 2; ++format)
            emptyPeak[format] = PeaksInLocale(empty[format], locale).PeakKiB[aOpen];
        for (const TMixVault& file : files) {
            std::istringstream open(ChildOutput({"--open", file.Path}, locale));
            std::string word;
            int records = 0;
            long long wallMicroseconds = 0;
            long long cpuMicroseconds = 0;
            open >> word >> records >> wallMicroseconds >> cpuMicroseconds;
            const double wall = static_cast<double>(wallMicroseconds) * 1e-6;
            const double cpu = static_cast<double>(cpuMicroseconds) * 1e-6;
            Require(word == "open" && records == static_cast<int>(LargeSize),
                    "the open child opened the wrong vault");
            const TMemoryResult peaks = PeaksInLocale(file.Path, locale);
            double most = 0;
            for (int action = 0; action < ActionCount; ++action)
                if (file.Format == 1 || action != aChangePassword)
                    most = std::max(
                        most, static_cast<double>(peaks.PeakKiB[static_cast<std::size_t>(action)] -
                                                  emptyPeak[file.Format - 1]) *
                                  1024 / file.Bytes);
            std::printf("  %-12s %-14s %3d %10.1f %8.4f %8.4f %8.2f  %s %s\n", locale,
                        NameMixName(file.Mix), file.Format, wall * 1e3, wall / floorSeconds,
                        cpu / floorCpuSeconds, most,
                        Verdict(wall <= OpenFloorTarget * floorSeconds),
                        Verdict(most <= static_cast<double>(MemoryFileFactor)));
        }
    }
}

bool ParseSizes(int argc, char** argv, std::vector<std::size_t>& sizes) {
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        const unsigned long long size = std::strtoull(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || size < 10)
            return false;
        sizes.push_back(static_cast<std::size_t>(size));
    }
    if (sizes.empty())
        sizes.assign(DefaultSizes.begin(), DefaultSizes.end());
    std::sort(sizes.begin(), sizes.end());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool memoryMode = argc == 3 && std::strcmp(argv[1], "--memory") == 0;
    const bool openMode = argc == 3 && std::strcmp(argv[1], "--open") == 0;
    // bench_mainform locales: only the rows by locale and name mix.
    const bool localesOnly = argc == 2 && std::strcmp(argv[1], "locales") == 0;
    std::vector<std::size_t> sizes;
    if (!memoryMode && !openMode && !localesOnly && !ParseSizes(argc, argv, sizes)) {
        std::fprintf(stderr, "usage: bench_mainform [SIZE...]   (default 1000 10000 100000; "
                             "each at least 10)\n");
        return 2;
    }

    TKestovarApplication application(argc, argv);
    QTemporaryDir folder;
    Require(folder.isValid(), "no temporary folder");
    // The user's own settings are never touched.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    TScriptedAnswers errorDisplay; // errors escaping an event handler end the bench
    application.SetErrorDisplay(&errorDisplay);
    if (memoryMode)
        return MemoryMode(argv[2]);
    if (openMode)
        return OpenMode(argv[2]);
    if (localesOnly) {
        PrintLocaleRows(folder);
        return 0;
    }

    std::printf("bench_mainform: the main window under the offscreen platform; times include "
                "the events each action leaves posted\n"
                "(\"events\": the median of that part alone)\n");
    std::vector<double> floor;
    std::vector<TSizeResult> results;
    std::vector<std::string> memoryCopies;
    for (const std::size_t accounts : sizes) {
        TSizeResult result;
        result.Accounts = accounts;
        const std::string path =
            folder.filePath(QStringLiteral("Vault%1.kvf").arg(accounts)).toStdString();
        const auto start = TClock::now();
        const std::vector<TPassRecord> records = MakeTestAccounts(accounts, DefaultTestVaultSeed);
        WriteTestVault(path, records, MasterPasswords[0]);
        result.GenerateSeconds = std::chrono::duration<double>(TClock::now() - start).count();
        result.FileBytes = std::filesystem::file_size(path);
        // The run below rewrites the file; the memory children open it as made.
        memoryCopies.push_back(path + ".memory.kvf");
        std::filesystem::copy_file(path, memoryCopies.back());
        std::printf("%s accounts...\n", Grouped(accounts).c_str());
        std::fflush(stdout);
        TScriptedAnswers answers;
        RunWindow(answers, path, records, result, floor);
        results.push_back(std::move(result));
    }
    while (floor.size() < 3)
        floor.push_back(OpenSslKeySchedules());
    const double floorSeconds = Median(floor);

    const std::string emptyPath = folder.filePath(QStringLiteral("Empty.kvf")).toStdString();
    WriteTestVault(emptyPath, {}, MasterPasswords[0]);
    const TMemoryResult empty = PeaksOfActions(emptyPath);
    Require(empty.Records == 0, "the memory child opened the wrong vault");
    for (std::size_t s = 0; s < results.size(); ++s) {
        const TMemoryResult peaks = PeaksOfActions(memoryCopies[s]);
        Require(peaks.Records == static_cast<int>(results[s].Accounts),
                "the memory child opened the wrong vault");
        results[s].PeakKiB = peaks.PeakKiB;
    }

    for (const TSizeResult& result : results)
        PrintSizeTable(result, floorSeconds, empty.PeakKiB[aOpen]);
    PrintSummary(results, floorSeconds, floor.size());
    PrintMemory(results, empty.PeakKiB[aOpen]);
    // The default sizes only: a run on sizes of its own (the figures check) leaves them out.
    if (argc == 1)
        PrintLocaleRows(folder);
    return 0;
}
