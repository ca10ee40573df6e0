#include "dialogs/generate.h"

#include "base/SecureWipe.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/StrengthText.h"
#include "dialogs/WipeEdit.h"
#include "platform/Codepage.h"
#include "platform/MessageCatalog.h"
#include "vault/MasterPassword.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace {

constexpr int MaxGeneratedLength =
    static_cast<int>(MaxMasterPasswordLength); // what GeneratePassword accepts

} // namespace

TfrmGenerate::TfrmGenerate(QWidget* parent) : QDialog(parent, DialogWithoutSystemMenu) {
    setObjectName(QStringLiteral("frmGenerate"));
    setWindowTitle(tr("Generate password"));

    rdoCharacters = new QRadioButton(tr("&Characters"), this);
    rdoCharacters->setObjectName(QStringLiteral("rdoCharacters"));
    rdoCharacters->setAccessibleName(tr("A password of characters"));
    rdoCharacters->setChecked(true);
    rdoWords = new QRadioButton(tr("&Words"), this);
    rdoWords->setObjectName(QStringLiteral("rdoWords"));
    rdoWords->setAccessibleName(tr("A passphrase of words"));
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(rdoCharacters);
    kinds->addButton(rdoWords);
    stkKind = new QStackedWidget(this);
    stkKind->setObjectName(QStringLiteral("stkKind"));
    stkKind->addWidget(MakeCharactersPage());
    stkKind->addWidget(MakeWordsPage());
    connect(rdoWords, &QRadioButton::toggled, this, [this](bool words) {
        stkKind->setCurrentIndex(words ? 1 : 0);
        Renew();
    });

    edtPreview = new QLineEdit(this);
    edtPreview->setObjectName(QStringLiteral("edtPreview"));
    edtPreview->setReadOnly(true);
    edtPreview->setAccessibleName(tr("New password"));
    // Room for a passphrase of six words, seen whole.
    edtPreview->setMinimumWidth(edtPreview->fontMetrics().averageCharWidth() * 44);
    btnFresh = new QPushButton(tr("&Fresh"), this);
    btnFresh->setObjectName(QStringLiteral("btnFresh"));
    btnFresh->setAutoDefault(false);
    lblStrength = new QLabel(this);
    lblStrength->setObjectName(QStringLiteral("lblStrength"));
    lblEstimate = new QLabel(this);
    lblEstimate->setObjectName(QStringLiteral("lblEstimate"));
    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(tr("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* kindRow = new QHBoxLayout;
    kindRow->addWidget(rdoCharacters);
    kindRow->addWidget(rdoWords);
    kindRow->addStretch(1);
    auto* form = new QFormLayout;
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
    layout->addLayout(kindRow);
    layout->addWidget(stkKind);
    layout->addLayout(form);
    auto* strengths = new QHBoxLayout;
    strengths->addWidget(lblStrength);
    strengths->addWidget(lblEstimate, 1);
    layout->addLayout(strengths);
    layout->addLayout(buttons);

    connect(btnFresh, &QPushButton::clicked, this, &TfrmGenerate::Renew);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmGenerate::reject);
    Renew();
    CentreOnScreen(*this);
    spnLength->setFocus();
}

QWidget* TfrmGenerate::MakeCharactersPage() {
    auto* page = new QWidget(this);
    const TPasswordRules defaults;
    spnLength = new QSpinBox(page);
    spnLength->setObjectName(QStringLiteral("spnLength"));
    spnLength->setRange(1, MaxGeneratedLength);
    spnLength->setValue(defaults.Length);
    auto makeCheck = [this, page](const char* name, const QString& text, bool checked) {
        auto* box = new QCheckBox(text, page);
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
    connect(spnLength, &QSpinBox::valueChanged, this, &TfrmGenerate::Renew);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    auto* lengthLabel = new QLabel(tr("Le&ngth:"), page);
    lengthLabel->setBuddy(spnLength);
    form->addRow(lengthLabel, spnLength);
    layout->addLayout(form);
    for (QCheckBox* box : {chkUpper, chkLower, chkDigits, chkSymbols, chkLookAlikes})
        layout->addWidget(box);
    return page;
}

QWidget* TfrmGenerate::MakeWordsPage() {
    auto* page = new QWidget(this);
    const TPassphraseRules defaults;
    spnWords = new QSpinBox(page);
    spnWords->setObjectName(QStringLiteral("spnWords"));
    spnWords->setAccessibleName(tr("Number of words"));
    spnWords->setRange(MinPassphraseWords, MaxPassphraseWords);
    spnWords->setValue(defaults.Words);
    cmbSeparator = new QComboBox(page);
    cmbSeparator->setObjectName(QStringLiteral("cmbSeparator"));
    cmbSeparator->setAccessibleName(tr("Separator between the words"));
    cmbSeparator->addItem(tr("Hyphen (-)"), QStringLiteral("-"));
    cmbSeparator->addItem(tr("Space"), QStringLiteral(" "));
    cmbSeparator->addItem(tr("Full stop (.)"), QStringLiteral("."));
    cmbSeparator->addItem(tr("Underscore (_)"), QStringLiteral("_"));
    cmbSeparator->addItem(tr("None"), QString());
    chkCapital = new QCheckBox(tr("C&apital at the start of each word"), page);
    chkCapital->setObjectName(QStringLiteral("chkCapital"));
    chkCapital->setAccessibleName(tr("Capital at the start of each word"));
    chkCapital->setChecked(defaults.Capital);
    chkDigit = new QCheckBox(tr("Add a digi&t after one word"), page);
    chkDigit->setObjectName(QStringLiteral("chkDigit"));
    chkDigit->setAccessibleName(tr("Add a digit after one word"));
    chkDigit->setChecked(defaults.Digit);
    connect(spnWords, &QSpinBox::valueChanged, this, &TfrmGenerate::Renew);
    connect(cmbSeparator, &QComboBox::currentIndexChanged, this, &TfrmGenerate::Renew);
    connect(chkCapital, &QCheckBox::toggled, this, &TfrmGenerate::Renew);
    connect(chkDigit, &QCheckBox::toggled, this, &TfrmGenerate::Renew);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    auto* wordsLabel = new QLabel(tr("Nu&mber of words:"), page);
    wordsLabel->setBuddy(spnWords);
    form->addRow(wordsLabel, spnWords);
    auto* separatorLabel = new QLabel(tr("Sepa&rator:"), page);
    separatorLabel->setBuddy(cmbSeparator);
    form->addRow(separatorLabel, cmbSeparator);
    layout->addLayout(form);
    layout->addWidget(chkCapital);
    layout->addWidget(chkDigit);
    layout->addStretch(1);
    return page;
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

bool TfrmGenerate::WordsChosen() const {
    return rdoWords->isChecked();
}

TPassphraseRules TfrmGenerate::PassphraseRules() const {
    TPassphraseRules rules;
    rules.Words = spnWords->value();
    rules.Separator = cmbSeparator->currentData().toString().toStdString();
    rules.Capital = chkCapital->isChecked();
    rules.Digit = chkDigit->isChecked();
    return rules;
}

std::string TfrmGenerate::Password() const {
    return QStringToAnsi(edtPreview->text());
}

void TfrmGenerate::Renew() {
    WipeLineEdit(*edtPreview);
    btnOK->setEnabled(false);
    lblEstimate->clear();
    if (WordsChosen()) {
        const TPassphraseRules rules = PassphraseRules();
        try {
            std::string passphrase = GeneratePassphrase(rules);
            ShowPassword(passphrase, PassphraseStrengthBits(rules));
        } catch (const std::exception& error) {
            lblStrength->setText(TranslatedMessage(ErrorMessageOf(error)));
        }
        return;
    }
    const TPasswordRules rules = Rules();
    if (PasswordAlphabet(rules).empty()) {
        lblStrength->setText(tr("Choose at least one kind of character."));
        return;
    }
    std::string password = GeneratePassword(rules);
    ShowPassword(password, PasswordStrengthBits(rules));
}

void TfrmGenerate::ShowPassword(std::string& password, double bits) {
    edtPreview->setText(
        QString::fromLatin1(password.data(), static_cast<qsizetype>(password.size())));
    lblEstimate->setText(tr("(zxcvbn estimates %1)").arg(PasswordStrengthText(password)));
    WipeString(password);
    lblStrength->setText(tr("Strength: %1 bits").arg(std::lround(bits)));
    btnOK->setEnabled(true);
}

void TfrmGenerate::reject() {
    WipeLineEdit(*edtPreview);
    QDialog::reject();
}
