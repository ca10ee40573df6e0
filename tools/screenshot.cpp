// Renders the main window with a sample vault into a PNG, for the README:
//   kestovar_screenshot docs/screenshot.png
// It keeps its settings and the sample vault in a temporary folder.

#include "app/mainform.h"
#include "platform/QtPlatform.h"
#include "vault/DataFile.h"
#include "vault/RecordCodec.h"

#include <QApplication>
#include <QComboBox>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const char* const SamplePassword = "sample";

// Answers the password prompt with the sample vault's password; everything else is Qt's.
class TSamplePlatform : public TQtPlatform {
public:
    std::string AskPassword(const std::string&) override { return SamplePassword; }
    std::string AskNewAccountName() override { return {}; }
    void ShowAbout() override {}
};

void WriteSampleVault(const std::string& path) {
    const TPassRecord accounts[] = {
        {"Bank of Elsewhere", "jdoe-4711", "c0rrect-h0rse",
         "Branch 12, Market Street;PIN letter "
         "in the blue folder;"},
        {"Mail", "jane.doe@example.org", "hunter2", "Recovery phone ends in 42;"},
        {"Library card", "0045 1123 77", "bookworm", ""},
        {"Wi-Fi at home", "DoeNet-5G", "long passphrase here", "Router admin: see sticker;"},
    };
    TBlowfish cipher;
    std::vector<std::string> lines;
    for (const TPassRecord& account : accounts)
        lines.push_back(EncodeRecord(cipher, account, SamplePassword));
    WriteDataFile(cipher, path, SamplePassword, lines);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestovar_screenshot OUTPUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    const std::string vault = dir.filePath("PassData.kvf").toStdString();
    WriteSampleVault(vault);
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "OmbrelInc", "Durnhold");
        settings.setValue("Datafile", QString::fromStdString(vault));
    }

    TSamplePlatform platform;
    TfrmMain form(platform);
    form.FormCreate();
    auto* selector = form.findChild<QComboBox*>("cboAccount");
    const int row = selector->findText("Bank of Elsewhere");
    selector->setCurrentIndex(row);
    emit selector->activated(row);
    form.show();
    app.processEvents();
    if (!form.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
