#pragma once

#include <QDialog>

#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;
class QTimer;

// The password prompt. The caller sets its caption to the question, runs it modally and takes
// Password() whatever the result: a cancelled prompt has already emptied the edit.
class TfrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget* parent = nullptr);
    ~TfrmLogin() override;

    // The question shown as caption, in the local 8-bit encoding of program messages.
    void SetCaption(const std::string& prompt);
    // A tool tip on the password edit, for the prompts that ask for a new master password; the
    // prompt's texts, size and layout stay as they are.
    void SetAdvice(const QString& advice);
    // The advice for a new master password: what a stolen file's check line lets a guesser do.
    static QString NewPasswordAdvice();
    // For a new master password: the tool tip also gives zxcvbn's estimate of the text typed, and
    // shows itself under the edit as the text changes.
    void ShowStrength();
    // The typed password as Windows-1252 bytes (empty after Cancel). The caller wipes its copy.
    std::string Password() const;

protected:
    void showEvent(QShowEvent* event) override;

public slots:
    // Cancel, Escape and closing the window all end here, so none of them returns the text.
    void reject() override;

private:
    void edtPasswordChange(const QString& text);
    void UpdateTip(const QString& text);
    void ShowTip();

    QGroupBox* grpPassword;
    QLabel* lblPassword;
    QLineEdit* edtPassword;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QTimer* FTipTimer;
    QString FAdvice;
    bool FShowStrength = false;
};
