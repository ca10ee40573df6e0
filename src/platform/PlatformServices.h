#pragma once

// Everything modal or machine-facing that the main window and its handlers call: message boxes,
// the error display, the file dialogs, the dialogs of the program, the busy cursor, the web
// browser and the clock. The program runs on the Qt implementation; tests answer the calls from a
// script.
//
// Texts of message boxes and of the error display are in the local 8-bit encoding (see
// DisplayToQString); passwords and account names are Windows-1252 byte strings.

#include "base/Errors.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

enum class TMessageKind { mkError, mkConfirmation, mkPlain };
// mbOKCancelDefaultCancel: OK and Cancel with Cancel the default, for a warning that a hasty Enter
// must not pass.
enum class TMessageButtons { mbOK, mbYesNo, mbOKCancel, mbOKCancelDefaultCancel };

// The answer of the question before a data file is hardened.
enum class THardenChoice { Cancel, KeepPassword, NewPassword };

// Answers of a message box.
inline constexpr int idOK = 1;
inline constexpr int idCancel = 2;
inline constexpr int idYes = 6;
inline constexpr int idNo = 7;

inline constexpr const char* ApplicationTitle = "Kestovar";

class TPlatformServices;

// A report in a window of its own: a summary and sections, each a heading over its lines. A line
// may stand under the line before it (Depth 1), and may name an account (Windows-1252) that the
// user can ask the window to show. Texts are in the local 8-bit encoding, as a message box's.
struct TReportLine {
    std::string Text;
    std::optional<std::string> Account; // the account to show, if the line names one
    int Depth = 0;
};

struct TReportSection {
    std::string Heading;
    std::vector<TReportLine> Lines;
};

struct TReport {
    std::string Title;
    std::string Summary;
    std::vector<TReportSection> Sections;
};

enum class TFileDialogKind { fdOpen, fdSave };

// An open or save dialog that keeps its file name and filter choice between uses.
class TFileDialog {
public:
    TFileDialog(TPlatformServices& platform, TFileDialogKind kind)
        : FPlatform(platform), FKind(kind) {}

    std::string Title;
    std::string Filter;     // "Description|pattern|Description|pattern"
    std::string DefaultExt; // added, after ".", to a name typed without an extension
    std::string FileName;   // the name shown at first; after Execute, the chosen full path
    int FilterIndex = 1;    // the filter entry selected, from 1

    TFileDialogKind Kind() const noexcept { return FKind; }
    // Shows the dialog; true when the user confirms a name. Cancel leaves FileName unchanged.
    bool Execute();

private:
    TPlatformServices& FPlatform;
    TFileDialogKind FKind;
};

class TPlatformServices {
public:
    virtual ~TPlatformServices() = default;

    // Returns the answer of the pressed button, or idCancel when the box is closed.
    virtual int ShowMessageBox(const std::string& text, TMessageKind kind,
                               TMessageButtons buttons) = 0;
    // The application's error display: a full stop is added when the message's last byte sorts
    // after "."; the box has the application title, the error icon and one OK button.
    void ShowErrorBox(const std::string& message) { ShowErrorBox(TErrorMessage(message)); }
    void ShowErrorBox(const TErrorMessage& message) { ShowError(message.ForDisplay()); }
    // Shows the exception being handled; to be called from inside a catch block.
    void ShowCurrentException() {
        TErrorMessage message;
        try {
            throw;
        } catch (const std::exception& error) {
            message = ErrorMessageOf(error);
        } catch (...) {
            message = TErrorMessage("Unknown error");
        }
        ShowErrorBox(message);
    }
    virtual bool ExecuteFileDialog(TFileDialog& dialog) = 0;
    // The password prompt with this caption; the empty string when cancelled.
    virtual std::string AskPassword(const std::string& caption) = 0;
    // The same prompt when it chooses a new master password; a platform may add its advice on a
    // strong one.
    virtual std::string AskNewPassword(const std::string& caption) { return AskPassword(caption); }
    // The new-account dialog; the empty string when cancelled.
    virtual std::string AskNewAccountName() = 0;
    virtual void ShowAbout() = 0;
    // The password generator; the accepted password (printable ASCII), or the empty string when
    // cancelled. A platform without the dialog answers as if it were cancelled.
    virtual std::string AskGeneratedPassword() { return {}; }
    // What hardening a data file does, and whether to choose a new master password with it (the
    // proposed answer). A platform without the dialog answers as if it were cancelled.
    virtual THardenChoice AskHarden() { return THardenChoice::Cancel; }
    // Shows the report until the user closes it; the account the user chose to show, if any. A
    // platform without the view shows nothing.
    virtual std::optional<std::string> ShowReport(const TReport& /*report*/) { return {}; }
    // Shows the report as what a command will do, with OK and Cancel; true for OK. A platform
    // without the view answers Cancel.
    virtual bool ConfirmReport(const TReport& /*report*/) { return false; }
    virtual void SetBusyCursor(bool on) = 0;
    // Cancels the open dialogs as their Cancel would, for a lock that must not wait for the user.
    // A question whose only way out would discard data (save the changes? Yes or No) stays.
    virtual void CancelDialogs() {}
    virtual void OpenWebAddress(const std::string& address) = 0;
    // The time now, in seconds since 1970 (UTC), as one-time codes count it.
    virtual std::int64_t UnixTime() {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }

    static std::string ErrorDisplayText(const std::string& message) {
        if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
            return message + '.';
        return message;
    }

protected:
    // The error display's message, its full stop added; a platform that translates takes it by
    // its code.
    virtual void ShowError(const TErrorMessage& message) { ShowErrorText(message.Text()); }
    virtual void ShowErrorText(const std::string& text) = 0;
};

inline bool TFileDialog::Execute() {
    return FPlatform.ExecuteFileDialog(*this);
}
