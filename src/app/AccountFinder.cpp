#include "app/AccountFinder.h"

#include "base/SecureWipe.h"
#include "platform/Codepage.h"
#include "platform/PlatformServices.h"
#include "vault/NotesAddress.h"
#include "vault/NotesLines.h"
#include "vault/Vault.h"
#include "vault/WipeGuard.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Never part of a folded name: account names are Windows-1252 text.
constexpr QChar Separator(u'\0');
// The fields of each row in FFields.
constexpr std::size_t FieldsPerRow = 3;

const QKeySequence EveryFieldKey(Qt::CTRL | Qt::Key_F);

// Which characters a folded text holds, one bit each for the lower-case letters and the digits and
// the rest shared among the other bits: a text whose bits lack one of the filter's cannot hold it,
// so that a search looks into few texts, and a filter of one letter or digit into none.
std::uint64_t CharacterBit(QChar ch) {
    const char16_t code = ch.unicode();
    if (code >= u'a' && code <= u'z')
        return std::uint64_t{1} << (code - u'a');
    if (code >= u'0' && code <= u'9')
        return std::uint64_t{1} << (26 + code - u'0');
    return std::uint64_t{1} << (36 + code % 28);
}

bool HasBitOfItsOwn(QChar ch) {
    const char16_t code = ch.unicode();
    return (code >= u'a' && code <= u'z') || (code >= u'0' && code <= u'9');
}

std::uint64_t CharacterBits(QStringView text) {
    std::uint64_t bits = 0;
    for (const QChar ch : text)
        bits |= CharacterBit(ch);
    return bits;
}

void WipeText(QString& text) noexcept {
    // The whole room, not only the text: a shorter content may have followed a longer one.
    if (text.capacity() > 0) {
        text.resize(text.capacity());
        SecureZero(text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
    }
    text.clear();
}

// Room for more characters at the end of the text; a move to a larger room wipes the old one.
void MakeRoom(QString& text, qsizetype more) {
    if (text.size() + more <= text.capacity())
        return;
    QString larger;
    larger.reserve(std::max(text.capacity() * 2, text.size() + more));
    larger.append(text);
    WipeText(text);
    text.swap(larger);
}

// Appends a field in the form names are compared in; with `lines`, each ";" that ends a notes line
// becomes a separator, so that nothing is found across two lines.
void AppendFolded(QString& text, const std::string& field, bool lines) {
    const auto ends = [lines](QChar ch) {
        return lines && ch == QLatin1Char(NotesLineEnd) ? Separator : ch;
    };
    const bool ascii = std::all_of(field.begin(), field.end(), [](char ch) {
        return static_cast<unsigned char>(ch) < 0x80 && ch != '\0';
    });
    if (ascii) {
        // Most fields: lower case by hand, with no copy to wipe.
        const auto length = static_cast<qsizetype>(field.size());
        MakeRoom(text, length);
        const qsizetype at = text.size();
        text.resize(at + length);
        QChar* out = text.data() + at;
        for (const char ch : field)
            *out++ = ends(QChar(QLatin1Char(ch)).toLower());
        return;
    }
    QString wide = AnsiToQString(field);
    QString folded = FoldForFind(wide);
    WipeText(wide);
    MakeRoom(text, folded.size());
    for (const QChar ch : std::as_const(folded))
        text.append(ends(ch));
    WipeText(folded);
}

QString FieldName(TFoundIn where) {
    switch (where) {
    case TFoundIn::Login:
        //: Where the find box found an account: "mail — login".
        return TAccountFinder::tr("login");
    case TFoundIn::WebAddress:
        return TAccountFinder::tr("web address");
    case TFoundIn::Notes:
        return TAccountFinder::tr("notes");
    case TFoundIn::Name:
        break;
    }
    return {};
}

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
        if (!checkIndex(index,
                        CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
            (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
            return {};
        const auto at = static_cast<std::size_t>(index.row());
        const QString name = AnsiToQString(FVault.Account(FRows[at]).Name);
        if (FWhere[at] == TFoundIn::Name)
            return name;
        return QStringLiteral("%1 \u2014 %2").arg(name, FieldName(FWhere[at]));
    }
    const std::vector<int>& Rows() const noexcept { return FRows; }
    const std::vector<TFoundIn>& Where() const noexcept { return FWhere; }
    void SetRows(std::vector<int> rows, std::vector<TFoundIn> where) {
        where.resize(rows.size(), TFoundIn::Name);
        beginResetModel();
        FRows = std::move(rows);
        FWhere = std::move(where);
        endResetModel();
    }

private:
    const TVault& FVault;
    std::vector<int> FRows;       // rows of the vault's accounts
    std::vector<TFoundIn> FWhere; // beside them
};

TAccountFinder::TAccountFinder(const TVault& vault, QAbstractItemModel& accounts,
                               TPlatformServices& platform, QWidget* parent)
    : QFrame(parent), FVault(vault), FPlatform(platform) {
    // A box inside the window rather than a popup window of its own, so that screen readers find
    // it in the window's tree like every other control. It closes as a popup would, when the
    // focus goes elsewhere.
    hide();
    setAutoFillBackground(true);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (isVisible() && now != this && !isAncestorOf(now))
            hide();
    });
    setObjectName(QStringLiteral("frmFind"));
    setFrameShape(QFrame::Box);
    setAccessibleName(tr("Find account"));
    edtFind = new QLineEdit(this);
    edtFind->setObjectName(QStringLiteral("edtFind"));
    edtFind->setAccessibleName(tr("Find account"));
    edtFind->setPlaceholderText(tr("Find account"));
    edtFind->installEventFilter(this);
    chkEveryField = new QCheckBox(
        tr("In every field (%1)").arg(EveryFieldKey.toString(QKeySequence::NativeText)), this);
    chkEveryField->setObjectName(QStringLiteral("chkEveryField"));
    chkEveryField->setToolTip(tr("Find in the logins, web addresses and notes too"));
    // The edit keeps the focus; the key toggles it from there.
    chkEveryField->setFocusPolicy(Qt::NoFocus);
    connect(chkEveryField, &QCheckBox::toggled, this, [this] { Filter(edtFind->text()); });
    FFound = new TFoundAccountsModel(vault, this);
    lstFound = new QListView(this);
    lstFound->setObjectName(QStringLiteral("lstFind"));
    lstFound->setUniformItemSizes(true);
    // A hundred thousand rows are laid out a batch at a time between events, so that the next
    // keystroke never waits for rows nobody has scrolled to yet.
    lstFound->setLayoutMode(QListView::Batched);
    lstFound->setBatchSize(2000);
    lstFound->setFocusPolicy(Qt::NoFocus);
    lstFound->setModel(FFound);
    lstFound->setAccessibleName(tr("Accounts found"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(edtFind);
    layout->addWidget(chkEveryField);
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

const std::vector<TFoundIn>& TAccountFinder::FoundIn() const noexcept {
    return FFound->Where();
}

bool TAccountFinder::EveryField() const {
    return chkEveryField->isChecked();
}

TAccountFinder::~TAccountFinder() {
    Forget();
}

void TAccountFinder::Popup(QWidget* anchor) {
    if (FStale)
        Rebuild();
    FAnchor = anchor;
    setGeometry(QRect(anchor->mapTo(parentWidget(), QPoint(0, anchor->height())),
                      QSize(anchor->width(), 184)));
    {
        const QSignalBlocker quiet(chkEveryField);
        chkEveryField->setChecked(false);
    }
    edtFind->clear();
    Filter(QString());
    show();
    raise();
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
    FNameBits.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        const auto start = FFolded.size();
        FStarts.push_back(static_cast<int>(start));
        FFolded += FoldForFind(AnsiToQString(FVault.Account(row).Name));
        FNameBits.push_back(CharacterBits(QStringView(FFolded).sliced(start)));
        FFolded += Separator;
    }
    FStarts.push_back(static_cast<int>(FFolded.size()));
    FStale = false;
}

void TAccountFinder::BuildFields() {
    ForgetFields();
    FPlatform.SetBusyCursor(true);
    const auto idle = qScopeGuard([this] { FPlatform.SetBusyCursor(false); });
    const int count = FVault.AccountCount();
    FFieldStarts.reserve(static_cast<std::size_t>(count) * FieldsPerRow + 1);
    FFieldBits.reserve(static_cast<std::size_t>(count) * FieldsPerRow);
    // Room for what the lines' length suggests: they hold every field enciphered, a third longer
    // in their text form. More room, when needed, wipes the room it leaves.
    qsizetype room = count * static_cast<qsizetype>(FieldsPerRow);
    for (int row = 0; row < count; ++row)
        room += static_cast<qsizetype>(FVault.LineOf(row).size()) / 2;
    FFields.reserve(room);
    // Half of the fields would be searched as if they were all.
    auto forgetHalf = qScopeGuard([this] { ForgetFields(); });
    TVault::TAccountReader reader = FVault.Reader();
    for (int row = 0; row < count; ++row) {
        TPassRecord record = reader.Read(row);
        TRecordWipeGuard wipeRecord(record);
        // A line that is noise under the master password has nothing to find.
        const bool whole = reader.LastWhole();
        std::string address = whole ? NotesWebAddress(record.Notes) : std::string();
        TWipeGuard wipeAddress(address);
        for (const std::string* field : {&record.Login, &address, &record.Notes}) {
            const auto start = FFields.size();
            FFieldStarts.push_back(static_cast<int>(start));
            if (whole)
                AppendFolded(FFields, *field, field == &record.Notes);
            FFieldBits.push_back(CharacterBits(QStringView(FFields).sliced(start)));
            MakeRoom(FFields, 1);
            FFields.append(Separator);
        }
    }
    FFieldStarts.push_back(static_cast<int>(FFields.size()));
    forgetHalf.dismiss();
}

void TAccountFinder::Forget() noexcept {
    // The folded names are account names too.
    WipeText(FFolded);
    FStarts.clear();
    FNameBits.clear();
    FNeedle.clear();
    FStale = true;
    ForgetFields();
}

void TAccountFinder::ForgetFields() noexcept {
    WipeText(FFields);
    FFieldStarts.clear();
    // Which characters the fields hold tells something of them too.
    if (!FFieldBits.empty())
        SecureZero(FFieldBits.data(), FFieldBits.size() * sizeof(FFieldBits.front()));
    FFieldBits.clear();
}

void TAccountFinder::Invalidate() {
    hide();
    Forget();
    FFound->SetRows({}, {});
}

void TAccountFinder::MarkStale() {
    // One account more or less: the folded names are made again at the next find, and wiped
    // then, rather than in the middle of an Add or a Delete.
    hide();
    FStale = true;
}

void TAccountFinder::Filter(const QString& typed) {
    const TNeedle needle{FoldForFind(typed)};
    const bool everyField = EveryField() && !needle.Text.isEmpty();
    const auto rows = static_cast<int>(FStarts.empty() ? 0 : FStarts.size() - 1);
    if (everyField && FFieldStarts.empty() && rows > 0)
        BuildFields();
    std::vector<int> found;
    std::vector<TFoundIn> where;
    const auto take = [&](int row) {
        TFoundIn in = TFoundIn::Name;
        if (!Holds(row, needle, everyField, in))
            return;
        found.push_back(row);
        where.push_back(in);
    };
    if (needle.Text.isEmpty()) {
        found.resize(static_cast<std::size_t>(rows));
        for (int row = 0; row < rows; ++row)
            found[static_cast<std::size_t>(row)] = row;
    } else if (!FNeedle.isEmpty() && needle.Text.contains(FNeedle) &&
               everyField == FNeedleEveryField) {
        // A longer filter keeps only some of what the shorter one let through.
        found.reserve(FFound->Rows().size());
        where.reserve(FFound->Rows().size());
        for (const int row : FFound->Rows())
            take(row);
    } else {
        for (int row = 0; row < rows; ++row)
            take(row);
    }
    FNeedle = needle.Text;
    FNeedleEveryField = everyField;
    FFound->SetRows(std::move(found), std::move(where));
    if (!FFound->Rows().empty())
        lstFound->setCurrentIndex(FFound->index(0));
}

TAccountFinder::TNeedle::TNeedle(QString text)
    : Text(std::move(text)), Bits(CharacterBits(Text)),
      BitsTell(Text.size() == 1 && HasBitOfItsOwn(Text.front())) {}

bool TAccountFinder::Holds(int row, const TNeedle& needle, bool everyField, TFoundIn& where) const {
    // The separator after each piece keeps a match inside it.
    const auto holds = [&needle](const QString& text, const std::vector<int>& starts,
                                 const std::vector<std::uint64_t>& bits, std::size_t piece) {
        if ((bits[piece] & needle.Bits) != needle.Bits)
            return false;
        return needle.BitsTell || QStringView(text)
                                      .sliced(starts[piece], starts[piece + 1] - starts[piece] - 1)
                                      .contains(needle.Text);
    };
    const auto at = static_cast<std::size_t>(row);
    if (holds(FFolded, FStarts, FNameBits, at)) {
        where = TFoundIn::Name;
        return true;
    }
    if (!everyField)
        return false;
    for (std::size_t field = 0; field < FieldsPerRow; ++field) {
        if (holds(FFields, FFieldStarts, FFieldBits, at * FieldsPerRow + field)) {
            where = static_cast<TFoundIn>(1 + field);
            return true;
        }
    }
    return false;
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
    // Ctrl+F in the box is the box's own, not the window's key that opened it.
    if (watched == edtFind && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->keyCombination() == EveryFieldKey[0]) {
        event->accept();
        return true;
    }
    if (watched == edtFind && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->keyCombination() == EveryFieldKey[0]) {
            chkEveryField->toggle();
            return true;
        }
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
    FFound->SetRows({}, {});
    // The deciphered fields never outlive the box.
    ForgetFields();
    if (FAnchor && isAncestorOf(QApplication::focusWidget()))
        FAnchor->setFocus(Qt::PopupFocusReason);
    QFrame::hideEvent(event);
}
