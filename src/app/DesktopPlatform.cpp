#include "app/DesktopPlatform.h"

#include "dialogs/frmAbout.h"
#include "dialogs/generate.h"
#include "dialogs/harden.h"
#include "dialogs/login.h"
#include "dialogs/newacct.h"
#include "dialogs/report.h"
#include "platform/Codepage.h"

#include <QApplication>

namespace {

QWidget* DialogOwner() {
    return QApplication::activeWindow();
}

enum class TPasswordKind { Existing, New };

std::string AskWithLogin(const std::string& caption, TPasswordKind kind) {
    TfrmLogin dialog(DialogOwner());
    dialog.SetCaption(caption);
    if (kind == TPasswordKind::New) {
        dialog.SetAdvice(TfrmLogin::NewPasswordAdvice());
        dialog.ShowStrength();
    }
    dialog.exec();
    return dialog.Password();
}

} // namespace

std::string TDesktopPlatform::AskPassword(const std::string& caption) {
    return AskWithLogin(caption, TPasswordKind::Existing);
}

std::string TDesktopPlatform::AskNewPassword(const std::string& caption) {
    return AskWithLogin(caption, TPasswordKind::New);
}

std::string TDesktopPlatform::AskNewAccountName() {
    TfrmNewAcct dialog(DialogOwner());
    dialog.exec();
    return dialog.ResultName();
}

std::string TDesktopPlatform::AskGeneratedPassword() {
    TfrmGenerate dialog(DialogOwner());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.Password();
}

THardenChoice TDesktopPlatform::AskHarden() {
    TfrmHarden dialog(DialogOwner());
    dialog.exec();
    return dialog.Choice();
}

std::optional<std::string> TDesktopPlatform::ShowReport(const TReport& report) {
    TfrmReport dialog(DialogOwner(), report, TReportUse::Read);
    dialog.exec();
    return dialog.ChosenAccount();
}

bool TDesktopPlatform::ConfirmReport(const TReport& report) {
    TfrmReport dialog(DialogOwner(), report, TReportUse::Confirm);
    return dialog.exec() == QDialog::Accepted;
}

void TDesktopPlatform::ShowAbout() {
    TfrmAboutKV dialog(DialogOwner(),
                       [this](const std::string& address) { OpenWebAddress(address); });
    dialog.exec();
}
