#include "app/ClipboardPort.h"

#include <QApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace {

// wl-copy leaves a process behind that serves the text; it has forked once this one ends.
constexpr int ToolWaitMs = 3000;

} // namespace

TQtClipboardPort::TQtClipboardPort(QObject* parent) : TClipboardPort(parent) {
    connect(QApplication::clipboard(), &QClipboard::changed, this, &TClipboardPort::Changed);
}

QString TQtClipboardPort::Text(QClipboard::Mode mode) const {
    return QApplication::clipboard()->text(mode);
}

void TQtClipboardPort::SetSecret(const QString& text) {
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    data->setData(QString::fromLatin1(PasswordManagerHintFormat), QByteArrayLiteral("secret"));
    QApplication::clipboard()->setMimeData(data.release(), QClipboard::Clipboard);
}

void TQtClipboardPort::SetEmpty(QClipboard::Mode mode) {
    QApplication::clipboard()->setText(QString(), mode);
}

bool TQtClipboardPort::MayRefuseChange() const {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
           !QGuiApplication::focusWindow();
}

bool TQtClipboardPort::SetEmptyWithTool(QClipboard::Mode mode) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("wl-copy"));
    if (tool.isEmpty())
        return false;
    QStringList arguments;
    if (mode == QClipboard::Selection)
        arguments << QStringLiteral("--primary");
    QProcess process;
    process.start(tool, arguments);
    process.closeWriteChannel(); // nothing on its standard input: an empty text
    return process.waitForFinished(ToolWaitMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}
