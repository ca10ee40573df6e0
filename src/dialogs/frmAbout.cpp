#include "dialogs/frmAbout.h"

#include "base/Version.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/WebAddress.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr const char* AdvertText = QT_TRANSLATE_NOOP(
    "TfrmAboutKV",
    "Ombrel Ledger\n"
    "Household accounts, budgets and standing orders in one small window.\n"
    "https://www.ombrel.example/ledger\n"
    "\n"
    "Ombrel Tally\n"
    "Time sheets for freelancers, with weekly and monthly totals ready for invoicing.\n"
    "https://www.ombrel.example/tally\n"
    "\n"
    "Ombrel Shelf\n"
    "A catalogue of your books, records and films, searchable by title, author or "
    "borrower.\n"
    "https://www.ombrel.example/shelf\n"
    "\n"
    "Ombrel Courier\n"
    "Letters and labels from your address lists, merged and printed in one go.\n"
    "https://www.ombrel.example/courier\n"
    "\n"
    "Every program can be tried free for 30 days. Visit our web site for downloads, "
    "updates and support.");

QFont ScaledFont(const QFont& base, double factor, bool bold) {
    QFont font = base;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

// The advertisement stands out in yellow. Under a dark theme a bright yellow block would glare
// beside the rest of the window, so there it is a dark yellow under the theme's own light text.
QPalette AdvertPalette(QPalette palette) {
    const bool darkTheme = palette.color(QPalette::Base).lightness() < 128;
    if (darkTheme) {
        palette.setColor(QPalette::Base, QColor(0x55, 0x4b, 0x00));
        if (palette.color(QPalette::Text).lightness() < 192)
            palette.setColor(QPalette::Text, Qt::white);
    } else {
        palette.setColor(QPalette::Base, Qt::yellow);
        palette.setColor(QPalette::Text, Qt::black);
    }
    return palette;
}

} // namespace

TfrmAboutKV::TfrmAboutKV(QWidget* parent, TOpenWebAddress openWebAddress)
    : QDialog(parent, DialogWithoutSystemMenu | Qt::WindowCloseButtonHint),
      FOpenWebAddress(std::move(openWebAddress)) {
    setObjectName(QStringLiteral("frmAboutKV"));
    setWindowTitle(tr("About Kestovar v%1").arg(QLatin1String(KestovarVersion)));

    lblProductName = new QLabel(QStringLiteral("Kestovar"), this);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    lblProductName->setFont(ScaledFont(font(), 1.6, true));
    lblVersion = new QLabel(tr("Version %1").arg(QLatin1String(KestovarVersion)), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDescription = new QLabel(tr("Your passwords in one small vault, every account "
                                   "enciphered with Blowfish under your master password."),
                                this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblCopyright = new QLabel(QStringLiteral("Copyright \u00A9 Ombrel Inc."), this);
    lblCopyright->setObjectName(QStringLiteral("lblCopyright"));

    pnlAdvert = new QFrame(this);
    pnlAdvert->setObjectName(QStringLiteral("pnlAdvert"));
    pnlAdvert->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlAdvert->setLineWidth(2);
    pnlAdvert->setFixedSize(313, 233);
    pnlAdvert->setCursor(Qt::PointingHandCursor);
    pnlAdvert->setToolTip(QString::fromLatin1(OmbrelWebAddress));
    pnlAdvert->installEventFilter(this);
    lblAdvertHeading = new QLabel(tr("More programs from Ombrel Inc."), pnlAdvert);
    lblAdvertHeading->setObjectName(QStringLiteral("lblAdvertHeading"));
    lblAdvertHeading->setFont(ScaledFont(font(), 1.0, true));
    lblAdvertHeading->setAlignment(Qt::AlignCenter);
    rtfAdvert = new QPlainTextEdit(pnlAdvert);
    rtfAdvert->setObjectName(QStringLiteral("rtfAdvert"));
    rtfAdvert->setReadOnly(true);
    rtfAdvert->setPlainText(tr(AdvertText));
    rtfAdvert->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    rtfAdvert->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    rtfAdvert->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rtfAdvert->setPalette(AdvertPalette(rtfAdvert->palette()));
    // The text area is for reading and scrolling; a click on it opens nothing.
    rtfAdvert->setCursor(Qt::ArrowCursor);
    rtfAdvert->viewport()->setCursor(Qt::IBeamCursor);

    pnlButtons = new QFrame(this);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    btnWebSite = new QPushButton(tr("Visit our web site"), pnlButtons);
    btnWebSite->setObjectName(QStringLiteral("btnWebSite"));
    btnWebSite->setToolTip(QString::fromLatin1(OmbrelWebAddress));
    btnClose = new QPushButton(tr("Close"), pnlButtons);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);

    auto* advertLayout = new QVBoxLayout(pnlAdvert);
    advertLayout->setContentsMargins(4, 4, 4, 4);
    advertLayout->setSpacing(4);
    advertLayout->addWidget(lblAdvertHeading);
    advertLayout->addWidget(rtfAdvert, 1);
    auto* buttonLayout = new QHBoxLayout(pnlButtons);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->addWidget(btnWebSite);
    buttonLayout->addStretch(1);
    buttonLayout->addWidget(btnClose);
    auto* formLayout = new QVBoxLayout(this);
    formLayout->setContentsMargins(4, 8, 5, 6);
    formLayout->setSpacing(4);
    formLayout->addWidget(lblProductName);
    formLayout->addWidget(lblVersion);
    formLayout->addWidget(lblDescription);
    formLayout->addWidget(lblCopyright);
    formLayout->addStretch(1);
    formLayout->addWidget(pnlAdvert, 0, Qt::AlignHCenter);
    formLayout->addWidget(pnlButtons);

    connect(btnWebSite, &QPushButton::clicked, this, &TfrmAboutKV::OpenProductPage);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(322, 409);
    CentreOnScreen(*this);
    btnClose->setFocus();
}

bool TfrmAboutKV::eventFilter(QObject* watched, QEvent* event) {
    // A left click on the panel or its heading (labels pass mouse events on). The release goes to
    // the widget that took the press, so a release here ends a press made here.
    if (watched == pnlAdvert && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            pnlAdvert->rect().contains(mouse->position().toPoint())) {
            OpenProductPage();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAboutKV::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once the window exists its frame may be known, which the centring takes into account.
    if (!event->spontaneous())
        CentreOnScreen(*this);
}

void TfrmAboutKV::OpenProductPage() const {
    if (FOpenWebAddress)
        FOpenWebAddress(OmbrelWebAddress);
}
