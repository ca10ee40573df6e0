// Undo and Redo in the window: Ctrl+Z outside a text field and the window's menu take back the
// last Add, edit and Delete step by step, down to the bytes of the file, and Ctrl+Shift+Z does them
// again; a field with the focus keeps Ctrl+Z for its own typing.

#include "MainFormFixture.h"

#include "vault/DataFile.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

namespace {

class UndoTest : public MainFormTest {
protected:
    TfrmMain& Open(const std::vector<TPassRecord>& records) {
        WriteVault(Path("vault.kvf"), "secret", records);
        TfrmMain& form = StartWithVault(Path("vault.kvf"), "secret");
        QApplication::setActiveWindow(&form);
        return form;
    }
    // A key of the window, pressed where the focus is.
    void Key(int key, Qt::KeyboardModifiers modifiers) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Form.get(), static_cast<Qt::Key>(key), modifiers);
    }
    void Undo() { Key(Qt::Key_Z, Qt::ControlModifier); }
    void Redo() { Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }
    QString Message() const { return Control<QLabel>("lblMessage")->text(); }
    // The window's menu where a right click beside the fields opens it.
    QMenu* WindowMenu() {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(30, 200),
                                Form->mapToGlobal(QPoint(30, 200)));
        QApplication::sendEvent(Form.get(), &event);
        auto* menu = Form->findChild<QMenu*>("mnuWindow");
        EXPECT_TRUE(menu && menu->isVisible());
        return menu;
    }
};

TEST_F(UndoTest, AddEditAndDeleteAreTakenBackToTheSavedBytesAndDoneAgainUntilTheSave) {
    const std::string path = Path("vault.kvf");
    TfrmMain& form = Open({Record("Bank", "b", "pb", "branch;"), Record("Mail", "m", "pm")});
    const std::string saved = FileBytes(path);

    // In a field, Ctrl+Z takes back the field's own typing and nothing else; typed back, the
    // account is as saved and no step to take back.
    TypeInto(Login(), "q");
    Undo();
    EXPECT_EQ(Login()->text(), "b");
    EXPECT_EQ(SelectorItems(), (QStringList{"Bank", "Mail"}));
    EXPECT_EQ(form.PanelText(1), "MOD");

    Platform.ExpectNewAccount("Kite");
    Click("spdAdd");
    TypeInto(Login(), "k1");
    Choose("Mail");
    Notes()->moveCursor(QTextCursor::End);
    TypeInto(Notes(), "x");
    Choose("Bank");
    Click("spdDelete");
    ASSERT_EQ(SelectorItems(), (QStringList{"Kite", "Mail"}));

    // Outside the fields, step by step; each shows the account it touched.
    Selector()->setFocus();
    const struct {
        const char* message;
        QStringList accounts;
        const char* shown;
        QString login;
        bool modified;
    } steps[] = {
        {"Delete undone.", {"Bank", "Kite", "Mail"}, "Bank", "b", true},
        {"Edit undone.", {"Bank", "Kite", "Mail"}, "Mail", "m", true},
        {"Edit undone.", {"Bank", "Kite", "Mail"}, "Kite", "", true},
        {"Add undone.", {"Bank", "Mail"}, "Bank", "b", false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.message);
        Undo();
        EXPECT_EQ(Message(), step.message);
        EXPECT_EQ(SelectorItems(), step.accounts);
        EXPECT_EQ(Selector()->currentText(), step.shown);
        EXPECT_EQ(Login()->text(), step.login);
        EXPECT_EQ(form.Modified(), step.modified);
        EXPECT_EQ(form.PanelText(1), step.modified ? "MOD" : "");
        EXPECT_EQ(form.PanelText(0), QString::number(step.accounts.size()));
    }
    EXPECT_EQ(Notes()->toPlainText(), "branch");
    Undo();
    EXPECT_EQ(Message(), "Nothing to undo.");
    EXPECT_EQ(form.Records().Lines(), ReadDataFile(path)) << "the file's lines, in its order";

    // Again, from the window's menu for the first step, then by the key.
    QMenu* menu = WindowMenu();
    ASSERT_NE(menu, nullptr);
    auto* undoCommand = menu->findChild<QAction*>("actUndo");
    auto* redoCommand = menu->findChild<QAction*>("actRedo");
    ASSERT_TRUE(undoCommand && redoCommand);
    EXPECT_EQ(undoCommand->text(), "Undo\tCtrl+Z");
    EXPECT_FALSE(undoCommand->isEnabled());
    ASSERT_TRUE(redoCommand->isEnabled());
    redoCommand->trigger();
    menu->hide();
    EXPECT_EQ(Message(), "Add done again.");
    for (int step = 1; step < 4; ++step)
        Redo();
    EXPECT_EQ(Message(), "Delete done again.");
    Redo();
    EXPECT_EQ(Message(), "Nothing to redo.");
    EXPECT_EQ(SelectorItems(), (QStringList{"Kite", "Mail"}));
    EXPECT_EQ(form.PanelText(1), "MOD");

    Click("spdSave");
    const std::vector<TPassRecord> written = ReadVault(path, "secret");
    ASSERT_EQ(written.size(), 2u);
    for (const TPassRecord& record : written)
        EXPECT_TRUE(SameRecord(record, Record("Kite", "k1")) ||
                    SameRecord(record, Record("Mail", "m", "pm", "x;")))
            << record.Account;
    Undo();
    EXPECT_EQ(Message(), "Nothing to undo.") << "a save ends the history";
    EXPECT_NE(FileBytes(path), saved);
}

TEST_F(UndoTest, ACloseOrALockEndsTheHistoryAndTheMenuOffersNothing) {
    for (const char* how : {"close", "lock"}) {
        SCOPED_TRACE(how);
        Open({Record("Bank", "b")});
        Selector()->setFocus();
        Click("spdDelete");
        if (std::string(how) == "close") {
            Platform.ExpectMessageBox(
                "You have changed your data. Do you want to save your changes?",
                TMessageKind::mkConfirmation, TMessageButtons::mbYesNo, idNo);
            Click("spdClose");
        } else {
            Platform.ExpectPassword("Please enter the password to unlock", "secret");
            Key(Qt::Key_L, Qt::ControlModifier);
            ASSERT_FALSE(Form->Locked());
        }
        Undo();
        EXPECT_EQ(Message(), "Nothing to undo.");
        EXPECT_EQ(SelectorItems(), QStringList{});
        QMenu* menu = WindowMenu();
        ASSERT_NE(menu, nullptr);
        EXPECT_FALSE(menu->findChild<QAction*>("actUndo")->isEnabled());
        EXPECT_FALSE(menu->findChild<QAction*>("actRedo")->isEnabled());
        menu->hide();
        Form.reset();
    }
}

} // namespace
