#include "dialogs/login.h"

#include "base/Errors.h"
#include "base/SecureWipe.h"
#include "dialogs/DialogButtonRule.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/OneEditLayout.h"
#include "dialogs/PasswordMaskStyle.h"
#include "dialogs/StrengthText.h"
#include "dialogs/WipeEdit.h"
#include "platform/AnsiRefusal.h"
#include "platform/Codepage.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolTip>

TfrmLogin::TfrmLogin(QWidget* parent) : QDialog(parent, DialogWithoutSystemMenu) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(tr("Enter password"));

    grpPassword = new QGroupBox(tr("Please enter the password"), this);
    grpPassword->setObjectName(QStringLiteral("grpPassword"));
    lblPassword = new QLabel(tr("Enter password:"), grpPassword);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    edtPassword = new QLineEdit(grpPassword);
    edtPassword->setObjectName(QStringLiteral("edtPassword"));
    lblPassword->setBuddy(edtPassword);
    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    edtPassword->setEchoMode(QLineEdit::Password);
    RefuseNonAnsiInput(*edtPassword);
    // Created after the controls: children are destroyed in creation order, so the edit never
    // outlives its style.
    auto* maskStyle = new TPasswordMaskStyle();
    maskStyle->setParent(this);
    edtPassword->setStyle(maskStyle);

    LayOutOneEditDialog(*this, *grpPassword, *lblPassword, *edtPassword, *btnOK, *btnCancel);

    connect(edtPassword, &QLineEdit::textChanged, this, &TfrmLogin::edtPasswordChange);
    FTipTimer = new QTimer(this);
    FTipTimer->setSingleShot(true);
    FTipTimer->setInterval(300);
    connect(FTipTimer, &QTimer::timeout, this, &TfrmLogin::ShowTip);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmLogin::reject);
    ApplyButtonRule(edtPassword->text(), *btnOK, *btnCancel);

    setFixedSize(270, 104);
    CentreOnScreen(*this);
    edtPassword->setFocus();
}

TfrmLogin::~TfrmLogin() {
    WipeLineEdit(*edtPassword);
}

void TfrmLogin::SetCaption(const std::string& prompt) {
    setWindowTitle(DisplayToQString(prompt));
}

void TfrmLogin::SetAdvice(const QString& advice) {
    FAdvice = advice;
    edtPassword->setToolTip(advice);
}

void TfrmLogin::ShowStrength() {
    FShowStrength = true;
    UpdateTip(edtPassword->text());
}

QString TfrmLogin::NewPasswordAdvice() {
    // About 39,000 guesses a second on one core; 10 of 36 symbols outlast a thousand cores for a
    // year (README, "What stays secret").
    return tr("Anyone who has the file can test guesses fast: use at least 10 random "
              "lower-case letters and digits.");
}

std::string TfrmLogin::Password() const {
    return QStringToAnsi(edtPassword->text());
}

void TfrmLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once the window exists its frame may be known, which the centring takes into account.
    if (!event->spontaneous())
        CentreOnScreen(*this);
}

void TfrmLogin::reject() {
    WipeLineEdit(*edtPassword);
    QDialog::reject();
}

void TfrmLogin::edtPasswordChange(const QString& text) {
    ApplyButtonRule(text, *btnOK, *btnCancel);
    UpdateTip(text);
}

void TfrmLogin::UpdateTip(const QString& text) {
    if (!FShowStrength)
        return;
    if (text.isEmpty()) {
        edtPassword->setToolTip(FAdvice);
        QToolTip::hideText();
        return;
    }
    QString tip;
    try {
        std::string password = QStringToAnsi(text);
        TWipeGuard wipePassword(password);
        tip = tr("Strength as zxcvbn estimates it: %1").arg(PasswordStrengthText(password));
    } catch (const EConvertError&) {
        return; // a character the edit refuses anyway
    }
    if (!FAdvice.isEmpty())
        tip += QLatin1Char('\n') + FAdvice;
    edtPassword->setToolTip(tip);
    // Qt hides a tool tip at every key, so the new figure shows once typing pauses; the old one
    // goes at once.
    QToolTip::hideText();
    FTipTimer->start();
}

void TfrmLogin::ShowTip() {
    // Under the edit, where it covers no control of the prompt; the prompt's layout stays.
    if (edtPassword->hasFocus() && isVisible() && !edtPassword->text().isEmpty())
        QToolTip::showText(edtPassword->mapToGlobal(QPoint(0, edtPassword->height())),
                           edtPassword->toolTip(), edtPassword);
}
