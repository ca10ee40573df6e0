#include "app/FieldActions.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Drawn in a 16 by 16 space at the pixmap's own scale, so that a screen at twice the density gets
// lines drawn for it rather than a 16-pixel image enlarged.
QPixmap Drawn(TFieldAction action, int scale) {
    QPixmap pixmap(16 * scale, 16 * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1.2));
    switch (action) {
    case TFieldAction::Copy: // two sheets
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(2.5, 2.5, 8, 9));
        painter.drawRect(QRectF(5.5, 5.5, 8, 9));
        break;
    case TFieldAction::Generate: // a die
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
        painter.setBrush(QColor(60, 60, 60));
        for (const QPointF dot : {QPointF(5.5, 5.5), QPointF(8, 8), QPointF(10.5, 10.5)})
            painter.drawEllipse(dot, 1, 1);
        break;
    case TFieldAction::Show:
    case TFieldAction::Hide: { // an eye, struck through when the password is to be hidden
        QPainterPath eye;
        eye.moveTo(1.5, 8);
        eye.quadTo(8, 1, 14.5, 8);
        eye.quadTo(8, 15, 1.5, 8);
        painter.setBrush(Qt::white);
        painter.drawPath(eye);
        painter.setBrush(QColor(60, 60, 60));
        painter.drawEllipse(QPointF(8, 8), 2, 2);
        if (action == TFieldAction::Hide)
            painter.drawLine(QPointF(2.5, 13.5), QPointF(13.5, 2.5));
        break;
    }
    }
    return pixmap;
}

QIcon Drawn(TFieldAction action) {
    QIcon icon;
    for (const int scale : {1, 2})
        icon.addPixmap(Drawn(action, scale));
    return icon;
}

const char* ThemeName(TFieldAction action) {
    switch (action) {
    case TFieldAction::Copy:
        return "edit-copy";
    case TFieldAction::Generate:
        return "roll";
    case TFieldAction::Show:
        return "view-visible";
    case TFieldAction::Hide:
        return "view-hidden";
    }
    return "";
}

} // namespace

QIcon FieldActionIcon(TFieldAction action) {
    return QIcon::fromTheme(QLatin1String(ThemeName(action)), Drawn(action));
}
