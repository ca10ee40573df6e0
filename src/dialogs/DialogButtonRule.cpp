#include "dialogs/DialogButtonRule.h"

#include <QPushButton>
#include <QString>

void ApplyButtonRule(const QString& text, QPushButton& btnOK, QPushButton& btnCancel) {
    const bool hasText = !text.isEmpty();
    btnOK.setEnabled(hasText);
    // Making one button the default takes the role from the other; both are set so that the
    // state does not depend on which one held it before.
    btnOK.setDefault(hasText);
    btnCancel.setDefault(!hasText);
}
