#include "app/AccountFinder.h"

#include "base/SecureWipe.h"
#include "platform/Codepage.h"
#include "vault/Vault.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>
#include <QStringMatcher>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Never part of a folded name: account names are Windows-1252 text.
constexpr QChar Separator(u'\0');

} // namespace

QString FoldForFind(const QString& text) {
    // Most names are plain ASCII, which has nothing to decompose.
    const bool ascii = std::all_of(text.cbegin(), text.cend(),
                                   [](QChar ch) { return ch.unicode() < 0x80 && !ch.isNull(); });
    if (ascii)
        return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar ch : decomposed) {
        const QChar::Category category = ch.category();
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining &&
            category != QChar::Mark_Enclosing && ch != Separator)
            folded.append(ch);
    }
    return folded.toCaseFolded();
}

class TFoundAccountsModel : public QAbstractListModel {
public:
    TFoundAccountsModel(const TVault& vault, QObject* parent)
        : QAbstractListModel(parent), FVault(vault) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(FRows.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount() ||
            (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
            return {};
        return AnsiToQString(FVault.Account(FRows[static_cast<std::size_t>(index.row())]).Name);
    }
    const std::vector<int>& Rows() const noexcept { return FRows; }
    void SetRows(std::vector<int> rows) {
        beginResetModel();
        FRows = std::move(rows);
        endResetModel();
    }

private:
    const TVault& FVault;
    std::vector<int> FRows; // rows of the vault's accounts
};

TAccountFinder::TAccountFinder(const TVault& vault, QAbstractItemModel& accounts, QWidget* parent)
    : QFrame(parent, Qt::Popup), FVault(vault) {
    setObjectName(QStringLiteral("frmFind"));
    setFrameShape(QFrame::Box);
    setAccessibleName(tr("Find account"));
    edtFind = new QLineEdit(this);
    edtFind->setObjectName(QStringLiteral("edtFind"));
    edtFind->setAccessibleName(tr("Find account"));
    edtFind->setPlaceholderText(tr("Find account"));
    edtFind->installEventFilter(this);
    FFound = new TFoundAccountsModel(vault, this);
    lstFound = new QListView(this);
    lstFound->setObjectName(QStringLiteral("lstFind"));
    lstFound->setUniformItemSizes(true);
    lstFound->setFocusPolicy(Qt::NoFocus);
    lstFound->setModel(FFound);
    lstFound->setAccessibleName(tr("Accounts found"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(edtFind);
    layout->addWidget(lstFound);
    connect(edtFind, &QLineEdit::textChanged, this, &TAccountFinder::Filter);
    connect(lstFound, &QListView::activated, this, [this] { Choose(); });
    // Rows listed here would name other accounts, or none: the box closes and starts afresh
    // before the rows change, so that nothing reads a listed row that is gone.
    connect(&accounts, &QAbstractItemModel::modelAboutToBeReset, this, &TAccountFinder::Invalidate);
    connect(&accounts, &QAbstractItemModel::rowsAboutToBeInserted, this,
            &TAccountFinder::MarkStale);
    connect(&accounts, &QAbstractItemModel::rowsAboutToBeRemoved, this, &TAccountFinder::MarkStale);
}

const std::vector<int>& TAccountFinder::Matches() const noexcept {
    return FFound->Rows();
}

TAccountFinder::~TAccountFinder() {
    Forget();
}

void TAccountFinder::Popup(QWidget* anchor) {
    if (FStale)
        Rebuild();
    setGeometry(
        QRect(anchor->mapToGlobal(QPoint(0, anchor->height())), QSize(anchor->width(), 160)));
    edtFind->clear();
    Filter(QString());
    show();
    edtFind->setFocus(Qt::PopupFocusReason);
}

void TAccountFinder::Rebuild() {
    Forget();
    const int count = FVault.AccountCount();
    FStarts.reserve(static_cast<std::size_t>(count) + 1);
    // Room for every name as it stands and its separator: folding keeps the length of nearly
    // every name, so the folded names seldom move to a larger place and leave a copy behind.
    qsizetype length = count;
    for (int row = 0; row < count; ++row)
        length += static_cast<qsizetype>(FVault.Account(row).Name.size());
    FFolded.reserve(length);
    for (int row = 0; row < count; ++row) {
        FStarts.push_back(static_cast<int>(FFolded.size()));
        FFolded += FoldForFind(AnsiToQString(FVault.Account(row).Name));
        FFolded += Separator;
    }
    FStarts.push_back(static_cast<int>(FFolded.size()));
    FStale = false;
}

void TAccountFinder::Forget() noexcept {
    // The folded names are account names too.
    if (!FFolded.isEmpty())
        SecureZero(FFolded.data(), static_cast<std::size_t>(FFolded.size()) * sizeof(QChar));
    FFolded.clear();
    FStarts.clear();
    FNeedle.clear();
    FStale = true;
}

void TAccountFinder::Invalidate() {
    hide();
    Forget();
    FFound->SetRows({});
}

void TAccountFinder::MarkStale() {
    // One account more or less: the folded names are made again at the next find, and wiped
    // then, rather than in the middle of an Add or a Delete.
    hide();
    FStale = true;
}

void TAccountFinder::Filter(const QString& typed) {
    const QString needle = FoldForFind(typed);
    const auto rows = static_cast<int>(FStarts.empty() ? 0 : FStarts.size() - 1);
    const std::vector<int>& listed = FFound->Rows();
    std::vector<int> found;
    found.reserve(listed.size());
    if (needle.isEmpty()) {
        found.resize(static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row)
            found[static_cast<std::size_t>(row)] = row;
    } else if (!FNeedle.isEmpty() && needle.contains(FNeedle)) {
        // A longer filter keeps only some of what the shorter one let through.
        for (const int row : listed) {
            const auto at = static_cast<std::size_t>(row);
            if (QStringView(FFolded)
                    .sliced(FStarts[at], FStarts[at + 1] - FStarts[at] - 1)
                    .contains(needle))
                found.push_back(row);
        }
    } else {
        // One pass through all names; the separator keeps a match inside one name, and the
        // row of a match is found by walking on, as matches come in order.
        const QStringMatcher matcher(needle);
        std::size_t row = 0;
        for (qsizetype at = matcher.indexIn(FFolded); at >= 0;) {
            while (FStarts[row + 1] <= at)
                ++row;
            found.push_back(static_cast<int>(row));
            ++row;
            at = row + 1 < FStarts.size() ? matcher.indexIn(FFolded, FStarts[row]) : -1;
        }
    }
    FNeedle = needle;
    FFound->SetRows(std::move(found));
    if (!FFound->Rows().empty())
        lstFound->setCurrentIndex(FFound->index(0));
}

void TAccountFinder::Choose() {
    const QModelIndex current = lstFound->currentIndex();
    if (!current.isValid())
        return;
    const int row = FFound->Rows()[static_cast<std::size_t>(current.row())];
    hide();
    emit Chosen(row);
}

bool TAccountFinder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtFind && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Choose();
            return true;
        case Qt::Key_Escape:
            hide();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            QCoreApplication::sendEvent(lstFound, event);
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void TAccountFinder::hideEvent(QHideEvent* event) {
    // What was typed names an account: it does not stay in the edit. Nor does the hidden list
    // keep its rows, which every change of the accounts would otherwise have to drop.
    {
        const QSignalBlocker quiet(edtFind);
        edtFind->clear();
    }
    FNeedle.clear();
    FFound->SetRows({});
    QFrame::hideEvent(event);
}
