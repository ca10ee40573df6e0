#pragma once

// The find box of the account selector: a small popup under it whose list holds the accounts
// whose names contain what is typed, ignoring letter case and accents as the selector's order
// does. The names are folded once into one text, rebuilt when the accounts change, with the
// characters each holds beside them, so that a keystroke looks into the few names that may hold
// the filter even with a hundred thousand accounts.
//
// In every field (the check box, or Ctrl+F again) it also looks in the logins, web addresses and
// notes, and the list says where an account was found ("mail — login"). Those fields are
// deciphered and folded into one text at the first search, under a busy cursor, and wiped when the
// box closes.

#include <QFrame>
#include <QString>

#include <cstdint>
#include <vector>

class QAbstractItemModel;
class QCheckBox;
class QLineEdit;
class QListView;
class TFoundAccountsModel;
class TPlatformServices;
class TVault;

// Where the filter found an account: the first of its fields, in this order, that holds it.
enum class TFoundIn : std::uint8_t { Name, Login, WebAddress, Notes };

// The form in which names are compared: compatibility-decomposed, without combining marks,
// case-folded ("Café" and "CAFE" both give "cafe").
QString FoldForFind(const QString& text);

class TAccountFinder : public QFrame {
    Q_OBJECT
public:
    // accounts: the selector's model, whose changes make the folded names stale. The platform
    // shows the busy cursor while the fields are deciphered.
    TAccountFinder(const TVault& vault, QAbstractItemModel& accounts, TPlatformServices& platform,
                   QWidget* parent);
    ~TAccountFinder() override;

    // Shows the box below the anchor with an empty filter, looking in names.
    void Popup(QWidget* anchor);
    // Rows of the accounts that the current filter lets through, in the selector's order.
    const std::vector<int>& Matches() const noexcept;
    // Where each of them was found.
    const std::vector<TFoundIn>& FoundIn() const noexcept;
    bool EveryField() const;

signals:
    // Enter on a listed account: the row of the vault's account.
    void Chosen(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // A folded filter and which characters it holds.
    struct TNeedle {
        explicit TNeedle(QString text);
        QString Text;
        std::uint64_t Bits;
        bool BitsTell; // a text whose bits hold the filter's holds the filter
    };

    void Filter(const QString& typed);
    // Whether the row holds the needle, and where first.
    bool Holds(int row, const TNeedle& needle, bool everyField, TFoundIn& where) const;
    void Rebuild();
    void BuildFields();
    void Forget() noexcept;
    void ForgetFields() noexcept;
    void Invalidate();
    void MarkStale();
    void Choose();

    const TVault& FVault;
    QWidget* FAnchor = nullptr; // the control the box opened under, which takes the focus back
    TPlatformServices& FPlatform;
    QLineEdit* edtFind = nullptr;
    QCheckBox* chkEveryField = nullptr;
    QListView* lstFound = nullptr;
    TFoundAccountsModel* FFound = nullptr;
    bool FStale = true;
    QString FFolded;                      // every folded name, each followed by a separator
    std::vector<int> FStarts;             // where each row's folded name begins in FFolded
    std::vector<std::uint64_t> FNameBits; // which characters each name holds
    // Every row's folded login, web address and notes (a separator for each line break), each
    // followed by a separator; deciphered only while the box is open in every field.
    QString FFields;
    std::vector<int> FFieldStarts; // where each row's three fields begin in FFields, and the end
    std::vector<std::uint64_t> FFieldBits; // which characters each field holds
    QString FNeedle;                       // the folded filter behind the rows listed
    bool FNeedleEveryField = false;
};
