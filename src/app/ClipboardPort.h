#pragma once

// What the secret clipboard needs of the system's clipboard: the program runs on Qt's, tests on a
// scripted one that echoes and restores as desktops do.

#include <QClipboard>
#include <QObject>
#include <QString>

// The clipboard format by which KDE's Klipper and other clipboard managers know a secret that
// they are not to keep in their history.
inline constexpr const char* PasswordManagerHintFormat = "x-kde-passwordManagerHint";

class TClipboardPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QString Text(QClipboard::Mode mode) const = 0;
    // Puts the text on the clipboard (not the selection), marked for clipboard managers as a
    // secret not to keep.
    virtual void SetSecret(const QString& text) = 0;
    // An empty text, not an empty selection: a clipboard manager brings its last entry back when
    // the selection becomes empty, and that may be the secret.
    virtual void SetEmpty(QClipboard::Mode mode) = 0;
    // Whether the system may refuse a change that no fresh input of the user's asked for (Wayland
    // while no window of the program has the focus).
    virtual bool MayRefuseChange() const = 0;
    // Sets an empty text through the desktop's own tool where one is installed (wl-copy); false
    // when there is none.
    virtual bool SetEmptyWithTool(QClipboard::Mode mode) = 0;

signals:
    // Something changed the text in this mode: a copy anywhere, or the system's echo of one.
    void Changed(QClipboard::Mode mode);
};

// The system's clipboard through Qt.
class TQtClipboardPort : public TClipboardPort {
    Q_OBJECT
public:
    explicit TQtClipboardPort(QObject* parent = nullptr);

    QString Text(QClipboard::Mode mode) const override;
    void SetSecret(const QString& text) override;
    void SetEmpty(QClipboard::Mode mode) override;
    bool MayRefuseChange() const override;
    bool SetEmptyWithTool(QClipboard::Mode mode) override;
};
