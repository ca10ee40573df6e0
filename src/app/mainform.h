#pragma once

// The main window: it owns the open vault (its path, master password, check line and the
// enciphered record lines, the only copy of the accounts), shows one account at a time and runs
// every command on the vault.

#include "cipher/Blowfish.h"
#include "platform/FileStamp.h"
#include "platform/PlatformServices.h"
#include "platform/RecordList.h"
#include "vault/RecordCodec.h"

#include <QWidget>

#include <string>
#include <vector>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QStatusBar;
class QToolButton;
class TAccountListModel;
class TNotesEdit;

class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(TPlatformServices& platform, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Start-up: reopens the remembered data file after the password prompt. Errors propagate to
    // the caller, which shows them; the window is left usable with no vault open.
    void FormCreate();

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

    // What tests and the benchmark observe.
    const std::string& DataFile() const noexcept { return FDataFile; }
    bool Modified() const noexcept { return FModified; }
    const TRecordList& Records() const noexcept { return FRecords; }
    QString PanelText(int panel) const;

protected:
    void closeEvent(QCloseEvent* event) override; // FormCloseQuery

private:
    void CreateControls();
    QToolButton* CreateToolButton(const char* name, int x, int width, const QString& hint,
                                  const QKeySequence& shortcut, void (TfrmMain::*handler)());
    void SetPanel(int panel, const QString& text);
    // Runs a handler for a signal; an error ends the handler and is shown by the error display.
    void Dispatch(void (TfrmMain::*handler)());

    // Display and state.
    void SetModified(bool flag);
    void UpdateButtons();
    void UpdateFieldEnabling();
    std::string AskPassword(const std::string& prompt);
    void OpenDataFile(std::string path); // by value: callers pass FDataFile, which it changes
    // These return the indices of the lines that could not be read.
    std::vector<int> LoadVault(const std::string& path, const std::string& password,
                               const std::string& checkLine);
    std::vector<int> RefreshAccountList();
    static std::string DamagedLinesMessage(const std::vector<int>& damaged);
    // An already keyed record cipher, when the caller has one, saves a key schedule.
    void ShowFirstAccount(TRecordCipher* keyed = nullptr);
    void SelectAccountRow(int row, TRecordCipher* keyed = nullptr);
    void ShowChosenAccount(TRecordCipher* keyed);
    // Empties the three fields and forgets the shown account; the caller sets FLoading.
    void EmptyFields();
    void ShowRecord(const TPassRecord& record);
    bool QuerySave();
    void ClearVault();
    void SetMasterPassword(const std::string& password, std::string checkLine);
    void ForgetMasterPassword();
    // No data file: path, stamp and the status bar's count and file panels.
    void ForgetDataFile();

    // Editing.
    TPassRecord GatherRecord() const;
    int FindRecordIndex(const std::string& recordLine) const;
    void StoreRecord(const TPassRecord& record);
    // Puts a new line at its place in the order of FRecords and returns its index.
    int InsertSorted(std::string line);
    void FieldChanged(std::string TPassRecord::*field);

    // Files.
    // Writes the vault to FDataFile; false when the user chose not to overwrite a file that
    // another program changed (unless that was confirmed already).
    bool WriteDataFile(bool confirmed = false);
    bool ConfirmOverwrite();
    // What this program just read or wrote at FDataFile.
    void RememberStamp(const TContentDigest& content);
    void ForgetStamp();
    bool SaveVault();
    void RememberDataFile();
    bool AskNewMasterPassword(std::string& password);
    bool PasswordOpensDataFile(const std::string& password);

    TPlatformServices& FPlatform;

    std::string FDataFile;
    std::string FMasterPassword;
    std::string FCheckLine;
    TRecordList FRecords;
    bool FModified = false;
    bool FLinesSorted = true; // FRecords is known to be in CompareTextLocale order
    bool FLoading = false;
    bool FExiting = false;
    TPassRecord FCurrent;
    TFileStamp FStamp;      // the data file as this program last read or wrote it
    std::string FStampPath; // where FStamp was taken
    int FCurrentLine = -1;  // the line of FRecords that the shown account came from
    TBlowfish Blowfish1;

    TFileDialog odlDataFile;
    TFileDialog sdlDataFile;

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
};
