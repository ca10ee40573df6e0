// The module that brings the desktop's clipboard to clip: the one part of kestovar-cli that
// needs Qt GUI.

#include "cli/ClipboardHold.h"
#include "cli/DesktopClipboard.h"

#include <QGuiApplication>

namespace {

class TModuleClipboard final : public IDesktopClipboard {
public:
    TModuleClipboard() : FHold(*QGuiApplication::clipboard()) {}
    bool Copy(const QString& text) override { return FHold.Copy(text); }
    bool HoldThenClear(std::chrono::milliseconds time) override {
        return FHold.Hold(time) == TClipboardHold::TEnd::Cleared;
    }

private:
    TClipboardHold FHold;
};

std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
    return std::make_unique<QGuiApplication>(argc, argv);
}

std::unique_ptr<IDesktopClipboard> OpenClipboard() {
    return std::make_unique<TModuleClipboard>();
}

constexpr TClipboardModule Module{MakeApplication, OpenClipboard};

} // namespace

extern "C" Q_DECL_EXPORT const TClipboardModule* KestovarClipboardModule() {
    return &Module;
}
