#pragma once

// A report in a window of its own: the summary over a tree of sections and their lines. Shown to
// be read, a line that names an account can be chosen to show that account (Show account, Enter
// or a double click); shown as what a command will do, the report is passed with OK or Cancel.

#include "platform/PlatformServices.h"

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QTreeWidget;

enum class TReportUse { Read, Confirm };

class TfrmReport : public QDialog {
    Q_OBJECT
public:
    TfrmReport(QWidget* parent, const TReport& report, TReportUse use);

    // After a run that was read: the account chosen to show (Windows-1252), if any.
    std::optional<std::string> ChosenAccount() const;

private:
    // The account of the line with the focus, if it names one.
    std::optional<std::string> AccountOfCurrent() const;
    void ShowChosen();

    QLabel* lblSummary;
    QTreeWidget* tvwReport;
    QPushButton* btnShow = nullptr;
    std::optional<std::string> FChosen;
};
