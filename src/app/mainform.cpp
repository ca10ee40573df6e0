// The main window's controls: layout, fonts, hints, keys and the wiring of the handlers.

#include "app/mainform.h"

#include "app/AccountListModel.h"
#include "app/NotesEdit.h"
#include "app/SecretClipboard.h"
#include "app/ToolIcons.h"
#include "base/Version.h"
#include "dialogs/WebAddress.h"
#include "platform/AnsiRefusal.h"
#include "platform/Codepage.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int ClientWidth = 351;
constexpr int ClientHeight = 311;
constexpr int PanelHeight = 33;
constexpr int StatusHeight = 19;
constexpr int FieldX = 72;
constexpr int FieldWidth = 265;
constexpr int LabelX = 16;
// Status bar panels: the account count, the modified mark, the data file.
constexpr int PanelWidths[3] = {30, 33, 250};

// The count panel grows to show its whole number, and the path panel gives up as much, so that
// the panels still end where they did.
void FitCountPanel(QLabel* count, QLabel* path) {
    const int width = std::max(PanelWidths[0], count->sizeHint().width());
    if (width == count->width())
        return;
    count->setFixedWidth(width);
    path->setFixedWidth(std::max(0, PanelWidths[2] - (width - PanelWidths[0])));
}

QFont ArialFont(int pixelSize) {
    // Liberation Sans has Arial's metrics and stands in for it where Arial is missing.
    QFont font(QStringLiteral("Arial"));
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(pixelSize);
    return font;
}

QLabel* CreateFieldLabel(QWidget* parent, const char* name, const QString& text, int y,
                         QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(LabelX, y + 4, FieldX - LabelX - 4, 16);
    label->setBuddy(buddy);
    buddy->setAccessibleName(text);
    return label;
}

} // namespace

TfrmMain::TfrmMain(TPlatformServices& platform, QWidget* parent)
    : QWidget(parent), FPlatform(platform), odlDataFile(platform, TFileDialogKind::fdOpen),
      sdlDataFile(platform, TFileDialogKind::fdSave),
      sdlOlderCopy(platform, TFileDialogKind::fdSave),
      odlBreachList(platform, TFileDialogKind::fdOpen),
      odlImport(platform, TFileDialogKind::fdOpen) {
    for (TFileDialog* dialog : {&odlDataFile, &sdlDataFile, &sdlOlderCopy}) {
        dialog->DefaultExt = "kvf";
        dialog->FileName = "PassData";
        //: Descriptions and file name patterns, separated by "|": translate the descriptions only.
        dialog->Filter = QStringToDisplay(tr("Password files|*.kvf|All files|*.*"));
    }
    odlDataFile.Title = QStringToDisplay(tr("Open password file"));
    sdlDataFile.Title = QStringToDisplay(tr("Save password file"));
    sdlOlderCopy.Title = QStringToDisplay(tr("Save a copy for older versions"));
    sdlOlderCopy.FileName = "PassData-older";
    CreateControls();
}

TfrmMain::~TfrmMain() {
    // The views of the vault go before the vault, which outlives the widgets' destruction.
    FVault.RemoveObserver(*this);
    delete FAccounts;
}

void TfrmMain::CreateControls() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setFixedSize(ClientWidth, ClientHeight);
    setFont(ArialFont(11));

    pnlControls = new QWidget(this);
    pnlControls->setObjectName(QStringLiteral("pnlControls"));
    pnlControls->setGeometry(0, 0, ClientWidth, PanelHeight);

    const int narrow = 23;
    const int wide = 41;
    spdNew = CreateToolButton("spdNew", 12, narrow, tr("New file"), QKeySequence::New,
                              &TfrmMain::spdNewClick);
    spdOpen = CreateToolButton("spdOpen", 36, narrow, tr("Open file"), QKeySequence::Open,
                               &TfrmMain::spdOpenClick);
    spdSave = CreateToolButton("spdSave", 60, narrow, tr("Save file"), QKeySequence::Save,
                               &TfrmMain::spdSaveClick);
    spdSaveAs =
        CreateToolButton("spdSaveAs", 84, narrow, tr("Save file as"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &TfrmMain::spdSaveAsClick);
    spdClose = CreateToolButton("spdClose", 108, narrow, tr("Close file"),
                                QKeySequence(Qt::CTRL | Qt::Key_W), &TfrmMain::spdCloseClick);
    // With Shift, so that the keys never take Ctrl+A (select all) or Ctrl+D from the fields.
    spdAdd =
        CreateToolButton("spdAdd", 140, narrow, tr("Add account"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), &TfrmMain::spdAddClick);
    spdDelete =
        CreateToolButton("spdDelete", 164, narrow, tr("Delete account"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), &TfrmMain::spdDeleteClick);
    spdChangePassword = CreateToolButton("spdChangePassword", 196, narrow, tr("Change password"),
                                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
                                         &TfrmMain::spdChangePasswordClick);
    spdAboutOmbrel = CreateToolButton("spdAboutOmbrel", 228, wide, tr("Ombrel Inc. website"), {},
                                      &TfrmMain::AboutClick);
    SpeedButton1 = CreateToolButton("SpeedButton1", 272, wide, tr("About Kestovar"),
                                    QKeySequence(Qt::Key_F1), &TfrmMain::AboutClick);
    spdExit = CreateToolButton("spdExit", 320, narrow, tr("Exit Kestovar"),
                               QKeySequence(Qt::CTRL | Qt::Key_Q), &TfrmMain::spdExitClick);

    const struct {
        QToolButton* button;
        TToolImage image;
    } images[] = {{spdNew, TToolImage::New},
                  {spdOpen, TToolImage::Open},
                  {spdSave, TToolImage::Save},
                  {spdSaveAs, TToolImage::SaveAs},
                  {spdClose, TToolImage::Close},
                  {spdAdd, TToolImage::Add},
                  {spdDelete, TToolImage::Delete},
                  {spdChangePassword, TToolImage::ChangePassword},
                  {spdAboutOmbrel, TToolImage::AboutOmbrel},
                  {SpeedButton1, TToolImage::About},
                  {spdExit, TToolImage::Exit}};
    for (const auto& entry : images)
        entry.button->setIcon(ToolIcon(entry.image));
    // Alt+F4 closes the window through the window manager, which asks to save like Exit does.

    bvlMain = new QFrame(this);
    bvlMain->setObjectName(QStringLiteral("bvlMain"));
    bvlMain->setFrameShape(QFrame::Box);
    bvlMain->setFrameShadow(QFrame::Sunken);
    bvlMain->setGeometry(8, 44, 337, 221);

    const QFont fieldFont = ArialFont(13);

    cboAccount = new QComboBox(this);
    cboAccount->setObjectName(QStringLiteral("cboAccount"));
    cboAccount->setGeometry(FieldX, 48, FieldWidth, 24);
    cboAccount->setFont(fieldFont);
    cboAccount->setEditable(false);
    cboAccount->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FAccounts = new TAccountListModel(FVault, cboAccount);
    cboAccount->setModel(FAccounts);
    if (auto* list = qobject_cast<QListView*>(cboAccount->view()))
        list->setUniformItemSizes(true);
    lblAccount = CreateFieldLabel(this, "lblAccount", tr("Account"), 48, cboAccount);
    // Only a choice by the user runs the handler; selecting by program does not.
    connect(cboAccount, &QComboBox::activated, this,
            [this] { Dispatch(&TfrmMain::cboAccountChange); });

    edtLogin = new QLineEdit(this);
    edtLogin->setObjectName(QStringLiteral("edtLogin"));
    edtLogin->setGeometry(FieldX, 76, FieldWidth, 24);
    edtLogin->setFont(fieldFont);
    RefuseNonAnsiInput(*edtLogin);
    lblLogin = CreateFieldLabel(this, "lblLogin", tr("Login ID"), 76, edtLogin);
    connect(edtLogin, &QLineEdit::textChanged, this,
            [this] { DispatchEdit(&TfrmMain::edtLoginChange); });

    edtPassword = new QLineEdit(this);
    edtPassword->setObjectName(QStringLiteral("edtPassword"));
    edtPassword->setGeometry(FieldX, 104, FieldWidth, 24);
    edtPassword->setFont(fieldFont);
    RefuseNonAnsiInput(*edtPassword);
    lblPassword = CreateFieldLabel(this, "lblPassword", tr("Password"), 104, edtPassword);
    connect(edtPassword, &QLineEdit::textChanged, this,
            [this] { DispatchEdit(&TfrmMain::edtPasswordChange); });

    mmoNotes = new TNotesEdit(this);
    mmoNotes->setObjectName(QStringLiteral("mmoNotes"));
    mmoNotes->setGeometry(FieldX, 132, FieldWidth, 129);
    mmoNotes->setFont(fieldFont);
    mmoNotes->setTabChangesFocus(true);
    lblNotes = CreateFieldLabel(this, "lblNotes", tr("Notes"), 132, mmoNotes);
    connect(mmoNotes, &QPlainTextEdit::textChanged, this,
            [this] { DispatchEdit(&TfrmMain::mmoNotesChange); });

    setTabOrder(cboAccount, edtLogin);
    setTabOrder(edtLogin, edtPassword);
    setTabOrder(edtPassword, mmoNotes);

    FClipboard = new TSecretClipboard(this);
    FClipboard->WatchFields({edtLogin, edtPassword, mmoNotes});

    lblVersion = new QLabel(QString::fromLatin1(KestovarVersion), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(19, 240, 40, 14);
    QFont versionFont = ArialFont(9);
    lblVersion->setFont(versionFont);
    // A role of the palette, not a fixed grey, so that a dark theme keeps the label legible.
    lblVersion->setForegroundRole(QPalette::PlaceholderText);

    bvlURL = new QFrame(this);
    bvlURL->setObjectName(QStringLiteral("bvlURL"));
    bvlURL->setFrameShape(QFrame::Box);
    bvlURL->setFrameShadow(QFrame::Sunken);
    bvlURL->setGeometry(8, 268, 337, 21);

    lblURL = new QLabel(this);
    lblURL->setObjectName(QStringLiteral("lblURL"));
    // The link takes the palette's link colour (blue in a light theme).
    lblURL->setText(QStringLiteral("<a href=\"about\">%1</a>")
                        .arg(QString::fromLatin1(OmbrelWebAddress).toHtmlEscaped()));
    lblURL->setTextFormat(Qt::RichText);
    lblURL->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    lblURL->setCursor(Qt::PointingHandCursor);
    lblURL->setGeometry(50, 272, 290, 14);
    lblURL->setAccessibleName(QString::fromLatin1(OmbrelWebAddress));
    connect(lblURL, &QLabel::linkActivated, this, [this] { Dispatch(&TfrmMain::AboutClick); });

    stbMain = new QStatusBar(this);
    stbMain->setObjectName(QStringLiteral("stbMain"));
    stbMain->setSizeGripEnabled(false);
    stbMain->setGeometry(0, ClientHeight - StatusHeight, ClientWidth, StatusHeight);
    const char* initial[3] = {"0", " ", "No data file"};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(tr(initial[i]), stbMain);
        panel->setObjectName(QStringLiteral("stbMainPanel%1").arg(i));
        panel->setFixedWidth(PanelWidths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        stbMain->addWidget(panel);
        FPanels[i] = panel;
    }

    CreateDailyActions();
    CreateNotesControls();
    CreateUndoCommands();
    CreateHardenedActions();
    CreateHealthAndImportActions();
    FVault.AddObserver(*this);

    // Until the first enabling rule runs only Exit and the About buttons work.
    for (QToolButton* button :
         {spdNew, spdOpen, spdSave, spdSaveAs, spdClose, spdAdd, spdDelete, spdChangePassword})
        button->setEnabled(false);
    UpdateFieldEnabling();
    UpdateHardenedActions();

    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

QToolButton* TfrmMain::CreateToolButton(const char* name, int x, int width, const QString& hint,
                                        const QKeySequence& shortcut, void (TfrmMain::*handler)()) {
    auto* button = new QToolButton(pnlControls);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(x, 5, width, 22);
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(hint);
    QString tip = hint;
    if (!shortcut.isEmpty()) {
        tip += QStringLiteral(" (%1)").arg(shortcut.toString(QKeySequence::NativeText));
        // The key does exactly what the button does, and only while the button is enabled:
        // click() does nothing on a disabled button.
        auto* action = new QAction(this);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, button, &QToolButton::click);
        addAction(action);
    }
    button->setToolTip(tip);
    connect(button, &QToolButton::clicked, this, [this, handler] { Dispatch(handler); });
    return button;
}

void TfrmMain::SetPanel(int panel, const QString& text) {
    FPanels[panel]->setText(text);
    if (panel == 0)
        FitCountPanel(FPanels[0], FPanels[2]);
}

QString TfrmMain::PanelText(int panel) const {
    return FPanels[panel]->text();
}

bool TfrmMain::RunHandler(const std::function<void()>& work) {
    // Qt's own code does not unwind: an error ends the handler here and is shown.
    const QScopedValueRollback depth(FHandlerDepth, FHandlerDepth + 1);
    try {
        work();
        return true;
    } catch (...) {
        FPlatform.ShowCurrentException();
        return false;
    }
}

void TfrmMain::RunPendingLock() {
    if (FHandlerDepth == 0 && FLockPending) {
        FLockPending = false;
        Dispatch(&TfrmMain::LockNow);
    }
}

void TfrmMain::Dispatch(void (TfrmMain::*handler)()) {
    RunHandler([this, handler] { (this->*handler)(); });
    RunPendingLock();
}

void TfrmMain::DispatchEdit(void (TfrmMain::*handler)()) {
    // Showing an account sets the fields too: that is not an edit, and nothing is read back.
    if (!FLoading)
        Dispatch(handler);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (FExiting) {
        event->accept();
        return;
    }
    // The command waiting for a key derivation ends first.
    if (FDeriving) {
        event->ignore();
        return;
    }
    // An error or a cancelled save keeps the window open with nothing discarded.
    event->ignore();
    RunHandler([this, event] {
        if (QuerySave())
            event->accept();
    });
    if (!event->isAccepted())
        RunPendingLock();
}
