#pragma once

// The desktop's clipboard for clip, from a module of its own: Qt GUI and the many libraries it
// brings load for clip alone, and every other command starts without them.

#include <QString>

#include <chrono>
#include <memory>

class QCoreApplication;

class IDesktopClipboard {
public:
    virtual ~IDesktopClipboard() = default;
    // Puts the text on the clipboard; false when the clipboard does not hold it afterwards.
    virtual bool Copy(const QString& text) = 0;
    // Serves the clipboard until the time is up, then clears it (true), or until another copy
    // replaces the text (false), which is left alone.
    virtual bool HoldThenClear(std::chrono::milliseconds time) = 0;
};

// What the module offers, under the name KestovarClipboardModule.
struct TClipboardModule {
    std::unique_ptr<QCoreApplication> (*MakeApplication)(int& argc, char** argv);
    std::unique_ptr<IDesktopClipboard> (*OpenClipboard)();
};

// The desktop application that clip runs in, from the module; nothing when it cannot load.
std::unique_ptr<QCoreApplication> MakeDesktopApplication(int& argc, char** argv);
// The clipboard of that application; EUserError when there is none, naming why.
std::unique_ptr<IDesktopClipboard> OpenDesktopClipboard();
