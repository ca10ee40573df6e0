#include "dialogs/harden.h"

#include "dialogs/DialogPlacement.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmHarden::TfrmHarden(QWidget* parent) : QDialog(parent, DialogWithoutSystemMenu) {
    setObjectName(QStringLiteral("frmHarden"));
    setWindowTitle(tr("Harden this file"));

    lblExplanation = new QLabel(
        tr("The hardened format makes every guess of the master password cost a second of work "
           "and half a gigabyte of memory, and detects any line changed, moved or removed outside "
           "Kestovar. Versions of Kestovar before it cannot open the file; a copy for them can be "
           "saved at any time.\n\nThe backup (the file name with .bak), older copies and the "
           "history of a sync service keep the vault in the older format, under the password they "
           "had."),
        this);
    lblExplanation->setObjectName(QStringLiteral("lblExplanation"));
    lblExplanation->setWordWrap(true);
    chkNewPassword = new QCheckBox(tr("Choose a new master password at the same time"), this);
    chkNewPassword->setObjectName(QStringLiteral("chkNewPassword"));
    chkNewPassword->setChecked(true);

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblExplanation);
    layout->addWidget(chkNewPassword);
    layout->addWidget(buttons);
    setFixedWidth(380);
    chkNewPassword->setFocus();
}

THardenChoice TfrmHarden::Choice() const {
    if (result() != QDialog::Accepted)
        return THardenChoice::Cancel;
    return chkNewPassword->isChecked() ? THardenChoice::NewPassword : THardenChoice::KeepPassword;
}
