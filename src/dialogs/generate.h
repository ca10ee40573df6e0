#pragma once

#include "vault/PasswordGenerator.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Makes a new password from the system's random source: its length, the classes of characters
// it draws from, a preview that a button renews, and its strength in bits. The caller reads
// Password() after an accepted run; a rejected one has already wiped the preview.
class TfrmGenerate : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGenerate(QWidget* parent = nullptr);
    ~TfrmGenerate() override;

    TPasswordRules Rules() const;
    // The password shown, as Windows-1252 bytes (printable ASCII); empty after Cancel or when no
    // class is chosen. The caller wipes its copy.
    std::string Password() const;

public slots:
    void reject() override;

private:
    void Renew();

    QSpinBox* spnLength;
    QCheckBox* chkUpper;
    QCheckBox* chkLower;
    QCheckBox* chkDigits;
    QCheckBox* chkSymbols;
    QCheckBox* chkLookAlikes;
    QLineEdit* edtPreview;
    QPushButton* btnFresh;
    QLabel* lblStrength;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
