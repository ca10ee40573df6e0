#pragma once

// The platform services on Qt Widgets: message boxes, the error display, the file dialogs, the busy
// cursor and the web browser. The program's own dialogs (password, new account, About) belong to
// the application, which implements the remaining services in a subclass.

#include "platform/PlatformServices.h"

class TQtPlatform : public TPlatformServices {
public:
    TQtPlatform() = default;
    ~TQtPlatform() override;
    TQtPlatform(const TQtPlatform&) = delete;
    TQtPlatform& operator=(const TQtPlatform&) = delete;

    int ShowMessageBox(const std::string& text, TMessageKind kind,
                       TMessageButtons buttons) override;
    bool ExecuteFileDialog(TFileDialog& dialog) override;
    void SetBusyCursor(bool on) override;
    void CancelDialogs() override;
    void OpenWebAddress(const std::string& address) override;

protected:
    void ShowError(const TErrorMessage& message) override;
    void ShowErrorText(const std::string& text) override;

private:
    bool FBusy = false;
};
