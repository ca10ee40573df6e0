#pragma once

// Platform services for tests: every modal call is answered from a script that the test sets up,
// checked against what the script expects, and recorded with its texts. A call that the script
// did not expect fails the test.

#include "platform/PlatformServices.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

class TScriptedPlatform : public TPlatformServices {
public:
    enum class TCallKind {
        MessageBox,
        ErrorBox,
        FileDialog,
        Password,
        NewAccount,
        About,
        WebAddress,
        Generator,
        Harden,
        Report
    };

    struct TCall {
        TCallKind Kind;
        std::string Text; // message, error text, prompt caption, dialog title or web address
        TMessageKind MessageKind = TMessageKind::mkPlain;
        TMessageButtons Buttons = TMessageButtons::mbOK;
        bool Busy = false; // the busy cursor was on when the call came
        // A report's texts (ReportLines); a file dialog's filter, one entry a line.
        std::vector<std::string> Lines{};
    };

    // A report as lines: the summary, then each heading and its lines under it, indented two
    // spaces for each level; a line that names an account ends with " [account NAME]".
    static std::vector<std::string> ReportLines(const TReport& report);

    ~TScriptedPlatform() override;

    // What the next calls must be, and their answers.
    void ExpectMessageBox(std::string text, TMessageKind kind, TMessageButtons buttons, int answer);
    void ExpectErrorBox(std::string text);
    // filterIndex: the filter entry the user chooses, from 1; 0 leaves the dialog's.
    void ExpectFileDialog(TFileDialogKind kind, std::string title, std::string chosenPath,
                          int filterIndex = 0);
    void ExpectFileDialogCancelled(TFileDialogKind kind, std::string title);
    void ExpectPassword(std::string caption, std::string typed);
    void ExpectNewAccount(std::string name);
    void ExpectAbout();
    void ExpectWebAddress(std::string address);
    // The password generator, accepted with this password or cancelled (empty).
    void ExpectGeneratedPassword(std::string password);
    // The question before a file is hardened, answered so.
    void ExpectHarden(THardenChoice choice);
    // A report to be read, titled so and of exactly these lines (ReportLines), closed after
    // choosing the account to show, or none.
    void ExpectReport(std::string title, std::vector<std::string> lines,
                      std::optional<std::string> chosen = {});
    // A report of what a command will do, answered OK (true) or Cancel.
    void ExpectReportConfirmation(std::string title, std::vector<std::string> lines, bool ok);

    // The clock stands at this time (seconds since 1970) from now on.
    void SetUnixTime(std::int64_t time) noexcept { FUnixTime = time; }

    // True when every expected call has come; the destructor fails the test otherwise.
    bool Done() const noexcept { return FScript.empty(); }
    const std::vector<TCall>& Calls() const noexcept { return FCalls; }
    int BusyDepth() const noexcept { return FBusyDepth; }

    int ShowMessageBox(const std::string& text, TMessageKind kind,
                       TMessageButtons buttons) override;
    bool ExecuteFileDialog(TFileDialog& dialog) override;
    std::string AskPassword(const std::string& caption) override;
    std::string AskNewAccountName() override;
    void ShowAbout() override;
    std::string AskGeneratedPassword() override;
    THardenChoice AskHarden() override;
    std::optional<std::string> ShowReport(const TReport& report) override;
    bool ConfirmReport(const TReport& report) override;
    void SetBusyCursor(bool on) override;
    void OpenWebAddress(const std::string& address) override;
    std::int64_t UnixTime() override {
        return FUnixTime ? *FUnixTime : TPlatformServices::UnixTime();
    }

protected:
    void ShowErrorText(const std::string& text) override;

private:
    struct TExpectation {
        TCall Call;
        std::string Answer; // typed text, chosen path or name
        int ButtonAnswer = idCancel;
        TFileDialogKind DialogKind = TFileDialogKind::fdOpen;
        bool Confirmed = true;
        THardenChoice Harden = THardenChoice::Cancel;
        int FilterIndex = 0;
        std::optional<std::string> Chosen; // the account chosen in a report
    };

    TExpectation Next(const TCall& call);
    TExpectation NextReport(const TReport& report);

    std::deque<TExpectation> FScript;
    std::vector<TCall> FCalls;
    int FBusyDepth = 0;
    std::optional<std::int64_t> FUnixTime;
};
