// The window's item models follow the vault: a client that reads every row while the rows change
// (as a screen reader's accessibility bridge does) reads only rows that exist, and sees the old
// rows before a change and the new ones after it.

#include "MainFormFixture.h"

#include "app/AccountFinder.h"
#include "app/Prompts.h"

#include <QApplication>
#include <QListView>
#include <QTest>

namespace {

// Reads every row of a model at each announcement, as an accessibility client may.
class TEagerReader : public QObject {
public:
    explicit TEagerReader(QAbstractItemModel& model) : FModel(model) {
        const auto readAll = [this](const char* when) {
            QStringList names;
            for (int row = 0; row < FModel.rowCount(); ++row)
                names << FModel.index(row, 0).data(Qt::AccessibleTextRole).toString();
            Reads.push_back({when, names});
        };
        connect(&model, &QAbstractItemModel::rowsAboutToBeInserted, this,
                [readAll] { readAll("before insert"); });
        connect(&model, &QAbstractItemModel::rowsInserted, this,
                [readAll] { readAll("after insert"); });
        connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [readAll] { readAll("before remove"); });
        connect(&model, &QAbstractItemModel::rowsRemoved, this,
                [readAll] { readAll("after remove"); });
        connect(&model, &QAbstractItemModel::modelReset, this,
                [readAll] { readAll("after reset"); });
    }
    struct TRead {
        std::string When;
        QStringList Names;
    };
    std::vector<TRead> Reads;

private:
    QAbstractItemModel& FModel;
};

class ModelFollowsVaultTest : public MainFormTest {
protected:
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Form.get(), static_cast<Qt::Key>(key), modifiers);
    }
    // The last read at this announcement.
    QStringList LastRead(const TEagerReader& reader, const std::string& when) const {
        for (auto read = reader.Reads.rbegin(); read != reader.Reads.rend(); ++read)
            if (read->When == when)
                return read->Names;
        ADD_FAILURE() << "no read " << when;
        return {};
    }
};

TEST_F(ModelFollowsVaultTest, AClientReadingEveryRowWhileTheyChangeReadsOnlyRowsThatExist) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("alpha"), Record("bravo"), Record("charlie")});
    StartWithVault(path, "secret");
    QApplication::setActiveWindow(Form.get());
    TEagerReader reader(*Selector()->model());

    Platform.ExpectNewAccount("delta");
    Click("spdAdd");
    EXPECT_EQ(LastRead(reader, "before insert"), QStringList({"alpha", "bravo", "charlie"}));
    EXPECT_EQ(LastRead(reader, "after insert"),
              QStringList({"alpha", "bravo", "charlie", "delta"}));
    TypeInto(Login(), "dee");

    Platform.ExpectPassword("Please enter the old password", "secret");
    Platform.ExpectPassword(NewPasswordPrompt, "fresh");
    Platform.ExpectPassword(ConfirmPasswordPrompt, "fresh");
    Click("spdChangePassword");

    // The last row goes: the old code removed it from the vault before it told the views.
    Choose("delta");
    Click("spdDelete");
    EXPECT_EQ(LastRead(reader, "before remove"),
              QStringList({"alpha", "bravo", "charlie", "delta"}));
    EXPECT_EQ(LastRead(reader, "after remove"), QStringList({"alpha", "bravo", "charlie"}));
    EXPECT_EQ(Selector()->currentText(), "alpha");

    // Find, then lock and unlock: the rows go and come back whole.
    Key(Qt::Key_F);
    auto* finder = Form->findChild<TAccountFinder*>();
    TypeText(finder->findChild<QLineEdit*>("edtFind"), "char");
    QTest::keyClick(finder->findChild<QLineEdit*>("edtFind"), Qt::Key_Return);
    EXPECT_EQ(Selector()->currentText(), "charlie");
    Platform.ExpectPassword("Please enter the password to unlock", "fresh");
    Key(Qt::Key_L);
    EXPECT_FALSE(Form->Locked());
    EXPECT_EQ(LastRead(reader, "after reset"), QStringList({"alpha", "bravo", "charlie"}));
    EXPECT_EQ(Selector()->currentText(), "charlie");

    Platform.ExpectMessageBox("You have changed your data. Do you want to save your changes?",
                              TMessageKind::mkConfirmation, TMessageButtons::mbYesNo, idYes);
    Click("spdClose");
    EXPECT_TRUE(LastRead(reader, "after reset").isEmpty());
    EXPECT_EQ(Form->PanelText(0), "0");

    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", path);
    Platform.ExpectPassword("Please enter the password", "fresh");
    Click("spdOpen");
    EXPECT_EQ(LastRead(reader, "after reset"), QStringList({"alpha", "bravo", "charlie"}));

    Platform.ExpectFileDialog(TFileDialogKind::fdOpen, "Open password file", Path("new.kvf"));
    Platform.ExpectPassword(NewPasswordPrompt, "other");
    Platform.ExpectPassword(ConfirmPasswordPrompt, "other");
    Click("spdNew");
    EXPECT_TRUE(LastRead(reader, "after reset").isEmpty());
    EXPECT_EQ(Form->PanelText(2).toStdString(), Path("new.kvf"));

    for (const TScriptedPlatform::TCall& call : Platform.Calls())
        EXPECT_NE(call.Kind, TScriptedPlatform::TCallKind::ErrorBox) << call.Text;
    EXPECT_TRUE(Platform.Done());
}

TEST_F(ModelFollowsVaultTest, TheStatusBarFollowsTheVaultThroughEveryCommand) {
    const std::string path = Path("vault.kvf");
    WriteVault(path, "secret", {Record("alpha"), Record("bravo")});
    StartWithVault(path, "secret");
    const auto status = [this] { return QStringList{Form->PanelText(0), Form->PanelText(1)}; };
    EXPECT_EQ(status(), QStringList({"2", ""}));
    Platform.ExpectNewAccount("charlie");
    Click("spdAdd");
    EXPECT_EQ(status(), QStringList({"3", "MOD"}));
    Click("spdSave");
    EXPECT_EQ(status(), QStringList({"3", ""}));
    TypeInto(Login(), "x");
    EXPECT_EQ(status(), QStringList({"3", "MOD"}));
    Click("spdDelete");
    EXPECT_EQ(status(), QStringList({"2", "MOD"}));
    EXPECT_TRUE(Enabled("spdDelete"));
    Click("spdDelete");
    Click("spdDelete");
    EXPECT_EQ(status(), QStringList({"0", "MOD"}));
    EXPECT_FALSE(Enabled("spdDelete"));
    EXPECT_TRUE(Platform.Done());
}

} // namespace
