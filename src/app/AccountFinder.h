#pragma once

// The find box of the account selector: a small popup under it whose list holds the accounts
// whose names contain what is typed, ignoring letter case and accents as the selector's order
// does. The names are folded once into one text, rebuilt when the accounts change, so that a
// keystroke is one search through it even with a hundred thousand accounts.

#include <QFrame>
#include <QString>

#include <vector>

class QAbstractItemModel;
class QLineEdit;
class QListView;
class TFoundAccountsModel;
class TVault;

// The form in which names are compared: compatibility-decomposed, without combining marks,
// case-folded ("Café" and "CAFE" both give "cafe").
QString FoldForFind(const QString& text);

class TAccountFinder : public QFrame {
    Q_OBJECT
public:
    // accounts: the selector's model, whose changes make the folded names stale.
    TAccountFinder(const TVault& vault, QAbstractItemModel& accounts, QWidget* parent);
    ~TAccountFinder() override;

    // Shows the box below the anchor with an empty filter.
    void Popup(QWidget* anchor);
    // Rows of the accounts that the current filter lets through, in the selector's order.
    const std::vector<int>& Matches() const noexcept;

signals:
    // Enter on a listed account: the row of the vault's account.
    void Chosen(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Filter(const QString& typed);
    void Rebuild();
    void Forget() noexcept;
    void Invalidate();
    void MarkStale();
    void Choose();

    const TVault& FVault;
    QWidget* FAnchor = nullptr; // the control the box opened under, which takes the focus back
    QLineEdit* edtFind = nullptr;
    QListView* lstFound = nullptr;
    TFoundAccountsModel* FFound = nullptr;
    bool FStale = true;
    QString FFolded;          // every folded name, each followed by a separator
    std::vector<int> FStarts; // where each row's folded name begins in FFolded
    QString FNeedle;          // the folded filter behind the rows listed
};
