#include "ModalDriver.h"
#include "platform/QtPlatform.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TTestPlatform : public TQtPlatform {
public:
    std::string AskPassword(const std::string&) override { return {}; }
    std::string AskNewAccountName() override { return {}; }
    void ShowAbout() override {}
};

struct TDialogSeen {
    QString Title;
    QStringList NameFilters;
    QString SelectedFilter;
    QString TypedName;
    QString Folder;
    bool Native = true;
    bool ConfirmsOverwrite = true;
    QFileDialog::FileMode Mode = QFileDialog::ExistingFile;
};

class FileDialogTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }

    void Configure(TFileDialog& dialog) const {
        dialog.Title = "Open password file";
        dialog.Filter = "Password files|*.kvf|All files|*.*";
        dialog.DefaultExt = "kvf";
        dialog.FileName = FDir.filePath("PassData.kvf").toStdString();
    }

    // Shows the dialog, types name into its file-name box and confirms, or cancels when name is
    // empty. Choosing filter (from 1) first when it is not 0.
    bool Run(TFileDialog& dialog, const QString& name, int filter = 0) {
        WhenModal<QFileDialog>([&](QFileDialog* box) {
            FSeen.Title = box->windowTitle();
            FSeen.NameFilters = box->nameFilters();
            FSeen.SelectedFilter = box->selectedNameFilter();
            FSeen.Folder = box->directory().absolutePath();
            FSeen.Native = !box->testOption(QFileDialog::DontUseNativeDialog);
            FSeen.ConfirmsOverwrite = !box->testOption(QFileDialog::DontConfirmOverwrite);
            FSeen.Mode = box->fileMode();
            auto* edit = box->findChild<QLineEdit*>("fileNameEdit");
            if (edit)
                FSeen.TypedName = edit->text();
            if (name.isEmpty() || !edit) {
                box->reject();
                return;
            }
            if (filter > 0)
                box->selectNameFilter(box->nameFilters().at(filter - 1));
            edit->setText(name);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        TTestPlatform platform;
        return platform.ExecuteFileDialog(dialog);
    }

    QTemporaryDir FDir;
    TDialogSeen FSeen;
};

TEST_F(FileDialogTest, OpenStartsWithTheNameAndTheFirstFilter) {
    TTestPlatform platform;
    TFileDialog dialog(platform, TFileDialogKind::fdOpen);
    Configure(dialog);
    EXPECT_FALSE(Run(dialog, {}));
    EXPECT_EQ(FSeen.Title, "Open password file");
    EXPECT_EQ(FSeen.NameFilters, (QStringList{"Password files (*.kvf)", "All files (*)"}));
    EXPECT_EQ(FSeen.SelectedFilter, "Password files"); // as shown
    EXPECT_EQ(FSeen.TypedName, "PassData.kvf");
    EXPECT_EQ(FSeen.Folder, QDir(FDir.path()).absolutePath());
    EXPECT_FALSE(FSeen.Native);
    EXPECT_EQ(FSeen.Mode, QFileDialog::AnyFile);
    // Cancel leaves the name as it was.
    EXPECT_EQ(dialog.FileName, FDir.filePath("PassData.kvf").toStdString());
    EXPECT_EQ(dialog.FilterIndex, 1);
}

TEST_F(FileDialogTest, OpenAcceptsANewNameAndAddsTheExtension) {
    TTestPlatform platform;
    TFileDialog dialog(platform, TFileDialogKind::fdOpen);
    Configure(dialog);
    ASSERT_TRUE(Run(dialog, "NewVault"));
    EXPECT_EQ(dialog.FileName, FDir.filePath("NewVault.kvf").toStdString());
    EXPECT_FALSE(QFileInfo::exists(FDir.filePath("NewVault.kvf")));

    ASSERT_TRUE(Run(dialog, "named.txt"));
    EXPECT_EQ(dialog.FileName, FDir.filePath("named.txt").toStdString());
}

TEST_F(FileDialogTest, SaveKeepsTheChosenFilterAndAsksNothing) {
    TTestPlatform platform;
    TFileDialog dialog(platform, TFileDialogKind::fdSave);
    Configure(dialog);
    QFile existing(FDir.filePath("Existing.kvf"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();

    ASSERT_TRUE(Run(dialog, "Existing.kvf", 2));
    EXPECT_FALSE(FSeen.ConfirmsOverwrite);
    EXPECT_EQ(dialog.FileName, FDir.filePath("Existing.kvf").toStdString());
    EXPECT_EQ(dialog.FilterIndex, 2);

    // The next use starts with the path and the filter chosen last.
    EXPECT_FALSE(Run(dialog, {}));
    EXPECT_EQ(FSeen.SelectedFilter, "All files");
    EXPECT_EQ(FSeen.TypedName, "Existing.kvf");
    EXPECT_EQ(dialog.FilterIndex, 2);
}

} // namespace
