#include "dialogs/report.h"

#include "dialogs/DialogPlacement.h"
#include "platform/Codepage.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Where a line keeps the account it names, as Windows-1252 bytes.
constexpr int AccountRole = Qt::UserRole;

QTreeWidgetItem* AddLine(QTreeWidgetItem* parent, const TReportLine& line) {
    auto* item = new QTreeWidgetItem(parent, {DisplayToQString(line.Text)});
    if (line.Account)
        item->setData(
            0, AccountRole,
            QByteArray(line.Account->data(), static_cast<qsizetype>(line.Account->size())));
    return item;
}

} // namespace

TfrmReport::TfrmReport(QWidget* parent, const TReport& report, TReportUse use)
    : QDialog(parent, DialogWithoutSystemMenu) {
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(DisplayToQString(report.Title));

    lblSummary = new QLabel(DisplayToQString(report.Summary), this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setWordWrap(true);

    tvwReport = new QTreeWidget(this);
    tvwReport->setObjectName(QStringLiteral("tvwReport"));
    tvwReport->setHeaderHidden(true);
    tvwReport->setColumnCount(1);
    tvwReport->setAccessibleName(DisplayToQString(report.Title));
    tvwReport->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (const TReportSection& section : report.Sections) {
        auto* heading = new QTreeWidgetItem(tvwReport, {DisplayToQString(section.Heading)});
        QFont bold = heading->font(0);
        bold.setBold(true);
        heading->setFont(0, bold);
        QTreeWidgetItem* above = heading;
        for (const TReportLine& line : section.Lines) {
            // A line under another hangs from the last line of the section's own level.
            QTreeWidgetItem* item = AddLine(line.Depth > 0 ? above : heading, line);
            if (line.Depth == 0)
                above = item;
        }
    }
    tvwReport->expandAll();
    lblSummary->setBuddy(tvwReport);

    auto* buttons = new QDialogButtonBox(this);
    if (use == TReportUse::Read) {
        btnShow = buttons->addButton(tr("&Show account"), QDialogButtonBox::ActionRole);
        btnShow->setObjectName(QStringLiteral("btnShow"));
        btnShow->setEnabled(false);
        QPushButton* close = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
        close->setObjectName(QStringLiteral("btnClose"));
        connect(btnShow, &QPushButton::clicked, this, &TfrmReport::ShowChosen);
        connect(tvwReport, &QTreeWidget::currentItemChanged, this,
                [this] { btnShow->setEnabled(AccountOfCurrent().has_value()); });
        // Enter presses the default button, which works only on a line that names an account.
        btnShow->setDefault(true);
        connect(tvwReport, &QTreeWidget::itemDoubleClicked, this, [this] {
            if (AccountOfCurrent())
                ShowChosen();
        });
    } else {
        QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
        ok->setObjectName(QStringLiteral("btnOK"));
        QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
        cancel->setObjectName(QStringLiteral("btnCancel"));
        // Enter in the list must not import by accident.
        cancel->setDefault(true);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(tvwReport, 1);
    layout->addWidget(buttons);
    resize(520, 420);
    CentreOnScreen(*this);
    tvwReport->setFocus();
}

std::optional<std::string> TfrmReport::AccountOfCurrent() const {
    const QTreeWidgetItem* item = tvwReport->currentItem();
    if (item == nullptr || !item->data(0, AccountRole).isValid())
        return {};
    const QByteArray account = item->data(0, AccountRole).toByteArray();
    return std::string(account.constData(), static_cast<std::size_t>(account.size()));
}

void TfrmReport::ShowChosen() {
    FChosen = AccountOfCurrent();
    accept();
}

std::optional<std::string> TfrmReport::ChosenAccount() const {
    if (result() != QDialog::Accepted)
        return {};
    return FChosen;
}
