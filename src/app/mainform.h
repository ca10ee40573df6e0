#pragma once

// The main window: it shows the open vault one account at a time, asks the user what must be
// asked and runs the commands on the vault.

#include "platform/PlatformServices.h"
#include "vault/LockedWrite.h"
#include "vault/Vault.h"
#include "vault/VaultObserver.h"

#include <QKeySequence>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QToolButton;
class QTimer;
class TAccountFinder;
class TAccountListModel;
class TNotesEdit;
class TSecretClipboard;
struct TUserPreferences;

class TfrmMain : public QWidget, private TVaultObserver {
    Q_OBJECT
public:
    explicit TfrmMain(TPlatformServices& platform, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Start-up: reads the preferences and opens the data file named on the command line, or else
    // the remembered one, after the password prompt. Errors propagate to the caller, which shows
    // them; the window is left usable with no vault open.
    void FormCreate(const std::string& dataFile = {});

    // Handlers of the tool buttons and fields.
    void spdNewClick();
    void spdOpenClick();
    void spdSaveClick();
    void spdSaveAsClick();
    void spdCloseClick();
    void spdAddClick();
    void spdDeleteClick();
    void spdChangePasswordClick();
    void spdExitClick();
    void AboutClick();
    void cboAccountChange();
    void edtLoginChange();
    void edtPasswordChange();
    void mmoNotesChange();

    // Daily use: copies that clear themselves, the find box, the password generator, the lock
    // and the password's mask.
    void CopyLoginClick();
    void CopyPasswordClick();
    void FindClick();
    void GenerateClick();
    void LockClick(); // locks, or while locked asks for the password again
    void MaskClick();
    // The hardened format, on the New button's context menu and on keys: a new hardened file,
    // hardening the open one, and a copy of a hardened one for older versions.
    void NewHardenedClick();
    void HardenClick();
    void SaveOlderCopyClick();
    // On the window's menu and on keys: the health report of the vault's passwords (weak, shared,
    // empty, and breached by a downloaded list), and an import from another password manager's
    // export, shown before it is carried out.
    void HealthReportClick();
    void ImportClick();
    // The desktop locked the screen.
    void ScreenLocked();
    // The program must end (SIGTERM, the desktop's log-out). With nobody to answer, unsaved
    // changes are kept beside the data file rather than lost.
    void EndWithoutAsking();
    // The session manager asks to save: true to go on with the log-out.
    bool CommitData(bool canAsk);
    bool Locked() const noexcept { return FVault.Locked(); }

    // The shown account's notes: its one-time code and its web address.
    void CopyOneTimeCodeClick();
    void OpenWebAddressClick();
    void CopyWebAddressClick();
    // Takes back the last Add, Delete or edit since the vault was opened or saved, or does again
    // the last one taken back.
    void UndoClick();
    void RedoClick();

    // What tests and the benchmark observe.
    const TVault& Vault() const noexcept { return FVault; }
    const std::string& DataFile() const noexcept { return FVault.Path(); }
    bool Modified() const noexcept { return FVault.Modified(); }
    const TRecordList& Records() { return FVault.Records(); }
    QString PanelText(int panel) const;

protected:
    void closeEvent(QCloseEvent* event) override; // FormCloseQuery
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override; // Undo and Redo

private:
    void CreateControls();
    QToolButton* CreateToolButton(const char* name, int x, int width, const QString& hint,
                                  const QKeySequence& shortcut, void (TfrmMain::*handler)());
    void SetPanel(int panel, const QString& text);
    // Runs a handler for a signal; an error ends the handler and is shown by the error display.
    void Dispatch(void (TfrmMain::*handler)());
    // Dispatch for a field's change signal, unless the field is being filled to show an account.
    void DispatchEdit(void (TfrmMain::*handler)());
    // Runs work as a handler: an error is shown, and true comes back when none was raised.
    bool RunHandler(const std::function<void()>& work);
    // A lock asked for while a handler ran, once no handler runs.
    void RunPendingLock();

    // The window follows the vault's announcements.
    void CurrentChanged() override;
    void LineCountChanged() override;
    void ModifiedChanged(bool modified) override;
    void LockedChanged(bool locked) override;
    void FileChanged() override;
    void FormatChanged() override;

    // Display and state.
    void UpdateButtons();
    void UpdateFieldEnabling();
    // The prompt is an untranslated caption, marked with QT_TR_NOOP.
    // choosesNew: the prompt chooses a new master password.
    std::string AskPassword(const char* prompt, bool choosesNew = false);
    // By value: callers may pass the vault's own path, which it changes.
    void OpenDataFile(std::string path);
    static std::string DamagedLinesMessage(const std::vector<int>& damaged);
    // Puts the vault's shown account into the selector and the fields.
    void ShowCurrentAccount();
    void ShowRecord(const TPassRecord& record);
    // A field that the window cannot show whole is read-only and says so; it is never cut.
    void GuardField(QWidget* field, bool shownWhole);
    bool QuerySave();
    // The vault is closed: nothing on screen, and no copy of it left in the clipboard.
    void ShowNoVault();

    // Daily use.
    void CreateDailyActions();
    QAction* CreateKeyAction(const QKeySequence& shortcut, void (TfrmMain::*handler)());
    // A key action with a name and a text, for a menu to list as well.
    QAction* CreateNamedAction(const char* name, const QString& text, const QKeySequence& shortcut,
                               void (TfrmMain::*handler)());
    void ApplyPreferences(const TUserPreferences& preferences);
    void UpdateDailyActions();
    void CopyField(const std::string TPassRecord::*field, const QString& what);
    void ShowStatusMessage(const QString& text);
    // A lock asked for by time or by the desktop waits until the running command has ended.
    void RequestLock();
    // While a lock waits for the running command: its dialogs cancelled, nothing on screen.
    void CancelForLock();
    void LockNow();
    void UnlockVault();
    void ShowMask(bool masked);
    // For Ctrl+C in a field: whether it copies the password rather than the field's selection.
    bool CopiesPasswordInstead(QObject* watched) const;
    // Puts text on the clipboard as a secret and says so.
    void CopyText(const QString& text, const QString& what);

    // The notes of the shown account.
    void CreateNotesControls();
    // Shows the code of the shown account's one-time key and its seconds left, or the key's
    // problem, and keeps them fresh each second while its notes hold a key line.
    void ShowOneTimeCode();
    // The web address in the shown account's notes; empty, after a message saying so, when none.
    std::string ShownWebAddress();

    // Undo and Redo.
    void CreateUndoCommands();
    void StepHistory(bool redo);

    // Editing.
    void FieldChanged(std::string TPassRecord::*field, const std::string& value);

    // Files.
    // Writes the vault to the path; false when the user chose not to overwrite a file that
    // another program changed.
    // consent: the user agreed to replace the file at path as it was then.
    bool WriteDataFile(const std::string& path, std::optional<TOverwriteConsent> consent = {});
    // Whether the user agrees to overwrite the vault's file that another program changed; the
    // consent is for the file as it is now.
    bool ConfirmOverwrite(const std::string& path, std::optional<TOverwriteConsent>& consent);
    // Before a file other than the vault's own is replaced: the user agrees, and gives that
    // file's password when it is a data file under another one (any existing file for New).
    bool ConfirmReplacing(const std::string& path, bool anyFileNeedsItsPassword,
                          std::optional<TOverwriteConsent>* consent = nullptr);
    // A file that another program converted (LF line ends, a byte-order mark) is named, and
    // given its own form back when the user agrees; true when it is then under the password.
    enum class TRepairOffer { NotConverted, Repaired, Declined };
    TRepairOffer OfferRepair(const std::string& path, const std::string& password);
    // Changes kept beside the data file at the last end that could not ask are offered.
    void OfferRecovery(const std::string& path, const std::string& password);
    bool SaveVault();
    void RememberDataFile();
    bool AskNewMasterPassword(std::string& password);
    // New's sequence of questions, for a file of either format.
    void NewFile(TDataFormat format);
    // The old password of the open file, for a command that changes it; false (said) otherwise.
    bool OldPasswordOpens(const std::string& old);

    // The hardened format.
    void CreateHardenedActions();
    void UpdateHardenedActions();
    void UpdateTitle();
    // The keys of a hardened file, derived on a thread of their own while the window shows that
    // it is busy, keeps painting and ignores input. Nothing when a lock comes first, or when the
    // file asks for more memory than the computer may give (said). Raises what the derivation
    // raises.
    std::optional<TKvf2Keys> DeriveKeys(const std::string& password, const TKvf2Header& header);
    // The header with the keys derived for it, for a file written under new keys.
    std::optional<TNewKeys> DeriveNewKeys(const std::string& password, TKvf2Header header);
    // Opens the file read for opening in its format, a hardened one's keys derived as above;
    // nothing when a lock came first.
    std::optional<TOpenResult> OpenFile(TVaultOpening opening, const std::string& password);
    // Whether the password opens the file at path, a hardened one's keys derived as above.
    bool PasswordOpensFile(const std::string& path, const std::string& password);
    // Before a hardened file changed outside Kestovar is written: whether the user agrees to a
    // new seal over its lines as they are.
    bool ConfirmNewSeal();
    void TellBrokenSeal();
    QString RefusalText(const TVaultOpening& opening) const;

    // The health report and the import.
    void CreateHealthAndImportActions();
    void UpdateHealthAndImportActions();

    TPlatformServices& FPlatform;
    TVault FVault;
    bool FLoading = false;
    bool FExiting = false;
    int FHandlerDepth = 0;
    bool FLockPending = false;
    bool FLockOnScreenLock = true;
    bool FDeriving = false; // a key derivation runs, and the window waits for it
    TDataFormat FNewFileFormat = TDataFormat::Classic;
    TKvf2Params FKdfParams = Kvf2DefaultParams; // for new keys, and the floor of a new password

    TFileDialog odlDataFile;
    TFileDialog sdlDataFile;
    TFileDialog sdlOlderCopy;
    TFileDialog odlBreachList;
    TFileDialog odlImport;

    QWidget* pnlControls = nullptr;
    QToolButton* spdNew = nullptr;
    QToolButton* spdOpen = nullptr;
    QToolButton* spdSave = nullptr;
    QToolButton* spdSaveAs = nullptr;
    QToolButton* spdClose = nullptr;
    QToolButton* spdAdd = nullptr;
    QToolButton* spdDelete = nullptr;
    QToolButton* spdChangePassword = nullptr;
    QToolButton* spdAboutOmbrel = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* spdExit = nullptr;
    QFrame* bvlMain = nullptr;
    QFrame* bvlURL = nullptr;
    QLabel* lblAccount = nullptr;
    QComboBox* cboAccount = nullptr;
    TAccountListModel* FAccounts = nullptr;
    QLabel* lblLogin = nullptr;
    QLineEdit* edtLogin = nullptr;
    QLabel* lblPassword = nullptr;
    QLineEdit* edtPassword = nullptr;
    QLabel* lblNotes = nullptr;
    TNotesEdit* mmoNotes = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblURL = nullptr;
    QStatusBar* stbMain = nullptr;
    QLabel* FPanels[3] = {};
    TSecretClipboard* FClipboard = nullptr;
    TAccountFinder* FFinder = nullptr;
    QLabel* lblMessage = nullptr; // a passing message, over the web address's row
    QTimer* FMessageTimer = nullptr;
    QTimer* FIdleTimer = nullptr;
    QTimer* FLockCanceller = nullptr; // cancels dialogs while a lock waits
    QAction* FCopyLogin = nullptr;
    QAction* FCopyPassword = nullptr;
    QAction* FGenerate = nullptr;
    QAction* FMask = nullptr;
    QList<QKeySequence> FKeysOverFields; // the window's keys even where a field has its own use
    QLabel* lblOneTimeCode = nullptr;    // over the blank beside the notes
    QTimer* FOneTimeCodeTimer = nullptr;
    QMenu* FWindowMenu = nullptr;
    QAction* FUndoCommand = nullptr;
    QAction* FRedoCommand = nullptr;
    QAction* FNewHardened = nullptr;
    QAction* FHarden = nullptr;
    QAction* FOlderCopy = nullptr;
    QAction* FHealthReport = nullptr;
    QAction* FImport = nullptr;
};
