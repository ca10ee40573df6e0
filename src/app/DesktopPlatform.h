#pragma once

// The program's platform services: Qt's message boxes and file dialogs, and the program's own
// dialogs for the password prompt, a new account, About, the generator, hardening and reports.

#include "platform/QtPlatform.h"

class TDesktopPlatform : public TQtPlatform {
public:
    std::string AskPassword(const std::string& caption) override;
    std::string AskNewPassword(const std::string& caption) override;
    std::string AskNewAccountName() override;
    void ShowAbout() override;
    std::string AskGeneratedPassword() override;
    THardenChoice AskHarden() override;
    std::optional<std::string> ShowReport(const TReport& report) override;
    bool ConfirmReport(const TReport& report) override;
};
