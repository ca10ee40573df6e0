#pragma once

// A main window on the offscreen platform with scripted platform services, its settings in a
// temporary folder, and helpers to make and read data files.

#include "ScriptedPlatform.h"
#include "app/mainform.h"
#include "cipher/Blowfish.h"
#include "vault/RecordCodec.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const;
    std::string SettingsFile() const;
    void Remember(const std::string& dataFile);
    std::string Remembered() const;

    void WriteVault(const std::string& path, const std::string& password,
                    const std::vector<TPassRecord>& records);
    std::vector<TPassRecord> ReadVault(const std::string& path, const std::string& password);
    static std::string FileBytes(const std::string& path);
    static void PutFileBytes(const std::string& path, const std::string& bytes);

    // Creates the window and runs start-up; errors of start-up go to the scripted error box.
    TfrmMain& Start();
    // Creates the window and opens the vault at path with the password, as start-up does.
    TfrmMain& StartWithVault(const std::string& path, const std::string& password);

    template <class T> T* Control(const char* name) const {
        T* control = Form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QComboBox* Selector() const { return Control<QComboBox>("cboAccount"); }
    QLineEdit* Login() const { return Control<QLineEdit>("edtLogin"); }
    QLineEdit* Password() const { return Control<QLineEdit>("edtPassword"); }
    QPlainTextEdit* Notes() const { return Control<QPlainTextEdit>("mmoNotes"); }
    bool Enabled(const char* button) const { return Control<QToolButton>(button)->isEnabled(); }
    QStringList SelectorItems() const;
    // The names of the buttons enabled, among the file and account commands.
    std::vector<std::string> EnabledCommands() const;
    void Choose(const QString& account);
    void TypeInto(QWidget* field, const QString& text);
    void Click(const char* button);

    QTemporaryDir Dir;
    TScriptedPlatform Platform;
    std::unique_ptr<TfrmMain> Form;
    // Qt's checks of every item model of the window, run while the test drives it; a complaint
    // fails the test.
    std::vector<std::unique_ptr<QAbstractItemModelTester>> ModelTesters;
    TBlowfish Cipher;
};

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Types text into a widget with key events, characters outside ASCII included.
void TypeText(QWidget* field, const QString& text);

TPassRecord Record(std::string account, std::string login = {}, std::string password = {},
                   std::string notes = {});
bool SameRecord(const TPassRecord& a, const TPassRecord& b);
