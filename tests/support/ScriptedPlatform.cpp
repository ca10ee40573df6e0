#include "ScriptedPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char* KindName(TScriptedPlatform::TCallKind kind) {
    using K = TScriptedPlatform::TCallKind;
    switch (kind) {
    case K::MessageBox:
        return "message box";
    case K::ErrorBox:
        return "error box";
    case K::FileDialog:
        return "file dialog";
    case K::Password:
        return "password prompt";
    case K::NewAccount:
        return "new-account dialog";
    case K::About:
        return "About dialog";
    case K::WebAddress:
        return "web address";
    case K::Generator:
        return "password generator";
    case K::Harden:
        return "question before hardening";
    case K::Report:
        return "report";
    }
    return "?";
}

} // namespace

TScriptedPlatform::~TScriptedPlatform() {
    for (const TExpectation& left : FScript)
        ADD_FAILURE() << "expected " << KindName(left.Call.Kind) << " \"" << left.Call.Text
                      << "\" never came";
}

void TScriptedPlatform::ExpectMessageBox(std::string text, TMessageKind kind,
                                         TMessageButtons buttons, int answer) {
    TExpectation e;
    e.Call = {TCallKind::MessageBox, std::move(text), kind, buttons};
    e.ButtonAnswer = answer;
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectErrorBox(std::string text) {
    TExpectation e;
    e.Call = {TCallKind::ErrorBox, std::move(text)};
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectFileDialog(TFileDialogKind kind, std::string title,
                                         std::string chosenPath, int filterIndex) {
    TExpectation e;
    e.Call = {TCallKind::FileDialog, std::move(title)};
    e.DialogKind = kind;
    e.Answer = std::move(chosenPath);
    e.FilterIndex = filterIndex;
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectFileDialogCancelled(TFileDialogKind kind, std::string title) {
    TExpectation e;
    e.Call = {TCallKind::FileDialog, std::move(title)};
    e.DialogKind = kind;
    e.Confirmed = false;
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectPassword(std::string caption, std::string typed) {
    TExpectation e;
    e.Call = {TCallKind::Password, std::move(caption)};
    e.Answer = std::move(typed);
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectNewAccount(std::string name) {
    TExpectation e;
    e.Call = {TCallKind::NewAccount, {}};
    e.Answer = std::move(name);
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectAbout() {
    TExpectation e;
    e.Call = {TCallKind::About, {}};
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectWebAddress(std::string address) {
    TExpectation e;
    e.Call = {TCallKind::WebAddress, std::move(address)};
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectGeneratedPassword(std::string password) {
    TExpectation e;
    e.Call = {TCallKind::Generator, {}};
    e.Answer = std::move(password);
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectHarden(THardenChoice choice) {
    TExpectation e;
    e.Call = {TCallKind::Harden, {}};
    e.Harden = choice;
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectReport(std::string title, std::vector<std::string> lines,
                                     std::optional<std::string> chosen) {
    TExpectation e;
    e.Call = {TCallKind::Report, std::move(title)};
    e.Call.Lines = std::move(lines);
    e.Chosen = std::move(chosen);
    FScript.push_back(std::move(e));
}

void TScriptedPlatform::ExpectReportConfirmation(std::string title, std::vector<std::string> lines,
                                                 bool ok) {
    TExpectation e;
    e.Call = {TCallKind::Report, std::move(title)};
    e.Call.Lines = std::move(lines);
    e.Confirmed = ok;
    FScript.push_back(std::move(e));
}

std::vector<std::string> TScriptedPlatform::ReportLines(const TReport& report) {
    std::vector<std::string> lines{report.Summary};
    for (const TReportSection& section : report.Sections) {
        lines.push_back(section.Heading);
        for (const TReportLine& line : section.Lines) {
            std::string text = std::string(2 * (line.Depth + 1), ' ') + line.Text;
            if (line.Account)
                text += " [account " + *line.Account + "]";
            lines.push_back(std::move(text));
        }
    }
    return lines;
}

TScriptedPlatform::TExpectation TScriptedPlatform::Next(const TCall& call) {
    FCalls.push_back(call);
    FCalls.back().Busy = FBusyDepth > 0;
    if (FScript.empty()) {
        ADD_FAILURE() << "unexpected " << KindName(call.Kind) << " \"" << call.Text << "\"";
        return {};
    }
    TExpectation expected = FScript.front();
    FScript.pop_front();
    EXPECT_EQ(KindName(expected.Call.Kind), std::string(KindName(call.Kind)))
        << "text of the call: \"" << call.Text << "\"";
    EXPECT_EQ(expected.Call.Text, call.Text);
    if (call.Kind == TCallKind::MessageBox) {
        EXPECT_EQ(static_cast<int>(expected.Call.MessageKind), static_cast<int>(call.MessageKind))
            << call.Text;
        EXPECT_EQ(static_cast<int>(expected.Call.Buttons), static_cast<int>(call.Buttons))
            << call.Text;
    }
    return expected;
}

int TScriptedPlatform::ShowMessageBox(const std::string& text, TMessageKind kind,
                                      TMessageButtons buttons) {
    return Next({TCallKind::MessageBox, text, kind, buttons}).ButtonAnswer;
}

void TScriptedPlatform::ShowErrorText(const std::string& text) {
    Next({TCallKind::ErrorBox, text});
}

bool TScriptedPlatform::ExecuteFileDialog(TFileDialog& dialog) {
    TCall call{TCallKind::FileDialog, dialog.Title};
    call.Lines = {dialog.Filter};
    const TExpectation answer = Next(call);
    EXPECT_EQ(static_cast<int>(answer.DialogKind), static_cast<int>(dialog.Kind())) << dialog.Title;
    if (!answer.Confirmed || answer.Call.Kind != TCallKind::FileDialog)
        return false;
    dialog.FileName = answer.Answer;
    if (answer.FilterIndex > 0)
        dialog.FilterIndex = answer.FilterIndex;
    return true;
}

std::string TScriptedPlatform::AskPassword(const std::string& caption) {
    return Next({TCallKind::Password, caption}).Answer;
}

std::string TScriptedPlatform::AskNewAccountName() {
    return Next({TCallKind::NewAccount, {}}).Answer;
}

void TScriptedPlatform::ShowAbout() {
    Next({TCallKind::About, {}});
}

std::string TScriptedPlatform::AskGeneratedPassword() {
    return Next({TCallKind::Generator, {}}).Answer;
}

THardenChoice TScriptedPlatform::AskHarden() {
    const TExpectation answer = Next({TCallKind::Harden, {}});
    return answer.Call.Kind == TCallKind::Harden ? answer.Harden : THardenChoice::Cancel;
}

TScriptedPlatform::TExpectation TScriptedPlatform::NextReport(const TReport& report) {
    TCall call{TCallKind::Report, report.Title};
    call.Lines = ReportLines(report);
    TExpectation expected = Next(call);
    if (expected.Call.Kind == TCallKind::Report) {
        EXPECT_EQ(expected.Call.Lines, call.Lines) << report.Title;
    }
    return expected;
}

std::optional<std::string> TScriptedPlatform::ShowReport(const TReport& report) {
    const TExpectation answer = NextReport(report);
    if (answer.Call.Kind != TCallKind::Report || !answer.Chosen)
        return {};
    // Only a line that names the account can choose it.
    const auto names = [&](const TReportLine& line) { return line.Account == answer.Chosen; };
    bool named = false;
    for (const TReportSection& section : report.Sections)
        named = named || std::any_of(section.Lines.begin(), section.Lines.end(), names);
    EXPECT_TRUE(named) << "no line of the report names " << *answer.Chosen;
    return named ? answer.Chosen : std::nullopt;
}

bool TScriptedPlatform::ConfirmReport(const TReport& report) {
    const TExpectation answer = NextReport(report);
    return answer.Call.Kind == TCallKind::Report && answer.Confirmed;
}

void TScriptedPlatform::SetBusyCursor(bool on) {
    FBusyDepth += on ? 1 : -1;
}

void TScriptedPlatform::OpenWebAddress(const std::string& address) {
    Next({TCallKind::WebAddress, address});
}
