#include "dialogs/OneEditLayout.h"

#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

void LayOutOneEditDialog(QDialog& dialog, QGroupBox& group, QLabel& label, QLineEdit& edit,
                         QPushButton& ok, QPushButton& cancel) {
    auto* editRow = new QHBoxLayout(&group);
    editRow->addWidget(&label);
    editRow->addWidget(&edit, 1);
    auto* buttonRow = new QHBoxLayout();
    buttonRow->addStretch(1);
    buttonRow->addWidget(&ok);
    buttonRow->addWidget(&cancel);
    auto* formLayout = new QVBoxLayout(&dialog);
    formLayout->setContentsMargins(6, 4, 6, 6);
    formLayout->setSpacing(4);
    formLayout->addWidget(&group);
    formLayout->addLayout(buttonRow);
}
