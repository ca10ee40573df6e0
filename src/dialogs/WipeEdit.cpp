#include "dialogs/WipeEdit.h"

#include "base/SecureWipe.h"

#include <QLineEdit>
#include <QSignalBlocker>

void WipeLineEdit(QLineEdit& edit) {
    const QString shared = edit.text();
    SecureZero(const_cast<QChar*>(shared.constData()),
               static_cast<std::size_t>(shared.size()) * sizeof(QChar));
    const QSignalBlocker quiet(edit);
    edit.setText(QString());
}
