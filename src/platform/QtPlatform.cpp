#include "platform/QtPlatform.h"

#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/MessageCatalog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// The close box answers Cancel with every button set. QMessageBox would press its Escape button
// instead, or refuse to close when it has none.
class TMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

struct TButtonSpec {
    const char* Caption;
    int Answer;
};

struct TButtonSet {
    std::vector<TButtonSpec> Buttons; // left to right
    int EscapeAnswer;
    int DefaultAnswer;
};

TButtonSet ButtonsOf(TMessageButtons buttons) {
    switch (buttons) {
    case TMessageButtons::mbYesNo:
        return {{{"&Yes", idYes}, {"&No", idNo}}, idNo, idYes};
    case TMessageButtons::mbOKCancel:
        return {{{"OK", idOK}, {"Cancel", idCancel}}, idCancel, idOK};
    case TMessageButtons::mbOKCancelDefaultCancel:
        return {{{"OK", idOK}, {"Cancel", idCancel}}, idCancel, idCancel};
    case TMessageButtons::mbOK:
        break;
    }
    return {{{"OK", idOK}}, idOK, idOK};
}

// Marks a dialog that CancelDialogs leaves open.
constexpr const char* KeptAtCancelProperty = "kestovarKeptAtCancel";

int RunMessageBox(const QString& caption, QMessageBox::Icon icon, const QString& text,
                  TMessageButtons buttons) {
    TMessageBox box(QApplication::activeWindow());
    // No is an answer, not a cancel: taken for one it could discard the user's changes.
    box.setProperty(KeptAtCancelProperty, buttons == TMessageButtons::mbYesNo);
    box.setWindowTitle(caption);
    box.setIcon(icon);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    const TButtonSet set = ButtonsOf(buttons);
    std::vector<std::pair<QPushButton*, int>> answers;
    for (const auto& entry : set.Buttons) {
        // Own captions rather than standard buttons: without a translation they stay exactly
        // these English words (a platform theme may have others), and with one they take Qt's
        // translation of its standard buttons. One role for all, so that no desktop's button
        // order (No before Yes on some) rearranges them.
        QPushButton* button = box.addButton(
            QCoreApplication::translate("QPlatformTheme", entry.Caption), QMessageBox::ActionRole);
        answers.emplace_back(button, entry.Answer);
        if (entry.Answer == set.EscapeAnswer)
            box.setEscapeButton(button);
        if (entry.Answer == set.DefaultAnswer)
            box.setDefaultButton(button);
    }
    if (auto* row = box.findChild<QDialogButtonBox*>())
        row->setCenterButtons(true);
    box.exec();
    const auto clicked = std::find_if(answers.begin(), answers.end(), [&](const auto& entry) {
        return entry.first == box.clickedButton();
    });
    return clicked == answers.end() ? idCancel : clicked->second;
}

} // namespace

void TQtPlatform::CancelDialogs() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog->isVisible() && dialog->isModal() &&
            !dialog->property(KeptAtCancelProperty).toBool())
            dialog->reject();
    }
}

namespace {

struct TNameFilters {
    QStringList Filters;      // as Qt takes them: "Description (pattern pattern)"
    QStringList Descriptions; // as the dialog shows them
};

// "Description|pattern;pattern|...". "*.*" means every file on Windows, but only names with a dot
// to Qt.
TNameFilters NameFiltersOf(const std::string& filter) {
    const QStringList parts = DisplayToQString(filter).split(QLatin1Char('|'));
    TNameFilters result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        result.Filters << parts[i] + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) +
                              QLatin1Char(')');
        result.Descriptions << parts[i];
    }
    return result;
}

} // namespace

TQtPlatform::~TQtPlatform() {
    SetBusyCursor(false);
}

int TQtPlatform::ShowMessageBox(const std::string& text, TMessageKind kind,
                                TMessageButtons buttons) {
    switch (kind) {
    case TMessageKind::mkError:
        return RunMessageBox(QCoreApplication::translate("TQtPlatform", "Error"),
                             QMessageBox::Critical, DisplayToQString(text), buttons);
    case TMessageKind::mkConfirmation:
        return RunMessageBox(QCoreApplication::translate("TQtPlatform", "Confirm"),
                             QMessageBox::Question, DisplayToQString(text), buttons);
    case TMessageKind::mkPlain:
        break;
    }
    return RunMessageBox(QString::fromLatin1(ApplicationTitle), QMessageBox::NoIcon,
                         DisplayToQString(text), buttons);
}

void TQtPlatform::ShowError(const TErrorMessage& message) {
    // The error comes from below the window, which translates nothing.
    RunMessageBox(QString::fromLatin1(ApplicationTitle), QMessageBox::Critical,
                  TranslatedMessage(message), TMessageButtons::mbOK);
}

void TQtPlatform::ShowErrorText(const std::string& text) {
    ShowError(TErrorMessage(text));
}

bool TQtPlatform::ExecuteFileDialog(TFileDialog& dialog) {
    const bool opening = dialog.Kind() == TFileDialogKind::fdOpen;
    QFileDialog box(QApplication::activeWindow(), DisplayToQString(dialog.Title));
    // Qt's own dialog behaves the same on every system.
    box.setOption(QFileDialog::DontUseNativeDialog);
    box.setOption(QFileDialog::HideNameFilterDetails);
    // Open accepts a name that does not exist; Save replaces a file without asking.
    box.setFileMode(QFileDialog::AnyFile);
    box.setAcceptMode(opening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    box.setOption(QFileDialog::DontConfirmOverwrite, !opening);
    box.setSizeGripEnabled(true);
    const TNameFilters filters = NameFiltersOf(dialog.Filter);
    if (!filters.Filters.isEmpty()) {
        box.setNameFilters(filters.Filters);
        const auto index = std::clamp<qsizetype>(dialog.FilterIndex, 1, filters.Filters.size());
        box.selectNameFilter(filters.Filters[index - 1]);
    }
    box.setDefaultSuffix(PathToQString(dialog.DefaultExt));
    if (!dialog.FileName.empty())
        box.selectFile(PathToQString(dialog.FileName));
    if (box.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = box.selectedFiles();
    if (chosen.isEmpty())
        return false;
    dialog.FileName = PathFromQString(QDir::toNativeSeparators(chosen.first()));
    // With the details hidden, the selected filter is its description.
    const QString selected = box.selectedNameFilter();
    qsizetype index = filters.Filters.indexOf(selected);
    if (index < 0)
        index = filters.Descriptions.indexOf(selected);
    if (index >= 0)
        dialog.FilterIndex = static_cast<int>(index) + 1;
    return true;
}

void TQtPlatform::SetBusyCursor(bool on) {
    if (on == FBusy)
        return;
    if (on)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    FBusy = on;
}

void TQtPlatform::OpenWebAddress(const std::string& address) {
    QDesktopServices::openUrl(QUrl(DisplayToQString(address), QUrl::TolerantMode));
}
