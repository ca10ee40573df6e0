#include "app/DesktopPlatform.h"

#include "app/Prompts.h"
#include "dialogs/frmAbout.h"
#include "dialogs/generate.h"
#include "dialogs/login.h"
#include "dialogs/newacct.h"
#include "platform/Codepage.h"

#include <QApplication>

namespace {

QWidget* DialogOwner() {
    return QApplication::activeWindow();
}

} // namespace

bool AsksForNewPassword(const std::string& caption) {
    for (const char* prompt : {NewPasswordPrompt, ConfirmPasswordPrompt}) {
        if (caption == QStringToDisplay(QCoreApplication::translate("TfrmMain", prompt)))
            return true;
    }
    return false;
}

std::string TDesktopPlatform::AskPassword(const std::string& caption) {
    TfrmLogin dialog(DialogOwner());
    dialog.SetCaption(caption);
    if (AsksForNewPassword(caption))
        dialog.SetAdvice(TfrmLogin::NewPasswordAdvice());
    dialog.exec();
    return dialog.Password();
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

void TDesktopPlatform::ShowAbout() {
    TfrmAboutKV dialog(DialogOwner(),
                       [this](const std::string& address) { OpenWebAddress(address); });
    dialog.exec();
}
