#pragma once

#include <QDialog>

#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the name of a new account; Escape cancels. The caller reads ResultName() afterwards
// and takes an empty name as cancelled.
class TfrmNewAcct : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNewAcct(QWidget* parent = nullptr);

    // The name confirmed with OK, as Windows-1252 bytes; empty until then and after Cancel.
    const std::string& ResultName() const noexcept { return FResultName; }

public slots:
    void reject() override;

private:
    void edtAcctNameChange(const QString& text);
    void btnOKClick();

    std::string FResultName;
    QGroupBox* grpAccount;
    QLabel* lblAccountName;
    QLineEdit* edtAcctName;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
