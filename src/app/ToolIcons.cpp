#include "app/ToolIcons.h"

#include <QString>

namespace {

const char* ImageName(TToolImage image) {
    switch (image) {
    case TToolImage::New:
        return "new";
    case TToolImage::Open:
        return "open";
    case TToolImage::Save:
        return "save";
    case TToolImage::SaveAs:
        return "save-as";
    case TToolImage::Close:
        return "close";
    case TToolImage::Add:
        return "add";
    case TToolImage::Delete:
        return "delete";
    case TToolImage::ChangePassword:
        return "change-password";
    case TToolImage::AboutOmbrel:
        return "about-ombrel";
    case TToolImage::About:
        return "about";
    case TToolImage::Exit:
        return "exit";
    }
    return "new";
}

} // namespace

// Both densities are added by name: QIcon looks for "@2x" files on its own only when the
// application starts on a screen of that density, and a window can move to one later. The greyed
// files are the disabled look; the style's own would tint them toward the palette's window colour.
QIcon ToolIcon(TToolImage image) {
    const QString base = QStringLiteral(":/images/tools/%1").arg(QLatin1String(ImageName(image)));
    QIcon icon;
    for (const char* density : {"", "@2x"}) {
        icon.addFile(QStringLiteral("%1%2.png").arg(base, QLatin1String(density)), {},
                     QIcon::Normal);
        icon.addFile(QStringLiteral("%1-disabled%2.png").arg(base, QLatin1String(density)), {},
                     QIcon::Disabled);
    }
    return icon;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/images/program/kestovar-%1.png").arg(size));
    return icon;
}
