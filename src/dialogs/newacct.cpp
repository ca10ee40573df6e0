#include "dialogs/newacct.h"

#include "dialogs/DialogButtonRule.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/OneEditLayout.h"
#include "platform/AnsiRefusal.h"
#include "platform/Codepage.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmNewAcct::TfrmNewAcct(QWidget* parent) : QDialog(parent, DialogWithoutSystemMenu) {
    setObjectName(QStringLiteral("frmNewAcct"));
    setWindowTitle(tr("Create new account"));

    grpAccount = new QGroupBox(tr("Account"), this);
    grpAccount->setObjectName(QStringLiteral("grpAccount"));
    lblAccountName = new QLabel(tr("Account Name:"), grpAccount);
    lblAccountName->setObjectName(QStringLiteral("lblAccountName"));
    edtAcctName = new QLineEdit(grpAccount);
    edtAcctName->setObjectName(QStringLiteral("edtAcctName"));
    RefuseNonAnsiInput(*edtAcctName);
    lblAccountName->setBuddy(edtAcctName);
    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    LayOutOneEditDialog(*this, *grpAccount, *lblAccountName, *edtAcctName, *btnOK, *btnCancel);

    connect(edtAcctName, &QLineEdit::textChanged, this, &TfrmNewAcct::edtAcctNameChange);
    connect(btnOK, &QPushButton::clicked, this, &TfrmNewAcct::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmNewAcct::reject);
    ApplyButtonRule(edtAcctName->text(), *btnOK, *btnCancel);

    setFixedSize(242, 105);
    // A fixed place on the screen, where it has always opened; moving it before the first show
    // also keeps Qt from centring it over the main window.
    move(192, 114);
    edtAcctName->setFocus();
}

void TfrmNewAcct::reject() {
    FResultName.clear();
    QDialog::reject();
}

void TfrmNewAcct::edtAcctNameChange(const QString& text) {
    ApplyButtonRule(text, *btnOK, *btnCancel);
}

void TfrmNewAcct::btnOKClick() {
    FResultName = QStringToAnsi(edtAcctName->text());
    accept();
}
