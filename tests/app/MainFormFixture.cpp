#include "MainFormFixture.h"

#include "app/KestovarApplication.h"
#include "vault/DataFile.h"

#include <QApplication>
#include <QListView>
#include <QSettings>
#include <QTest>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// What the model testers said; their category is "qt.modeltest".
QStringList ModelComplaints;
QtMessageHandler PreviousHandler = nullptr;

void CollectModelComplaints(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
    if (context.category &&
        QLatin1String(context.category).startsWith(QLatin1String("qt.modeltest")))
        ModelComplaints << message;
    else if (PreviousHandler)
        PreviousHandler(type, context, message);
}

} // namespace

void MainFormTest::SetUp() {
    ModelComplaints.clear();
    PreviousHandler = qInstallMessageHandler(CollectModelComplaints);
    ASSERT_TRUE(Dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Dir.path() + "/settings");
    if (auto* app = qobject_cast<TKestovarApplication*>(QCoreApplication::instance()))
        app->SetErrorDisplay(&Platform);
}

void MainFormTest::TearDown() {
    ModelTesters.clear();
    Form.reset();
    qInstallMessageHandler(PreviousHandler);
    EXPECT_TRUE(ModelComplaints.isEmpty()) << ModelComplaints.join('\n').toStdString();
    if (auto* app = qobject_cast<TKestovarApplication*>(QCoreApplication::instance()))
        app->SetErrorDisplay(nullptr);
}

std::string MainFormTest::Path(const std::string& name) const {
    return (Dir.path() + "/").toStdString() + name;
}

std::string MainFormTest::SettingsFile() const {
    return (Dir.path() + "/settings/OmbrelInc/Durnhold.conf").toStdString();
}

void MainFormTest::Remember(const std::string& dataFile) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "OmbrelInc", "Durnhold");
    settings.setValue("Datafile", QString::fromStdString(dataFile));
    settings.sync();
}

std::string MainFormTest::Remembered() const {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "OmbrelInc", "Durnhold");
    return settings.value("Datafile", QStringLiteral("<none>")).toString().toStdString();
}

void MainFormTest::WriteVault(const std::string& path, const std::string& password,
                              const std::vector<TPassRecord>& records) {
    std::vector<std::string> lines;
    for (const TPassRecord& record : records)
        lines.push_back(EncodeRecord(Cipher, record, password));
    WriteDataFile(Cipher, path, password, lines);
}

std::vector<TPassRecord> MainFormTest::ReadVault(const std::string& path,
                                                 const std::string& password) {
    EXPECT_TRUE(CheckPassword(Cipher, path, password)) << path;
    std::vector<TPassRecord> records;
    for (const std::string& line : ReadDataFile(path))
        records.push_back(DecodeRecord(Cipher, line, password));
    return records;
}

std::string MainFormTest::FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void MainFormTest::PutFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

TfrmMain& MainFormTest::Start() {
    Form = std::make_unique<TfrmMain>(Platform);
    for (QAbstractItemModel* model : {Selector()->model(), Control<QListView>("lstFind")->model()})
        ModelTesters.push_back(std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::Warning));
    try {
        Form->FormCreate();
    } catch (const std::exception& error) {
        Platform.ShowErrorBox(error.what());
    }
    Form->show();
    return *Form;
}

TfrmMain& MainFormTest::StartWithVault(const std::string& path, const std::string& password) {
    Remember(path);
    Platform.ExpectPassword("Please enter the password", password);
    return Start();
}

QStringList MainFormTest::SelectorItems() const {
    QStringList items;
    for (int i = 0; i < Selector()->count(); ++i)
        items << Selector()->itemText(i);
    return items;
}

std::vector<std::string> MainFormTest::EnabledCommands() const {
    std::vector<std::string> enabled;
    for (const char* name : {"spdNew", "spdOpen", "spdSave", "spdSaveAs", "spdClose", "spdAdd",
                             "spdDelete", "spdChangePassword"})
        if (Enabled(name))
            enabled.emplace_back(name);
    return enabled;
}

void MainFormTest::Choose(const QString& account) {
    const int row = Selector()->findText(account, Qt::MatchExactly);
    ASSERT_GE(row, 0) << account.toStdString();
    Selector()->setCurrentIndex(row);
    emit Selector()->activated(row); // what a choice by the user raises
}

void MainFormTest::TypeInto(QWidget* field, const QString& text) {
    field->setFocus();
    TypeText(field, text);
}

void TypeText(QWidget* field, const QString& text) {
    // Qt Test knows keys for ASCII only; other characters arrive as text, as from a keyboard
    // layout that has them.
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\n'))
            QTest::keyClick(field, Qt::Key_Return);
        else if (ch.unicode() < 128)
            QTest::keyClick(field, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void MainFormTest::Click(const char* button) {
    QTest::mouseClick(Control<QToolButton>(button), Qt::LeftButton);
}

TPassRecord Record(std::string account, std::string login, std::string password,
                   std::string notes) {
    return TPassRecord{std::move(account), std::move(login), std::move(password), std::move(notes)};
}

bool SameRecord(const TPassRecord& a, const TPassRecord& b) {
    return a.Account == b.Account && a.Login == b.Login && a.Password == b.Password &&
           a.Notes == b.Notes;
}
