// Find in every field: Ctrl+F finds in names, Ctrl+F again (or the check box) in logins, web
// addresses and notes too, and the list says where each account was found.

#include "MainFormFixture.h"

#include "app/AccountFinder.h"

#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QTest>

namespace {

class FindEveryFieldTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        WriteVault(Path("vault.kvf"), "secret",
                   {Record("mail", "ann@post.example", "pw", "See the BLUE folder;"),
                    Record("Bank", "jdoe", "secret word", "url: bank.example;PIN 4711;"),
                    Record("Post office", "Ann", "", ""),
                    Record("Zoo", "z", "", "https://zoo.example/tickets;Caf\xE9 Noir;")});
        QApplication::setActiveWindow(&StartWithVault(Path("vault.kvf"), "secret"));
        Finder = Form->findChild<TAccountFinder*>();
        ASSERT_NE(Finder, nullptr);
        Edit = Finder->findChild<QLineEdit*>("edtFind");
    }
    void OpenFinder() {
        Selector()->setFocus();
        QTest::keyClick(Selector(), Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(Finder->isVisible());
    }
    // The entries the list shows.
    QStringList Listed() const {
        const QAbstractItemModel* model = Control<QListView>("lstFind")->model();
        QStringList entries;
        for (int row = 0; row < model->rowCount(); ++row)
            entries << model->index(row, 0).data().toString();
        return entries;
    }

    TAccountFinder* Finder = nullptr;
    QLineEdit* Edit = nullptr;
};

TEST_F(FindEveryFieldTest, EachFieldIsSearchedAndNamedWhereTheNameDoesNotHoldIt) {
    const struct {
        const char* typed;
        bool everyField;
        QStringList listed;
    } cases[] = {
        {"ann", false, {}},
        {"ann", true, {"mail \u2014 login", "Post office \u2014 login"}},
        {"post", false, {"Post office"}},
        {"post", true, {"mail \u2014 login", "Post office"}}, // the name first
        {"blue", true, {"mail \u2014 notes"}},
        {"4711", true, {"Bank \u2014 notes"}},
        {"https://bank", true, {"Bank \u2014 web address"}},
        {"zoo.example", true, {"Zoo \u2014 web address"}},
        {"cafe n", true, {"Zoo \u2014 notes"}}, // letter case and accents as in names
        {"secret", true, {}},                   // passwords are never searched
        {"example;pin", true, {}},              // nor across the lines of the notes
        {"o", false, {"Post office", "Zoo"}},
        {"o", true, {"Bank \u2014 login", "mail \u2014 login", "Post office", "Zoo"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.everyField ? " in every field" : " in names"));
        OpenFinder();
        if (c.everyField)
            QTest::keyClick(Edit, Qt::Key_F, Qt::ControlModifier);
        EXPECT_EQ(Finder->EveryField(), c.everyField);
        // Typed key by key: each keystroke after the first narrows what the one before found.
        TypeText(Edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(Listed(), c.listed);
        ASSERT_EQ(Finder->FoundIn().size(), Finder->Matches().size());
        for (std::size_t i = 0; i < Finder->Matches().size(); ++i)
            EXPECT_EQ(Listed()[static_cast<qsizetype>(i)].startsWith(
                          Selector()->itemText(Finder->Matches()[i])),
                      true);
        QTest::keyClick(Edit, Qt::Key_Escape);
        EXPECT_FALSE(Finder->isVisible());
    }
}

TEST_F(FindEveryFieldTest, TheModeCanChangeMidSearchAndTheFieldsAreReadAgainAtEachOpening) {
    OpenFinder();
    TypeText(Edit, QStringLiteral("ann"));
    EXPECT_EQ(Listed(), QStringList{});
    auto* everyField = Finder->findChild<QCheckBox*>("chkEveryField");
    ASSERT_NE(everyField, nullptr);
    EXPECT_EQ(everyField->text(), "In every field (Ctrl+F)");
    everyField->click();
    EXPECT_EQ(Listed(), (QStringList{"mail \u2014 login", "Post office \u2014 login"}));
    EXPECT_EQ(Platform.BusyDepth(), 0) << "the busy cursor is off again";
    QTest::keyClick(Edit, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(Listed(), QStringList{});

    // Enter shows the account found in its login, and its login can change.
    QTest::keyClick(Edit, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(Edit, Qt::Key_Return);
    EXPECT_EQ(Selector()->currentText(), "mail");
    TypeInto(Login(), "-zz");
    OpenFinder();
    EXPECT_FALSE(Finder->EveryField()) << "each opening starts with the names";
    QTest::keyClick(Edit, Qt::Key_F, Qt::ControlModifier);
    TypeText(Edit, QStringLiteral("zz"));
    EXPECT_EQ(Listed(), QStringList{"mail \u2014 login"});

    // An account deleted since is not listed, nor looked up.
    QTest::keyClick(Edit, Qt::Key_Escape);
    Choose("Post office");
    Click("spdDelete");
    OpenFinder();
    QTest::keyClick(Edit, Qt::Key_F, Qt::ControlModifier);
    TypeText(Edit, QStringLiteral("ann"));
    EXPECT_EQ(Listed(), QStringList{"mail \u2014 login"});
}

} // namespace
