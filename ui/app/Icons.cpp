#include "ui/app/Icons.h"

#include <cmath>

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <initializer_list>
#include <string>

#include "model/EntryExtras.h"

namespace pernard::ui {

namespace {

using Drawing = std::function<void(QPainter&)>;

// Paints `draw` (in a 16 x 16 coordinate system) at several sizes: those of the tree's and the
// tool bar's icons at 100 %, 125 %, 150 %, 200 % and 250 % scaling, so that each is drawn sharp
// for the screen's pixel ratio rather than scaled.
QIcon Render(const Drawing& draw, QIcon::Mode mode = QIcon::Normal, QIcon base = QIcon(),
             std::initializer_list<int> sizes = {16, 20, 24, 30, 32, 36, 40, 48, 60, 64}) {
    QIcon icon = base;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

void Folder(QPainter& p, QColor fill, bool open) {
    const QColor edge = fill.darker(170);
    p.setPen(QPen(edge, 0.8));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(14.5, 5);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setBrush(fill.darker(115));
    p.drawPath(back);
    p.setBrush(fill);
    if (open) {
        QPainterPath front;
        front.moveTo(1.5, 13.5);
        front.lineTo(3.8, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13.2, 13.5);
        front.closeSubpath();
        p.drawPath(front);
    } else {
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 7), 0.8, 0.8);
    }
}

void Page(QPainter& p, QColor ground) {
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 2, 2);
    QPainterPath sheet;
    sheet.moveTo(4, 1.5);
    sheet.lineTo(10, 1.5);
    sheet.lineTo(13, 4.5);
    sheet.lineTo(13, 14.5);
    sheet.lineTo(4, 14.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 110), 0.8));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(220, 225, 235));
    p.drawPolygon(QPolygonF({QPointF(10, 1.5), QPointF(10, 4.5), QPointF(13, 4.5)}));
    p.setPen(QPen(QColor(70, 110, 190), 0.9));
    for (double y : {7.0, 9.0, 11.0, 13.0}) p.drawLine(QPointF(5.5, y), QPointF(11.5, y));
}

void Arrow(QPainter& p, double angle, QColor color) {
    p.save();
    p.translate(8, 8);
    p.rotate(angle);
    p.setPen(QPen(color.darker(140), 0.8));
    p.setBrush(color);
    p.drawPolygon(QPolygonF({QPointF(0, -7), QPointF(6.5, 0), QPointF(2.5, 0), QPointF(2.5, 7),
                             QPointF(-2.5, 7), QPointF(-2.5, 0), QPointF(-6.5, 0)}));
    p.restore();
}

void Sheet(QPainter& p, QRectF rect) {
    p.setPen(QPen(QColor(80, 80, 100), 0.8));
    p.setBrush(Qt::white);
    p.drawRect(rect);
    p.setPen(QPen(QColor(70, 110, 190), 0.8));
    for (double y = rect.top() + 2.5; y < rect.bottom() - 1; y += 2) {
        p.drawLine(QPointF(rect.left() + 1.5, y), QPointF(rect.right() - 1.5, y));
    }
}

const QColor kYellow(246, 200, 60);
const QColor kBlue(90, 150, 230);

Drawing ToolDrawing(int index) {
    switch (index) {
        case 0:  // 展開: open folder with its pages spread
            return [](QPainter& p) {
                Folder(p, kBlue, true);
                p.setPen(QPen(QColor(40, 120, 40), 1.6));
                p.drawLine(QPointF(8, 0.5), QPointF(8, 5));
                p.drawLine(QPointF(5.8, 2.8), QPointF(10.2, 2.8));
            };
        case 1:  // 検索: magnifier
            return [](QPainter& p) {
                p.setPen(QPen(QColor(60, 60, 70), 2));
                p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
                p.setPen(QPen(QColor(60, 60, 70), 1.4));
                p.setBrush(QColor(200, 230, 255));
                p.drawEllipse(QPointF(6.5, 6.5), 4.8, 4.8);
            };
        case 2:
            return [](QPainter& p) { Arrow(p, 0, QColor(80, 170, 80)); };
        case 3:
            return [](QPainter& p) { Arrow(p, 180, QColor(80, 170, 80)); };
        case 4:  // 切取り: scissors
            return [](QPainter& p) {
                p.setPen(QPen(QColor(70, 70, 80), 1.2));
                p.drawLine(QPointF(4, 1), QPointF(11, 11));
                p.drawLine(QPointF(12, 1), QPointF(5, 11));
                p.setBrush(QColor(220, 80, 80));
                p.drawEllipse(QPointF(4, 12.5), 2.5, 2.5);
                p.drawEllipse(QPointF(12, 12.5), 2.5, 2.5);
            };
        case 5:  // コピー: two sheets
            return [](QPainter& p) {
                Sheet(p, QRectF(1.5, 1.5, 8.5, 10));
                Sheet(p, QRectF(6, 4.5, 8.5, 10));
            };
        case 6:  // 貼付け: clipboard
            return [](QPainter& p) {
                p.setPen(QPen(QColor(120, 80, 40), 0.8));
                p.setBrush(QColor(200, 150, 90));
                p.drawRoundedRect(QRectF(2, 2, 11, 13.5), 1.5, 1.5);
                p.setBrush(QColor(150, 150, 160));
                p.drawRect(QRectF(5, 1, 5, 2.5));
                Sheet(p, QRectF(7, 6, 8, 9));
            };
        case 7:  // 削除: red cross
            return [](QPainter& p) {
                p.setPen(QPen(QColor(210, 50, 50), 3, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
                p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
            };
        case 8:  // 中止: stop sign
            return [](QPainter& p) {
                QPolygonF octagon;
                for (int k = 0; k < 8; ++k) {
                    const double a = (22.5 + 45 * k) * 3.14159265 / 180;
                    octagon << QPointF(8 + 7 * std::cos(a), 8 + 7 * std::sin(a));
                }
                p.setPen(QPen(QColor(150, 30, 30), 0.8));
                p.setBrush(QColor(215, 55, 55));
                p.drawPolygon(octagon);
                p.setPen(QPen(Qt::white, 1.8));
                p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
            };
        case 9:  // 編集: pencil on a sheet
            return [](QPainter& p) {
                Sheet(p, QRectF(1.5, 1.5, 9, 13));
                p.setPen(QPen(QColor(120, 70, 20), 0.8));
                p.setBrush(QColor(245, 190, 70));
                p.drawPolygon(QPolygonF({QPointF(13, 2), QPointF(15, 4), QPointF(8, 11),
                                         QPointF(5.5, 12), QPointF(6, 9.5)}));
            };
        case 10:  // 更新順: clock
            return [](QPainter& p) {
                p.setPen(QPen(QColor(60, 60, 70), 1.2));
                p.setBrush(Qt::white);
                p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
                p.drawLine(QPointF(8, 8), QPointF(8, 3.5));
                p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
            };
        case 11:  // 再読込: circular arrow
            return [](QPainter& p) {
                p.setPen(QPen(QColor(60, 130, 60), 2));
                p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
                p.setBrush(QColor(60, 130, 60));
                p.setPen(Qt::NoPen);
                p.drawPolygon(QPolygonF({QPointF(10, 0.5), QPointF(14, 3.5), QPointF(9.5, 5.5)}));
            };
        case 12:  // ﾁｪｯｸ: check mark
            return [](QPainter& p) {
                p.setPen(QPen(QColor(40, 150, 60), 2.6, Qt::SolidLine, Qt::RoundCap));
                p.drawPolyline(
                    QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
            };
        case 13:  // ﾌﾞﾗｳｻﾞ: globe
            return [](QPainter& p) {
                p.setPen(QPen(QColor(30, 90, 160), 1));
                p.setBrush(QColor(150, 200, 245));
                p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(QPointF(8, 8), 3, 6.8);
                p.drawLine(QPointF(1.2, 8), QPointF(14.8, 8));
                p.drawLine(QPointF(2.5, 4.5), QPointF(13.5, 4.5));
                p.drawLine(QPointF(2.5, 11.5), QPointF(13.5, 11.5));
            };
        case 14:
            return [](QPainter& p) { Arrow(p, -90, QColor(80, 130, 200)); };
        case 16:  // 最近追加: a sheet with a plus
            return [](QPainter& p) {
                Sheet(p, QRectF(1.5, 1.5, 10, 13));
                p.setPen(QPen(QColor(40, 150, 60), 2.2));
                p.drawLine(QPointF(12, 7.5), QPointF(12, 14.5));
                p.drawLine(QPointF(8.5, 11), QPointF(15.5, 11));
            };
        default:
            return [](QPainter& p) { Arrow(p, 90, QColor(80, 130, 200)); };
    }
}

Drawing SmallDrawing(int index) {
    switch (index) {
        case 0:
            return [](QPainter& p) { Folder(p, kYellow, false); };
        case 1:
            return [](QPainter& p) { Folder(p, kYellow, true); };
        case 2:
            return [](QPainter& p) { Page(p, QColor(110, 200, 110)); };
        case 3:
            return [](QPainter& p) { Page(p, QColor(255, 255, 255, 0)); };
        case 4:
            return [](QPainter& p) { Folder(p, kBlue, false); };
        default:
            return [](QPainter& p) { Folder(p, kBlue, true); };
    }
}

}  // namespace

QIcon SmallImage(int index) {
    static QHash<int, QIcon> cache;
    auto found = cache.find(index);
    if (found == cache.end()) found = cache.insert(index, Render(SmallDrawing(index)));
    return found.value();
}

QIcon NodeIcon(int imageIndex, int selectedIndex) {
    static QHash<int, QIcon> cache;
    const int key = imageIndex * 16 + selectedIndex;
    auto found = cache.find(key);
    if (found == cache.end()) {
        QIcon icon = Render(SmallDrawing(imageIndex));
        icon = Render(SmallDrawing(selectedIndex), QIcon::Selected, icon);
        found = cache.insert(key, icon);
    }
    return found.value();
}

QIcon ToolImage(int index) {
    static QHash<int, QIcon> cache;
    auto found = cache.find(index);
    if (found == cache.end()) found = cache.insert(index, Render(ToolDrawing(index)));
    return found.value();
}

QIcon CarriedIcon(std::string_view packedExtras) {
    // Most entries carry no extras, and most extras no image: both pass without unpacking.
    if (packedExtras.find("data:") == std::string_view::npos) return {};
    const std::string uri = AttributeText(UnpackExtras(packedExtras).attributes, "ICON");
    if (uri.rfind("data:", 0) != 0) return {};
    static QHash<QByteArray, QIcon> cache;
    const QByteArray key = QByteArray::fromStdString(uri);
    const auto found = cache.constFind(key);
    if (found != cache.constEnd()) return found.value();
    QIcon icon;
    const qsizetype comma = key.indexOf(',');
    if (comma > 0) {
        const QByteArray header = key.left(comma);
        const QByteArray payload = key.mid(comma + 1);
        const QByteArray bytes = header.endsWith(";base64")
                                     ? QByteArray::fromBase64(payload)
                                     : QByteArray::fromPercentEncoding(payload);
        QPixmap image;
        if (image.loadFromData(bytes)) icon = QIcon(image);
    }
    cache.insert(key, icon);
    return icon;
}

QIcon QuestionImage() {
    // At the message box's 32 pixels and at 125 % to 300 % of it.
    static const QIcon icon = Render(
        [](QPainter& p) {
            p.setPen(QPen(QColor(20, 60, 130), 0.6));
            p.setBrush(QColor(40, 90, 170));
            p.drawEllipse(QRectF(0.8, 0.8, 14.4, 14.4));
            QFont font = p.font();
            font.setBold(true);
            font.setPixelSize(11);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, "?");
        },
        QIcon::Normal, QIcon(), {32, 40, 48, 64, 80, 96});
    return icon;
}

QIcon ProgramIcon() {
    static const QIcon icon = Render([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 90, 170));
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        p.setBrush(QColor(246, 200, 60));
        p.drawPolygon(QPolygonF({QPointF(4.5, 2), QPointF(11.5, 2), QPointF(11.5, 14),
                                 QPointF(8, 10.5), QPointF(4.5, 14)}));
    });
    return icon;
}

}  // namespace pernard::ui
