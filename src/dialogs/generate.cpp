#include "dialogs/generate.h"

#include "base/SecureWipe.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/WipeEdit.h"
#include "platform/Codepage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int MaxGeneratedLength = 48; // what GeneratePassword accepts

} // namespace

TfrmGenerate::TfrmGenerate(QWidget* parent) : QDialog(parent, DialogWithoutSystemMenu) {
    setObjectName(QStringLiteral("frmGenerate"));
    setWindowTitle(tr("Generate password"));

    const TPasswordRules defaults;
    spnLength = new QSpinBox(this);
    spnLength->setObjectName(QStringLiteral("spnLength"));
    spnLength->setRange(1, MaxGeneratedLength);
    spnLength->setValue(defaults.Length);
    auto makeCheck = [this](const char* name, const QString& text, bool checked) {
        auto* box = new QCheckBox(text, this);
        box->setObjectName(QLatin1String(name));
        box->setChecked(checked);
        connect(box, &QCheckBox::toggled, this, &TfrmGenerate::Renew);
        return box;
    };
    chkUpper = makeCheck("chkUpper", tr("&Upper case (A-Z)"), defaults.Upper);
    chkLower = makeCheck("chkLower", tr("&Lower case (a-z)"), defaults.Lower);
    chkDigits = makeCheck("chkDigits", tr("&Digits (0-9)"), defaults.Digits);
    chkSymbols = makeCheck("chkSymbols", tr("&Symbols (!#$...)"), defaults.Symbols);
    chkLookAlikes = makeCheck("chkLookAlikes", tr("&Exclude look-alikes (0 O 1 l I |)"),
                              defaults.ExcludeLookAlikes);
    edtPreview = new QLineEdit(this);
    edtPreview->setObjectName(QStringLiteral("edtPreview"));
    edtPreview->setReadOnly(true);
    edtPreview->setAccessibleName(tr("New password"));
    btnFresh = new QPushButton(tr("&Fresh"), this);
    btnFresh->setObjectName(QStringLiteral("btnFresh"));
    btnFresh->setAutoDefault(false);
    lblStrength = new QLabel(this);
    lblStrength->setObjectName(QStringLiteral("lblStrength"));
    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* form = new QFormLayout;
    auto* lengthLabel = new QLabel(tr("Le&ngth:"), this);
    lengthLabel->setBuddy(spnLength);
    form->addRow(lengthLabel, spnLength);
    auto* preview = new QHBoxLayout;
    preview->addWidget(edtPreview, 1);
    preview->addWidget(btnFresh);
    auto* previewLabel = new QLabel(tr("&Password:"), this);
    previewLabel->setBuddy(edtPreview);
    form->addRow(previewLabel, preview);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    for (QCheckBox* box : {chkUpper, chkLower, chkDigits, chkSymbols, chkLookAlikes})
        layout->addWidget(box);
    layout->addWidget(lblStrength);
    layout->addLayout(buttons);

    connect(spnLength, &QSpinBox::valueChanged, this, &TfrmGenerate::Renew);
    connect(btnFresh, &QPushButton::clicked, this, &TfrmGenerate::Renew);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmGenerate::reject);
    Renew();
    CentreOnScreen(*this);
    spnLength->setFocus();
}

TfrmGenerate::~TfrmGenerate() {
    WipeLineEdit(*edtPreview);
}

TPasswordRules TfrmGenerate::Rules() const {
    TPasswordRules rules;
    rules.Length = spnLength->value();
    rules.Upper = chkUpper->isChecked();
    rules.Lower = chkLower->isChecked();
    rules.Digits = chkDigits->isChecked();
    rules.Symbols = chkSymbols->isChecked();
    rules.ExcludeLookAlikes = chkLookAlikes->isChecked();
    return rules;
}

std::string TfrmGenerate::Password() const {
    return QStringToAnsi(edtPreview->text());
}

void TfrmGenerate::Renew() {
    WipeLineEdit(*edtPreview);
    const TPasswordRules rules = Rules();
    if (PasswordAlphabet(rules).empty()) {
        lblStrength->setText(tr("Choose at least one kind of character."));
        btnOK->setEnabled(false);
        return;
    }
    std::string password = GeneratePassword(rules);
    edtPreview->setText(
        QString::fromLatin1(password.data(), static_cast<qsizetype>(password.size())));
    WipeString(password);
    lblStrength->setText(tr("Strength: %1 bits").arg(std::lround(PasswordStrengthBits(rules))));
    btnOK->setEnabled(true);
}

void TfrmGenerate::reject() {
    WipeLineEdit(*edtPreview);
    QDialog::reject();
}
