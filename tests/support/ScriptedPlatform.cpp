#include "ScriptedPlatform.h"

#include <gtest/gtest.h>

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
                                         std::string chosenPath) {
    TExpectation e;
    e.Call = {TCallKind::FileDialog, std::move(title)};
    e.DialogKind = kind;
    e.Answer = std::move(chosenPath);
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
    const TExpectation answer = Next({TCallKind::FileDialog, dialog.Title});
    EXPECT_EQ(static_cast<int>(answer.DialogKind), static_cast<int>(dialog.Kind())) << dialog.Title;
    if (!answer.Confirmed || answer.Call.Kind != TCallKind::FileDialog)
        return false;
    dialog.FileName = answer.Answer;
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

void TScriptedPlatform::SetBusyCursor(bool on) {
    FBusyDepth += on ? 1 : -1;
}

void TScriptedPlatform::OpenWebAddress(const std::string& address) {
    Next({TCallKind::WebAddress, address});
}
