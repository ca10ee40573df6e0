#pragma once

#include "vault/PasswordGenerator.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;

// Makes a new password from the system's random source: either characters (a length and the
// classes they are drawn from) or a passphrase of words (their number, a separator, capitals and
// a digit), a preview that a button renews, its strength in bits as the rules give it, and beside
// it zxcvbn's estimate of the very password shown, which a guesser's model of how people choose
// passwords may find lower (a short one, a passphrase of few words). The caller reads
// Password() after an accepted run; a rejected one has already wiped the preview.
class TfrmGenerate : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGenerate(QWidget* parent = nullptr);
    ~TfrmGenerate() override;

    TPasswordRules Rules() const;
    bool WordsChosen() const;
    TPassphraseRules PassphraseRules() const;
    // The password or passphrase shown, as Windows-1252 bytes (printable ASCII); empty after
    // Cancel or when no class is chosen. The caller wipes its copy.
    std::string Password() const;

public slots:
    void reject() override;

private:
    void Renew();
    void ShowPassword(std::string& password, double bits);
    QWidget* MakeCharactersPage();
    QWidget* MakeWordsPage();

    QRadioButton* rdoCharacters;
    QRadioButton* rdoWords;
    QStackedWidget* stkKind;
    QSpinBox* spnLength;
    QCheckBox* chkUpper;
    QCheckBox* chkLower;
    QCheckBox* chkDigits;
    QCheckBox* chkSymbols;
    QCheckBox* chkLookAlikes;
    QSpinBox* spnWords;
    QComboBox* cmbSeparator;
    QCheckBox* chkCapital;
    QCheckBox* chkDigit;
    QLineEdit* edtPreview;
    QPushButton* btnFresh;
    QLabel* lblStrength;
    QLabel* lblEstimate;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
