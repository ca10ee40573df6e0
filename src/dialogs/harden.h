#pragma once

// Asks before a data file is hardened: what the hardened format does, what stays in the older one
// (the backup, older copies, the sync history), and whether to choose a new master password at
// the same time, which is proposed, as those copies keep the old one.

#include "platform/PlatformServices.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

class TfrmHarden : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHarden(QWidget* parent = nullptr);

    // After exec: Cancel, or OK with or without a new password.
    THardenChoice Choice() const;

private:
    QLabel* lblExplanation;
    QCheckBox* chkNewPassword;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
