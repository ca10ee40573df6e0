// What the secret clipboard clears, decided on a scripted clipboard that behaves as desktops do:
// it echoes every change (twice, as a Wayland compositor and Qt do), signals again when the
// window loses the focus, and may refuse a change that no input asked for.

#include "app/SecretClipboard.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class TScriptedClipboard : public TClipboardPort {
public:
    QString Texts[2];
    bool Wayland = false;
    bool Focused = true;
    bool ToolInstalled = true;
    int ToolRuns = 0;
    int EmptyingRefused = 0;

    QString Text(QClipboard::Mode mode) const override { return Texts[Slot(mode)]; }
    void SetSecret(const QString& text) override { Put(QClipboard::Clipboard, text); }
    void SetEmpty(QClipboard::Mode mode) override {
        if (MayRefuseChange()) {
            ++EmptyingRefused;
            return;
        }
        Put(mode, QString());
    }
    bool MayRefuseChange() const override { return Wayland && !Focused; }
    bool SetEmptyWithTool(QClipboard::Mode mode) override {
        ++ToolRuns;
        if (ToolInstalled)
            Put(mode, QString());
        return ToolInstalled;
    }

    // Another program's copy, or the user's elsewhere.
    void CopiedElsewhere(QClipboard::Mode mode, const QString& text) { Put(mode, text); }
    // Qt's second notice when the window loses the focus.
    void FocusLost() {
        Focused = false;
        emit Changed(QClipboard::Clipboard);
    }

private:
    static int Slot(QClipboard::Mode mode) { return mode == QClipboard::Selection ? 1 : 0; }
    void Put(QClipboard::Mode mode, const QString& text) {
        Texts[Slot(mode)] = text;
        emit Changed(mode);
        emit Changed(mode); // the compositor's echo
    }
};

class SecretClipboardTest : public testing::Test {
protected:
    void SetUp() override {
        auto port = std::make_unique<TScriptedClipboard>();
        Board = port.get();
        Clipboard = std::make_unique<TSecretClipboard>(std::move(port), nullptr);
        Clipboard->SetClearDelay(std::chrono::milliseconds(0));
        Window.resize(200, 80);
        Field = new QLineEdit(&Window);
        Other = new QLineEdit(&Window);
        Other->move(0, 40);
        Window.show();
        QApplication::setActiveWindow(&Window);
        Clipboard->WatchFields({Field});
    }
    // A copy of the field's selection, as its copy action makes it.
    void CopyFromField(const QString& text) {
        Field->setText(text);
        Field->setFocus();
        Field->selectAll();
        Board->CopiedElsewhere(QClipboard::Clipboard, Field->selectedText());
    }

    QWidget Window;
    QLineEdit* Field = nullptr;
    QLineEdit* Other = nullptr;
    TScriptedClipboard* Board = nullptr;
    std::unique_ptr<TSecretClipboard> Clipboard;
};

TEST_F(SecretClipboardTest, TheProgramsCopyIsClearedAfterEchoesAndAFocusChange) {
    Clipboard->SetClearDelay(std::chrono::milliseconds(1));
    Other->setFocus();
    Clipboard->CopySecret(QStringLiteral("pw1"));
    Board->FocusLost();
    Board->Focused = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return Board->Texts[0].isEmpty(); }, 5000));
    EXPECT_EQ(Board->ToolRuns, 0);
}

// Only what the program put there is ever cleared, wherever the focus is.
TEST_F(SecretClipboardTest, AnotherProgramsCopyIsNeverCleared) {
    const struct {
        const char* Case;
        bool FocusInField;
        bool SecretFirst;
    } cases[] = {{"focus in the field", true, false},
                 {"focus elsewhere", false, false},
                 {"after the program's copy", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        if (c.SecretFirst)
            Clipboard->CopySecret(QStringLiteral("pw1"));
        Field->setText(QStringLiteral("pw1"));
        (c.FocusInField ? Field : Other)->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), c.FocusInField ? Field : Other);
        Board->CopiedElsewhere(QClipboard::Clipboard, QStringLiteral("theirs"));
        Board->CopiedElsewhere(QClipboard::Selection, QStringLiteral("their selection"));
        Clipboard->ClearOwnText();
        EXPECT_EQ(Board->Texts[0], "theirs");
        EXPECT_EQ(Board->Texts[1], "their selection");
    }
}

TEST_F(SecretClipboardTest, ACopyFromAWatchedFieldIsClearedWithTheVaultNotByTime) {
    Clipboard->SetClearDelay(std::chrono::milliseconds(1));
    Clipboard->CopySecret(QStringLiteral("timed"));
    CopyFromField(QStringLiteral("by hand"));
    Board->CopiedElsewhere(QClipboard::Selection, QStringLiteral("by hand"));
    QTest::qWait(20);
    EXPECT_EQ(Board->Texts[0], "by hand");
    Clipboard->ClearOwnText();
    EXPECT_EQ(Board->Texts[0], "");
    EXPECT_EQ(Board->Texts[1], "");
}

// Where the system refuses the program's own change (Wayland, no window focused), the desktop's
// tool empties the clipboard; a clipboard manager that brings the secret back meets the next
// clear again.
TEST_F(SecretClipboardTest, ARefusedClearFallsBackToTheToolAndABroughtBackSecretGoesAgain) {
    Board->Wayland = true;
    Clipboard->CopySecret(QStringLiteral("pw1"));
    Board->FocusLost();
    Clipboard->ClearOwnText();
    EXPECT_EQ(Board->EmptyingRefused, 1);
    EXPECT_EQ(Board->ToolRuns, 1);
    EXPECT_EQ(Board->Texts[0], "");

    Board->CopiedElsewhere(QClipboard::Clipboard, QStringLiteral("pw1")); // the manager's restore
    Board->ToolInstalled = false;
    Clipboard->ClearOwnText();
    EXPECT_EQ(Board->ToolRuns, 2);
    EXPECT_EQ(Board->Texts[0], "pw1") << "nothing else can take it away";
    Board->Focused = true;
    Clipboard->ClearOwnText();
    EXPECT_EQ(Board->Texts[0], "");
    EXPECT_EQ(Board->ToolRuns, 2);
}

} // namespace
