// The health report in the main window, on top of its specified layout: on the window's menu and
// on a key, with the import beside it. The report names accounts and never shows a password; an
// account chosen in it is shown in the window.

#include "app/mainform.h"

#include "dialogs/StrengthText.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "vault/HealthReport.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include <optional>

namespace {

TReportLine AccountLine(const QString& text, const THealthEntry& entry, int depth = 0) {
    return {QStringToDisplay(text), entry.Name, depth};
}

TReport HealthReportView(const THealthReport& report, const std::string& vaultPath,
                         const std::string& breachPath) {
    TReport view;
    view.Title = QStringToDisplay(TfrmMain::tr("Health report"));
    view.Summary =
        QStringToDisplay(TfrmMain::tr("%1 accounts in %2. No password is shown here; choose an "
                                      "account to show it in the window.")
                             .arg(report.Accounts)
                             .arg(PathToQString(vaultPath)));

    TReportSection& weak = view.Sections.emplace_back();
    weak.Heading =
        QStringToDisplay(TfrmMain::tr("Weak passwords, below %1 bits as zxcvbn estimates them: %2")
                             .arg(static_cast<int>(GoodFromBits))
                             .arg(report.Weak.size()));
    for (const THealthEntry& entry : report.Weak)
        weak.Lines.push_back(AccountLine(
            TfrmMain::tr("%1: %2").arg(AnsiToQString(entry.Name), StrengthText(entry.Strength)),
            entry));

    TReportSection& shared = view.Sections.emplace_back();
    shared.Heading = QStringToDisplay(
        TfrmMain::tr("Passwords that more than one account uses: %1").arg(report.Shared.size()));
    for (const std::vector<THealthEntry>& group : report.Shared) {
        shared.Lines.push_back(
            {QStringToDisplay(TfrmMain::tr("%1 accounts share one password").arg(group.size())),
             {},
             0});
        for (const THealthEntry& entry : group)
            shared.Lines.push_back(AccountLine(AnsiToQString(entry.Name), entry, 1));
    }

    TReportSection& empty = view.Sections.emplace_back();
    empty.Heading = QStringToDisplay(TfrmMain::tr("Empty passwords: %1").arg(report.Empty.size()));
    for (const THealthEntry& entry : report.Empty)
        empty.Lines.push_back(AccountLine(AnsiToQString(entry.Name), entry));

    TReportSection& breached = view.Sections.emplace_back();
    if (!report.BreachesChecked) {
        breached.Heading = QStringToDisplay(TfrmMain::tr("Breached passwords: not looked up"));
        return view;
    }
    breached.Heading = QStringToDisplay(TfrmMain::tr("Passwords found in %1: %2")
                                            .arg(PathToQString(breachPath))
                                            .arg(report.Breached.size()));
    for (const THealthEntry& entry : report.Breached) {
        const QString name = AnsiToQString(entry.Name);
        breached.Lines.push_back(AccountLine(
            entry.TimesSeen == 1 ? TfrmMain::tr("%1: seen once").arg(name)
                                 : TfrmMain::tr("%1: seen %2 times").arg(name).arg(entry.TimesSeen),
            entry));
    }
    return view;
}

} // namespace

void TfrmMain::CreateHealthAndImportActions() {
    odlBreachList.Title = QStringToDisplay(tr("Choose the list of breached passwords"));
    //: Descriptions and file name patterns, separated by "|": translate the descriptions only.
    odlBreachList.Filter = QStringToDisplay(tr("Have I Been Pwned SHA-1 list|*.txt|All files|*.*"));
    odlImport.Title = QStringToDisplay(tr("Import from another password manager"));
    //: Descriptions and file name patterns, separated by "|": translate the descriptions only.
    //: The entry chosen says which manager wrote the file; keep their order.
    odlImport.Filter =
        QStringToDisplay(tr("KeePassXC export (CSV)|*.csv|Firefox passwords (CSV)|*.csv|"
                            "Chrome, Edge or Brave passwords (CSV)|*.csv|"
                            "Bitwarden export, not encrypted (JSON)|*.json"));

    // The window's own keys, so that they work wherever the focus is; and the window menu's.
    const auto action = [this](const char* name, const QString& text, const QKeySequence& key,
                               void (TfrmMain::*handler)()) {
        QAction* created = CreateNamedAction(name, text, key, handler);
        FWindowMenu->addAction(created);
        return created;
    };
    FWindowMenu->addSeparator();
    FHealthReport =
        action("actHealthReport", tr("Health report…"),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), &TfrmMain::HealthReportClick);
    FImport = action("actImport", tr("Import from another password manager…"),
                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I), &TfrmMain::ImportClick);
}

void TfrmMain::UpdateHealthAndImportActions() {
    if (!FHealthReport)
        return;
    const bool unlocked = !FVault.Locked();
    FHealthReport->setEnabled(unlocked && FVault.HasMasterPassword());
    // As Add: the accounts go into the open data file.
    FImport->setEnabled(unlocked && !FVault.Path().empty());
}

void TfrmMain::HealthReportClick() {
    if (FVault.Locked() || !FVault.HasMasterPassword())
        return;
    const int answer = FPlatform.ShowMessageBox(
        QStringToDisplay(
            tr("Look the passwords up in a list of breached passwords too? The list is the "
               "file of SHA-1 hashes that Have I Been Pwned offers for download; nothing is "
               "sent anywhere.")),
        TMessageKind::mkConfirmation, TMessageButtons::mbYesNo);
    if (answer != idYes && answer != idNo)
        return;
    std::optional<TBreachList> breaches;
    if (answer == idYes) {
        if (!odlBreachList.Execute())
            return;
        breaches.emplace(odlBreachList.FileName);
    }
    THealthOptions options;
    options.Breaches = breaches ? &*breaches : nullptr;
    THealthReport report;
    {
        FPlatform.SetBusyCursor(true);
        const auto idle = qScopeGuard([this] { FPlatform.SetBusyCursor(false); });
        report = CheckVaultHealth(FVault, options);
    }
    const std::optional<std::string> chosen =
        FPlatform.ShowReport(HealthReportView(report, FVault.Path(), odlBreachList.FileName));
    // A lock while the report was shown cancelled it; nothing is shown then.
    if (!chosen || FVault.Locked())
        return;
    const int row = FVault.FindAccount(*chosen);
    if (row < 0)
        return;
    {
        // As a choice in the selector, which the selector's own signals must not take for typing.
        const QScopedValueRollback loading(FLoading, true);
        cboAccount->setCurrentIndex(row);
    }
    cboAccountChange();
}
