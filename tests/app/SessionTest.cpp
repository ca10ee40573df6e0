// A whole session as a user works: a new vault, three accounts typed in, saved, closed and
// opened again.

#include "MainFormFixture.h"

#include "platform/Codepage.h"
#include "vault/DataFile.h"

#include <QTest>

#include <algorithm>

TEST_F(MainFormTest, EverythingTypedComesBackAfterSaveCloseAndOpen) {
    TfrmMain& form = Start();
    const std::string path = Path("session.kvf");
    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
    Platform.ExpectPassword("Please enter the new password", "M\xe4ster pass");
    Platform.ExpectPassword("Please confirm the new password", "M\xe4ster pass");
    Click("spdNew");

    const std::vector<TPassRecord> typed{
        Record("Bank", "jdoe", "s3cr;t", "branch 12;call first;"),
        Record("Mail \xe9t\xe9", "me@example.org", "hunter2", ""),
        Record("alpha", "", "p", "one;;three;"),
    };
    for (const TPassRecord& account : typed) {
        Platform.ExpectNewAccount(account.Account);
        Click("spdAdd");
        TypeInto(Login(), AnsiToQString(account.Login));
        TypeInto(Password(), AnsiToQString(account.Password));
        std::vector<std::string> lines = NotesToLines(account.Notes);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(Notes(), Qt::Key_Return);
            TypeText(Notes(), AnsiToQString(lines[i]));
        }
    }
    Click("spdSave");
    EXPECT_FALSE(form.Modified());
    Click("spdClose");
    EXPECT_EQ(SelectorItems(), QStringList());

    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
    Platform.ExpectPassword("Please enter the password", "M\xe4ster pass");
    Click("spdOpen");
    EXPECT_EQ(SelectorItems(),
              QStringList({"alpha", "Bank", QString::fromUtf8("Mail \u00e9t\u00e9")}));
    for (const TPassRecord& account : typed) {
        Choose(AnsiToQString(account.Account));
        EXPECT_EQ(Login()->text(), AnsiToQString(account.Login));
        EXPECT_EQ(Password()->text(), AnsiToQString(account.Password));
        QStringList noteLines;
        for (const std::string& line : NotesToLines(account.Notes))
            noteLines << AnsiToQString(line);
        EXPECT_EQ(Notes()->toPlainText(), noteLines.join('\n'));
    }

    // The file itself decodes to what was typed; a ";" typed in a field other than the notes is
    // kept as it is.
    std::vector<TPassRecord> onDisk = ReadVault(path, "M\xe4ster pass");
    ASSERT_EQ(onDisk.size(), typed.size());
    for (const TPassRecord& account : typed) {
        const auto found = std::find_if(onDisk.begin(), onDisk.end(), [&](const TPassRecord& r) {
            return r.Account == account.Account;
        });
        ASSERT_NE(found, onDisk.end()) << account.Account;
        EXPECT_TRUE(SameRecord(*found, account)) << account.Account;
    }
}
