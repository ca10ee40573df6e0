// The import from another password manager in the main window: the export's format is the filter
// chosen in the file dialog, the plan is shown whole (accounts, renamed ones) and carried out only
// on OK, as one Add for each account, which Undo takes back. A refusal (a character the vault
// cannot hold, a file of another format) is shown before anything changes.

#include "app/mainform.h"

#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "vault/ImportPlan.h"

#include <QScopeGuard>

#include <algorithm>
#include <array>

namespace {

// The import dialog's filters, in their order.
constexpr std::array ImportFormats = {TImportFormat::KeePassXC, TImportFormat::Firefox,
                                      TImportFormat::Chrome, TImportFormat::Bitwarden};

QString ManagerName(TImportFormat format) {
    switch (format) {
    case TImportFormat::KeePassXC:
        break;
    case TImportFormat::Firefox:
        return QStringLiteral("Firefox");
    case TImportFormat::Chrome:
        return QStringLiteral("Chrome");
    case TImportFormat::Bitwarden:
        return QStringLiteral("Bitwarden");
    }
    return QStringLiteral("KeePassXC");
}

TReport ImportView(const TImportPlan& plan, TImportFormat format, const std::string& path) {
    std::size_t renamedCount = 0;
    for (const TPlannedAccount& account : plan.Accounts)
        renamedCount += account.SourceName.empty() ? 0 : 1;
    TReport view;
    view.Title = QStringToDisplay(TfrmMain::tr("Import from %1").arg(ManagerName(format)));
    view.Summary = QStringToDisplay(
        TfrmMain::tr("%1 accounts from %2 will be added to this vault, %3 of them renamed. No "
                     "password is shown here. OK adds them; one Undo takes them all back.")
            .arg(plan.Accounts.size())
            .arg(PathToQString(path))
            .arg(renamedCount));

    TReportSection& added = view.Sections.emplace_back();
    added.Heading = QStringToDisplay(TfrmMain::tr("Accounts to add: %1").arg(plan.Accounts.size()));
    TReportSection renamed;
    renamed.Heading = QStringToDisplay(
        TfrmMain::tr("Renamed, as the vault or the export has the name already: %1")
            .arg(renamedCount));
    for (const TPlannedAccount& account : plan.Accounts) {
        const QString name = AnsiToQString(account.Record.Account);
        added.Lines.push_back(
            {QStringToDisplay(
                 account.NotesBroken
                     ? TfrmMain::tr("%1 (a \";\" of its notes becomes a line break)").arg(name)
                     : name),
             {},
             0});
        if (!account.SourceName.empty())
            renamed.Lines.push_back({QStringToDisplay(TfrmMain::tr("%1 (%2) becomes %3")
                                                          .arg(AnsiToQString(account.SourceName),
                                                               PathToQString(account.Where), name)),
                                     {},
                                     0});
    }
    view.Sections.push_back(std::move(renamed));
    return view;
}

} // namespace

void TfrmMain::ImportClick() {
    if (FVault.Locked() || FVault.Path().empty())
        return;
    if (!odlImport.Execute())
        return;
    const auto index = static_cast<std::size_t>(
        std::clamp<int>(odlImport.FilterIndex, 1, static_cast<int>(ImportFormats.size())) - 1);
    const TImportFormat format = ImportFormats[index];
    const std::string path = odlImport.FileName;
    TImportPlan plan;
    {
        FPlatform.SetBusyCursor(true);
        const auto idle = qScopeGuard([this] { FPlatform.SetBusyCursor(false); });
        plan = PlanImportFile(format, path, FVault);
    }
    if (plan.Accounts.empty()) {
        FPlatform.ShowMessageBox(
            QStringToDisplay(
                tr("%1 holds no accounts. Nothing was imported.").arg(PathToQString(path))),
            TMessageKind::mkPlain, TMessageButtons::mbOK);
        return;
    }
    // A lock while the plan was shown cancelled it.
    if (!FPlatform.ConfirmReport(ImportView(plan, format, path)) || FVault.Locked())
        return;
    CarryOutImport(FVault, plan);
    ShowStatusMessage(tr("%1 accounts imported.").arg(plan.Accounts.size()));
}
