// Saves with a failure injected at each system call they make on the data file's folder, and on a
// disk that is full or fills up: afterwards the file is the old one or the complete new one, no
// temporary file is left, and the window keeps its vault and modified flag and shows the error.

#include "MainFormFixture.h"

#include "FaultInjection.h"
#include "app/KestovarApplication.h"
#include "vault/DataFile.h"

#include <QCoreApplication>
#include <QDir>

#include <fcntl.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>

using namespace FaultInjection;

namespace {

const std::string MasterPassword = "fault line";
// Enough accounts that one save needs several writes of the file layer's 64 KiB buffer.
constexpr int AccountCount = 3000;
constexpr std::size_t WriteBufferSize = 64 * 1024;

// Platform services that record the texts of the error display instead of checking them against
// the script, whichever way an error reaches it (the window's own handlers or the application's
// last resort).
class TRecordingPlatform : public TScriptedPlatform {
public:
    std::vector<std::string> Errors;

protected:
    void ShowErrorText(const std::string& text) override { Errors.push_back(text); }
};

// The texts of EInOutError as the error display shows them, after the name of the file.
bool IsIoErrorText(const std::string& shown, const std::string& path) {
    if (shown.compare(0, path.size() + 2, path + ": ") != 0)
        return false;
    const std::string text = shown.substr(path.size() + 2);
    for (const char* fixed : {"File not found.", "Invalid filename.", "Too many open files.",
                              "File access denied.", "Disk full."})
        if (text == fixed)
            return true;
    const std::string prefix = "I/O error ";
    if (text.size() < prefix.size() + 2 || text.compare(0, prefix.size(), prefix) != 0 ||
        text.back() != '.')
        return false;
    const std::string digits = text.substr(prefix.size(), text.size() - prefix.size() - 1);
    return std::all_of(digits.begin(), digits.end(),
                       [](char ch) { return ch >= '0' && ch <= '9'; });
}

TFaultPlan Plan(int failAt, std::optional<std::size_t> diskSpace, bool noUnnamedFiles) {
    TFaultPlan plan;
    plan.FailAt = failAt;
    plan.DiskSpace = diskSpace;
    plan.NoUnnamedFiles = noUnnamedFiles;
    return plan;
}

// The files of the folder but an empty write lock, which a failed removal may leave: it holds no
// data, and the next writer takes it over.
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".lock") && entry.is_regular_file() && entry.file_size() == 0)
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Describe(const std::vector<TCall>& calls) {
    std::ostringstream text;
    for (const TCall& call : calls) {
        text << "\n  " << call.Function << ' ' << call.Path;
        if (call.Failed)
            text << " (failed)";
    }
    return text.str();
}

std::map<TCallKind, int> CountByKind(const std::vector<TCall>& calls) {
    std::map<TCallKind, int> counts;
    for (const TCall& call : calls)
        ++counts[call.Kind];
    return counts;
}

std::string Tally(const std::map<TCallKind, int>& counts) {
    std::ostringstream text;
    for (const auto& [kind, count] : counts)
        text << (text.tellp() > 0 ? ", " : "") << KindName(kind) << ' ' << count;
    return text.str();
}

} // namespace

class SaveFaultTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        if (auto* app = qobject_cast<TKestovarApplication*>(QCoreApplication::instance()))
            app->SetErrorDisplay(&Desk);
        ASSERT_TRUE(QDir(Dir.path()).mkdir("data"));
        TRecordCipher codec(Cipher, MasterPassword);
        std::vector<std::string> lines;
        for (int i = 0; i < AccountCount; ++i) {
            const std::string n = std::to_string(i);
            lines.push_back(codec.Encode(Record("Account " + n, "user" + n + "@example.org",
                                                "pass-" + n + "-word", "first;second " + n + ";")));
        }
        ::WriteDataFile(Cipher, Source(), MasterPassword, lines);
        OldBytes = FileBytes(Source());
        ASSERT_GT(OldBytes.size(), 4 * WriteBufferSize);
    }

    // The vault that windows open; outside the folder where failures are injected.
    std::string Source() const { return Path("source.kvf"); }
    std::string Folder() const { return Path("data"); }
    std::string Target() const { return Folder() + "/vault.kvf"; }

    // The data file at the target holds the old vault.
    void RestoreTarget() {
        std::filesystem::remove(Target());
        PutFileBytes(Target(), OldBytes);
    }

    // A window on the vault at path, with one unsaved change.
    TfrmMain& StartModified(const std::string& path) {
        Remember(path);
        Desk.ExpectPassword("Please enter the password", MasterPassword);
        Form = std::make_unique<TfrmMain>(Desk);
        Form->FormCreate();
        Form->show();
        TfrmMain& form = *Form;
        TypeInto(Login(), "!");
        EXPECT_TRUE(form.Modified());
        return form;
    }

    // The file a save of the window's vault writes.
    std::string SavedBytes() const {
        TBlowfish cipher;
        std::string bytes = MakeCheckLine(cipher, MasterPassword) + "\r\n";
        for (const std::string& line : Form->Records().Lines())
            bytes += line + "\r\n";
        return bytes;
    }

    struct TOutcome {
        std::vector<TCall> Calls;
        bool Injected = false;
    };

    TOutcome Press(const char* button, const TFaultPlan& plan) {
        TOutcome outcome;
        TFaultInjector injector(Folder(), plan);
        Click(button);
        outcome.Calls = injector.Calls();
        outcome.Injected = injector.Injected();
        return outcome;
    }

    // What a sweep over one way of saving needs to know.
    struct TSweep {
        std::string Name;
        const char* Button;          // "spdSave" or "spdSaveAs"
        bool TargetExists;           // the target holds the old vault before the save
        bool NoUnnamedFiles = false; // the folder's file system has no O_TMPFILE
    };

    // Opens a window with an unsaved change, ready to save onto the target.
    TfrmMain& Prepare(const TSweep& sweep) {
        if (sweep.TargetExists)
            RestoreTarget();
        else
            std::filesystem::remove(Target());
        if (sweep.TargetExists && std::string(sweep.Button) == "spdSave")
            return StartModified(Target());
        TfrmMain& form = StartModified(Source());
        Desk.ExpectFileDialog(TFileDialogKind::fdSave, "Save password file", Target());
        return form;
    }

    // The counted calls of a save that nothing disturbs.
    std::vector<TCall> CleanSave(const TSweep& sweep) {
        TfrmMain& form = Prepare(sweep);
        const std::string expected = SavedBytes();
        const TOutcome outcome = Press(sweep.Button, Plan(0, std::nullopt, sweep.NoUnnamedFiles));
        EXPECT_FALSE(outcome.Injected);
        EXPECT_FALSE(form.Modified());
        EXPECT_EQ(FileBytes(Target()), expected);
        EXPECT_EQ(Listing(Folder()), std::vector<std::string>{"vault.kvf"});
        return outcome.Calls;
    }

    // Fails each counted call of the save in turn, every one in a fresh window.
    void Sweep(const TSweep& sweep) {
        const std::vector<TCall> clean = CleanSave(sweep);
        if (HasFailure())
            return;
        std::map<TCallKind, int> reportedAfterReplacing;
        for (int k = 1; k <= static_cast<int>(clean.size()); ++k) {
            const TCall& victim = clean[static_cast<std::size_t>(k) - 1];
            SCOPED_TRACE(sweep.Name + ": failure at call " + std::to_string(k) + " of " +
                         std::to_string(clean.size()) + ", " + victim.Function + " " + victim.Path);
            TfrmMain& form = Prepare(sweep);
            // A data file that cannot be read for the check of changes made elsewhere tells
            // nothing: the save goes on without a question.
            const std::vector<std::string> vault = form.Records().Lines();
            const std::string newBytes = SavedBytes();
            Desk.Errors.clear();
            const TOutcome outcome =
                Press(sweep.Button, Plan(k, std::nullopt, sweep.NoUnnamedFiles));
            const std::vector<std::string>& errors = Desk.Errors;

            ASSERT_TRUE(outcome.Injected) << Describe(outcome.Calls);
            ASSERT_TRUE(Desk.Done());
            EXPECT_EQ(outcome.Calls[static_cast<std::size_t>(k) - 1].Function, victim.Function);
            const bool replaced = std::filesystem::exists(Target()) &&
                                  (!sweep.TargetExists || FileBytes(Target()) != OldBytes);
            if (replaced) {
                EXPECT_EQ(FileBytes(Target()), newBytes) << Describe(outcome.Calls);
            } else if (sweep.TargetExists) {
                EXPECT_EQ(FileBytes(Target()), OldBytes);
            }
            const std::vector<std::string> expectedListing =
                replaced || sweep.TargetExists ? std::vector<std::string>{"vault.kvf"}
                                               : std::vector<std::string>{};
            EXPECT_EQ(Listing(Folder()), expectedListing) << Describe(outcome.Calls);
            EXPECT_EQ(form.Records().Lines(), vault);

            // A save that left the old state must say so; one that replaced the file may still
            // report a failure that came after (the modified flag then stays set).
            ASSERT_LE(errors.size(), 1u);
            const bool reported = errors.size() == 1;
            if (!replaced) {
                EXPECT_TRUE(reported) << "the save failed silently: " << Describe(outcome.Calls);
            }
            if (reported) {
                EXPECT_TRUE(IsIoErrorText(errors.front(), Target())) << errors.front();
                if (victim.Kind == TCallKind::ckWrite) {
                    EXPECT_EQ(errors.front(), Target() + ": Disk full.");
                }
                if (replaced)
                    ++reportedAfterReplacing[victim.Kind];
            }
            EXPECT_EQ(form.Modified(), reported);
        }
        std::cout << "[ swept    ] " << sweep.Name << ": " << clean.size() << " points ("
                  << Tally(CountByKind(clean)) << ")";
        if (!reportedAfterReplacing.empty())
            std::cout << "; reported after the file was replaced: "
                      << Tally(reportedAfterReplacing);
        std::cout << '\n';
    }

    // A save onto a disk with space bytes free.
    void SaveOnDisk(const char* button, bool targetExists, std::size_t space) {
        Prepare({"", button, targetExists});
        const std::vector<std::string> vault = Form->Records().Lines();
        Desk.Errors.clear();
        const TOutcome outcome = Press(button, Plan(0, space, false));
        EXPECT_EQ(Desk.Errors, std::vector<std::string>{Target() + ": Disk full."});
        EXPECT_TRUE(outcome.Injected);
        // Every write up to the one that found the disk full, and none after it.
        std::vector<TCall> writes;
        std::copy_if(outcome.Calls.begin(), outcome.Calls.end(), std::back_inserter(writes),
                     [](const TCall& call) { return call.Kind == TCallKind::ckWrite; });
        ASSERT_FALSE(writes.empty());
        EXPECT_TRUE(writes.back().Failed) << Describe(outcome.Calls);
        EXPECT_EQ(writes.size(), space == 0 ? 1u : space / WriteBufferSize + 2)
            << Describe(outcome.Calls);
        EXPECT_TRUE(Desk.Done());
        if (targetExists) {
            EXPECT_EQ(FileBytes(Target()), OldBytes);
            EXPECT_EQ(Listing(Folder()), std::vector<std::string>{"vault.kvf"});
        } else {
            EXPECT_EQ(Listing(Folder()), std::vector<std::string>{});
        }
        EXPECT_TRUE(Form->Modified());
        EXPECT_EQ(Form->Records().Lines(), vault);
    }

    TRecordingPlatform Desk; // the windows' platform services
    std::string OldBytes;
};

TEST_F(SaveFaultTest, TheSeamSeesEveryCallOfASave) {
    const std::vector<TCall> calls = CleanSave({"save", "spdSave", true});
    auto count = [&](auto&& matches) { return std::count_if(calls.begin(), calls.end(), matches); };
    auto named = [&](const char* function) {
        return count([&](const TCall& call) { return call.Function == function; });
    };
    // Calls through Qt's imports and straight from the program's own code must both be seen;
    // otherwise the sweeps below would inject nothing where it matters.
    EXPECT_GE(count([](const TCall& call) {
                  return call.Kind == TCallKind::ckOpen && (call.OpenFlags & O_ACCMODE) != O_RDONLY;
              }),
              1)
        << Describe(calls);
    EXPECT_GE(count([](const TCall& call) { return call.Kind == TCallKind::ckWrite; }),
              static_cast<long>(OldBytes.size() / WriteBufferSize))
        << Describe(calls);
    EXPECT_EQ(named("fsync"), 2) << Describe(calls); // the new file, then its folder
    EXPECT_GE(count([](const TCall& call) {
                  return call.Kind == TCallKind::ckLink || call.Kind == TCallKind::ckRename;
              }),
              1)
        << Describe(calls);
    EXPECT_GE(named("close"), 2) << Describe(calls);
}

TEST_F(SaveFaultTest, SaveOverTheFileSurvivesAFailureOfEveryCall) {
    Sweep({"save", "spdSave", true});
}

TEST_F(SaveFaultTest, SaveOverTheFileWithoutUnnamedTemporaryFiles) {
    Sweep({"save, named temporary", "spdSave", true, true});
}

TEST_F(SaveFaultTest, SaveAsToANewNameLeavesNoFileOrTheCompleteOne) {
    Sweep({"save as", "spdSaveAs", false});
    Sweep({"save as, named temporary", "spdSaveAs", false, true});
}

TEST_F(SaveFaultTest, FullDiskKeepsTheOldFile) {
    SaveOnDisk("spdSave", true, 0);
    SaveOnDisk("spdSaveAs", false, 0);
}

TEST_F(SaveFaultTest, DiskFillingMidwayKeepsTheOldFile) {
    StartModified(Source());
    const std::size_t half = SavedBytes().size() / 2;
    SaveOnDisk("spdSave", true, half);
    SaveOnDisk("spdSaveAs", false, half);
}
