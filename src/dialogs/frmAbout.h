#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QEvent;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

// Opens a web address in the user's browser; the program passes its platform's OpenWebAddress.
using TOpenWebAddress = std::function<void(const std::string& address)>;

// About Kestovar, with an advertisement for the other programs of Ombrel Inc. The web-site button
// and a click on the advertisement open the product page through openWebAddress.
class TfrmAboutKV : public QDialog {
    Q_OBJECT
public:
    TfrmAboutKV(QWidget* parent, TOpenWebAddress openWebAddress);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OpenProductPage() const;

    TOpenWebAddress FOpenWebAddress;
    QLabel* lblProductName;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblCopyright;
    QFrame* pnlAdvert;
    QLabel* lblAdvertHeading;
    QPlainTextEdit* rtfAdvert;
    QFrame* pnlButtons;
    QPushButton* btnWebSite;
    QPushButton* btnClose;
};
