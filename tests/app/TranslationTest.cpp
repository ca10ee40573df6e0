// The window in German, with the translation built in this tree: its texts, the messages built
// with names and numbers, the errors that come in English from below the window, and the real
// message box's buttons in Qt's own German.

#include "../platform/ModalDriver.h"
#include "MainFormFixture.h"
#include "app/DesktopPlatform.h"
#include "app/Translations.h"
#include "dialogs/login.h"
#include "platform/MessageCatalog.h"
#include "platform/PlatformErrors.h"
#include "vault/DataFile.h"

#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

class GermanTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        ASSERT_TRUE(Translations.Install(QLocale(QLocale::German, QLocale::Germany),
                                         {QStringLiteral(KESTOVAR_QM_DIR)}));
    }

    TTranslations Translations; // removed from the application with the test
};

TEST_F(GermanTest, WindowHintsAndStatusSpeakGerman) {
    Start();
    // The key's name comes from Qt's German.
    EXPECT_EQ(Control<QToolButton>("spdAdd")->toolTip(), "Konto hinzufügen (Strg+Umschalt+A)");
    EXPECT_EQ(Form->PanelText(2), "Keine Datendatei");
}

TEST_F(GermanTest, MessagesCountDamagedLinesInGerman) {
    const std::string path = Path("vault.kvf");
    std::string bytes = MakeCheckLine(Cipher, "secret") + "\r\n";
    for (int i = 0; i < 12; ++i)
        bytes += "not a record\r\n";
    PutFileBytes(path, bytes);
    Remember(path);
    Platform.ExpectPassword("Bitte geben Sie das Kennwort ein", "secret");
    Platform.ExpectMessageBox("12 Zeilen der Datendatei konnten nicht gelesen werden (Zeilen 2, 3, "
                              "4, 5, 6, 7, 8, 9, 10, 11 und 2 weitere). Sie bleiben unverändert in "
                              "der Datei.",
                              TMessageKind::mkPlain, TMessageButtons::mbOK, idOK);
    Start();
}

TEST_F(GermanTest, ErrorsFromBelowTheWindowAreShownInGerman) {
    // Every message of the file layer, the numbered ones included, has its German.
    for (int code = 0; code <= 1200; ++code) {
        const TErrorMessage message = EInOutError::ErrorMessageForCode(code).ForDisplay();
        EXPECT_NE(TranslatedMessage(message).toStdString(), message.Text()) << message.Text();
    }
    // Each message with a name or a number is translated by its code, its arguments filled in.
    const std::vector<std::pair<TErrorMessage, std::string>> cases = {
        {EInOutError(1117).Error(), "Ein-/Ausgabefehler 1117."},
        // The display adds no stop after "'", which sorts before ".".
        {TErrorMessage(TErrorCode::SettingNotStored, {"Datafile"}),
         "Die Daten für „Datafile“ konnten nicht gespeichert werden"},
        {TErrorMessage("Blowfish: Key not set"), "Blowfish: Kein Schlüssel gesetzt."},
        {TErrorMessage("Something the catalog does not know"),
         "Something the catalog does not know."},
        // After the file's name, which may hold ": " itself.
        {EInOutError(5, "/home/a: b/PassData.kvf").Error(),
         "/home/a: b/PassData.kvf: Dateizugriff verweigert."},
        {EInOutError(112, "v.kvf").Error(), "v.kvf: Datenträger voll."},
        {EInOutError(32, "v.kvf").Error(), "v.kvf: Ein-/Ausgabefehler 32."},
        {EFileBusy("v.kvf").Error(), "v.kvf wird gerade von einem anderen Programm geschrieben. "
                                     "Es wurde nichts geschrieben."},
        {TErrorMessage(TErrorCode::LfLineEnds, {"v.kvf"}),
         "v.kvf hat LF-Zeilenenden: Die Datei wurde von einem anderen Programm umgewandelt."},
        // A name that looks like a message is still a name.
        {TErrorMessage(TErrorCode::BackupIsFolder, {"I/O error 5"}),
         "I/O error 5 ist ein Ordner und wird nicht ersetzt."},
    };
    for (const auto& [message, german] : cases) {
        SCOPED_TRACE(message.Text());
        EXPECT_EQ(TranslatedMessage(message.ForDisplay()), QString::fromStdString(german));
    }
    // Fixed sentences are found with the display's full stop and without.
    EXPECT_EQ(TranslatedMessage("Blowfish: Key not set."), "Blowfish: Kein Schlüssel gesetzt.");
    EXPECT_EQ(TranslatedMessage("Blowfish: Key not set"), "Blowfish: Kein Schlüssel gesetzt");
}

// The error display takes the message by its code: the real box shows the German.
TEST_F(GermanTest, TheErrorDisplayTranslatesByCode) {
    TDesktopPlatform platform;
    QString shown;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        shown = box->text();
        box->accept();
    });
    try {
        throw EInOutError(112, "v.kvf");
    } catch (...) {
        platform.ShowCurrentException();
    }
    EXPECT_EQ(shown, "v.kvf: Datenträger voll.");
}

TEST_F(GermanTest, MessageBoxButtonsTakeQtsGerman) {
    TDesktopPlatform platform;
    QStringList buttons;
    QString caption;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        caption = box->windowTitle();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        box->reject();
    });
    EXPECT_EQ(platform.ShowMessageBox("?", TMessageKind::mkConfirmation, TMessageButtons::mbYesNo),
              idCancel);
    EXPECT_EQ(caption, "Bestätigen");
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"&Ja", "&Nein"}));
}

// The program's own prompt for a new master password gives zxcvbn's estimate as it is typed; the
// prompt for an existing one does not.
TEST_F(GermanTest, TheNewPasswordPromptGivesTheStrengthInGerman) {
    TDesktopPlatform platform;
    const auto typeAndTakeTip = [](QString& tip) {
        WhenModal<TfrmLogin>([&tip](TfrmLogin* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("edtPassword"));
            QTest::keyClicks(edit, "password");
            tip = edit->toolTip();
            QTest::keyClick(edit, Qt::Key_Return);
        });
    };
    QString tip;
    typeAndTakeTip(tip);
    EXPECT_EQ(platform.AskNewPassword("Neues Kennwort"), "password");
    EXPECT_TRUE(tip.startsWith(
        QStringLiteral("St\u00e4rke nach der Sch\u00e4tzung von zxcvbn: 0 Bit, sehr schwach\n")))
        << tip.toStdString();
    EXPECT_TRUE(tip.endsWith(TfrmLogin::NewPasswordAdvice()));

    typeAndTakeTip(tip);
    EXPECT_EQ(platform.AskPassword("Kennwort"), "password");
    EXPECT_TRUE(tip.isEmpty()) << tip.toStdString();
}

} // namespace
