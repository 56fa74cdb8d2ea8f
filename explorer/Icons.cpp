#include "explorer/Icons.h"

#include <functional>
#include <initializer_list>
#include <map>

#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "store/Images.h"

namespace brindlex {

namespace {

using Drawing = std::function<void(QPainter&)>;  // draws into a 16 x 16 square

// An icon engine that paints its drawing at any size.
class PaintedIcon : public QIconEngine
{
public:
    explicit PaintedIcon(Drawing drawing)
        : m_drawing(std::move(drawing))
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const qreal side = qMin(rect.width(), rect.height());
        painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / 16.0, side / 16.0);
        if (mode == QIcon::Disabled) {
            painter->setOpacity(0.35);
        }
        m_drawing(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new PaintedIcon(m_drawing); }

private:
    Drawing m_drawing;
};

QIcon painted(Drawing drawing)
{
    return QIcon(new PaintedIcon(std::move(drawing)));
}

QPen outline(const QColor& color, qreal width = 0.8)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// The closed outline through `corners`, in order.
QPainterPath polygon(std::initializer_list<QPointF> corners)
{
    QPainterPath path;
    path.moveTo(*corners.begin());
    for (auto corner = corners.begin() + 1; corner != corners.end(); ++corner) {
        path.lineTo(*corner);
    }
    path.closeSubpath();
    return path;
}

// A fill shading from `top` at height `from` to `bottom` at height `to`.
QLinearGradient shading(qreal from, qreal to, const QColor& top, const QColor& bottom)
{
    QLinearGradient fill(0, from, 0, to);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    return fill;
}

void folderClosed(QPainter& p)
{
    p.setPen(outline(QColor(0xa0, 0x70, 0x10)));
    p.setBrush(shading(3, 14, QColor(0xfd, 0xd8, 0x6a), QColor(0xe8, 0xa8, 0x2a)));
    p.drawPath(polygon({ { 1.5, 3.5 }, { 6, 3.5 }, { 7.5, 5 }, { 14.5, 5 }, { 14.5, 13.5 }, { 1.5, 13.5 } }));
    p.setPen(outline(QColor(0xff, 0xf0, 0xb8), 0.6));
    p.drawLine(QPointF(2.3, 6.2), QPointF(13.7, 6.2));
}

void folderOpen(QPainter& p)
{
    p.setPen(outline(QColor(0xa0, 0x70, 0x10)));
    p.setBrush(QColor(0xe0, 0xa0, 0x28));
    p.drawPath(polygon({ { 1.5, 3.5 }, { 6, 3.5 }, { 7.5, 5 }, { 13, 5 }, { 13, 7 }, { 1.5, 13.5 } }));
    p.setBrush(shading(7, 14, QColor(0xff, 0xe8, 0x90), QColor(0xf0, 0xb8, 0x40)));
    p.drawPath(polygon({ { 4, 7 }, { 15.5, 7 }, { 13, 13.5 }, { 1.5, 13.5 } }));
}

void globe(QPainter& p, const QRectF& r, const QColor& colour)
{
    QRadialGradient fill(r.center() - QPointF(r.width() / 5, r.height() / 5), r.width() * 0.7);
    fill.setColorAt(0, colour.lighter(170));
    fill.setColorAt(1, colour);
    p.setPen(outline(colour.darker(160)));
    p.setBrush(fill);
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.setPen(outline(QColor(255, 255, 255, 170), 0.6));
    p.drawEllipse(QRectF(r.center().x() - r.width() / 4, r.top(), r.width() / 2, r.height()));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
}

void root(QPainter& p)
{
    // A card-file cabinet: the whole database.
    p.setPen(outline(QColor(0x30, 0x40, 0x70)));
    p.setBrush(shading(1, 15, QColor(0x8c, 0xa8, 0xe0), QColor(0x40, 0x60, 0xb0)));
    p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.2, 1.2);
    p.setBrush(QColor(0xf4, 0xf6, 0xfc));
    p.drawRect(QRectF(4, 3.5, 8, 4));
    p.drawRect(QRectF(4, 9, 8, 4));
    p.setPen(outline(QColor(0x30, 0x40, 0x70), 1.0));
    p.drawLine(QPointF(7, 5.5), QPointF(9, 5.5));
    p.drawLine(QPointF(7, 11), QPointF(9, 11));
}

void page(QPainter& p, const QRectF& r)
{
    p.setPen(outline(QColor(0x60, 0x60, 0x68)));
    p.setBrush(Qt::white);
    p.drawPath(polygon(
        { r.topLeft(), { r.right() - 3, r.top() }, { r.right(), r.top() + 3 }, r.bottomRight(), r.bottomLeft() }));
}

void link(QPainter& p)
{
    page(p, QRectF(2.5, 1.5, 10, 13));
    globe(p, QRectF(6.5, 7.5, 8, 8), QColor(0x2a, 0x7a, 0xd0));
}

// A round badge with a letter: the browser clients.
Drawing badge(QColor colour, QString letter)
{
    return [colour, letter](QPainter& p) {
        globe(p, QRectF(1, 1, 14, 14), colour);
        QFont font;
        font.setBold(true);
        font.setPixelSize(9);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 1, 14, 14.5), Qt::AlignCenter, letter);
    };
}

void back(QPainter& p)
{
    p.setPen(outline(QColor(0x1c, 0x5c, 0x1c)));
    p.setBrush(shading(2, 14, QColor(0x6c, 0xc0, 0x5c), QColor(0x2c, 0x8a, 0x2c)));
    p.drawPath(polygon(
        { { 1.5, 8 }, { 7.5, 2.5 }, { 7.5, 5.5 }, { 14.5, 5.5 }, { 14.5, 10.5 }, { 7.5, 10.5 }, { 7.5, 13.5 } }));
}

void cut(QPainter& p)
{
    p.setPen(outline(QColor(0x50, 0x50, 0x58), 1.2));
    p.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 10));
    p.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 10));
    p.setPen(outline(QColor(0xb0, 0x20, 0x20), 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2, 10, 4.5, 4.5));
    p.drawEllipse(QRectF(9.5, 10, 4.5, 4.5));
}

void lines(QPainter& p, qreal left, qreal right, qreal top, int count, qreal step)
{
    p.setPen(outline(QColor(0x80, 0x88, 0xa0), 0.7));
    for (int i = 0; i < count; ++i) {
        p.drawLine(QPointF(left, top + i * step), QPointF(right, top + i * step));
    }
}

void copy(QPainter& p)
{
    page(p, QRectF(1.5, 1.5, 8, 10));
    lines(p, 3, 7, 4.5, 3, 2);
    page(p, QRectF(6.5, 4.5, 8, 10));
    lines(p, 8, 12, 7.5, 3, 2);
}

void paste(QPainter& p)
{
    p.setPen(outline(QColor(0x70, 0x48, 0x20)));
    p.setBrush(QColor(0xc8, 0x90, 0x50));
    p.drawRoundedRect(QRectF(2, 2.5, 11, 12.5), 1, 1);
    p.setBrush(QColor(0xa0, 0xa0, 0xa8));
    p.drawRoundedRect(QRectF(5, 1, 5, 3), 0.8, 0.8);
    page(p, QRectF(6.5, 6, 8, 9));
    lines(p, 8, 12.5, 9, 3, 1.8);
}

void remove(QPainter& p)
{
    p.setPen(outline(QColor(0xc0, 0x18, 0x18), 2.6));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void properties(QPainter& p)
{
    page(p, QRectF(2.5, 1.5, 11, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2a, 0x7a, 0xd0));
    p.drawRect(QRectF(4, 4, 3, 3));
    lines(p, 8, 11.5, 4.5, 2, 2);
    lines(p, 4, 11.5, 9, 3, 1.8);
}

// One blue square of the view pictures.
void tile(QPainter& p, const QRectF& r)
{
    p.setPen(outline(QColor(0x30, 0x50, 0x90), 0.6));
    p.setBrush(QColor(0x70, 0xa0, 0xe0));
    p.drawRect(r);
}

void squares(QPainter& p, int perRow, qreal size, qreal gap, qreal origin)
{
    for (int row = 0; row < perRow; ++row) {
        for (int column = 0; column < perRow; ++column) {
            tile(p, QRectF(origin + column * (size + gap), origin + row * (size + gap), size, size));
        }
    }
}

void viewLargeIcons(QPainter& p)
{
    squares(p, 2, 5.5, 2, 1.75);
}

// Two columns of `rows` small tiles, each with its caption line.
void tileColumns(QPainter& p, int rows, qreal top, qreal step, qreal side)
{
    for (int column = 0; column < 2; ++column) {
        for (int row = 0; row < rows; ++row) {
            const qreal x = 1.5 + column * 7.5;
            const qreal y = top + row * step;
            tile(p, QRectF(x, y, side, side));
            lines(p, x + side + 1, x + 6, y + side / 2, 1, 0);
        }
    }
}

void viewSmallIcons(QPainter& p)
{
    tileColumns(p, 3, 2, 4.5, 2.5);
}

void viewList(QPainter& p)
{
    tileColumns(p, 4, 1.5, 3.5, 2);
}

void viewDetails(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x90, 0x98, 0xb0));
    p.drawRect(QRectF(1, 1.5, 14, 2.5));
    for (int row = 0; row < 4; ++row) {
        const qreal y = 5.5 + row * 2.7;
        tile(p, QRectF(1.5, y, 1.8, 1.8));
        lines(p, 4.5, 8.5, y + 0.9, 1, 0);
        lines(p, 10, 14.5, y + 0.9, 1, 0);
    }
}

void newFolder(QPainter& p)
{
    folderClosed(p);
    p.setPen(outline(QColor(0xff, 0xff, 0xff), 2.4));
    p.drawLine(QPointF(12, 0.5), QPointF(12, 6.5));
    p.drawLine(QPointF(9, 3.5), QPointF(15, 3.5));
    p.setPen(outline(QColor(0x1c, 0x8a, 0x1c), 1.4));
    p.drawLine(QPointF(12, 1), QPointF(12, 6));
    p.drawLine(QPointF(9.5, 3.5), QPointF(14.5, 3.5));
}

void getURL(QPainter& p)
{
    globe(p, QRectF(1, 1, 11, 11), QColor(0x2a, 0x7a, 0xd0));
    p.setPen(outline(QColor(0x1c, 0x5c, 0x1c)));
    p.setBrush(QColor(0x4c, 0xb0, 0x3c));
    p.drawPath(polygon(
        { { 10.5, 8 }, { 14.5, 8 }, { 14.5, 11.5 }, { 16, 11.5 }, { 12.5, 15.5 }, { 9, 11.5 }, { 10.5, 11.5 } }));
}

const QColor NetscapeColour(0x10, 0x60, 0x70);
const QColor ExplorerColour(0x1c, 0x5c, 0xd8);
const QColor NCSAColour(0x70, 0x30, 0x90);
const QColor SpyglassColour(0x20, 0x80, 0x40);
const QColor SpryColour(0xc0, 0x50, 0x10);

QIcon cached(std::map<int, QIcon>& cache, int number, const std::function<Drawing(int)>& drawingOf)
{
    const auto it = cache.find(number);
    if (it != cache.end()) {
        return it->second;
    }
    return cache.emplace(number, painted(drawingOf(number))).first->second;
}

}  // namespace

QIcon paneImage(int number)
{
    static std::map<int, QIcon> cache;
    return cached(cache, number, [](int n) -> Drawing {
        switch (static_cast<Image>(n)) {
        case Image::Folder:
            return folderClosed;
        case Image::OpenFolder:
            return folderOpen;
        case Image::Root:
            return root;
        case Image::Netscape:
            return badge(NetscapeColour, QStringLiteral("N"));
        case Image::Iexplore:
            return badge(ExplorerColour, QStringLiteral("e"));
        case Image::NcsaMosaic:
            return badge(NCSAColour, QStringLiteral("M"));
        case Image::SpyglassMosaic:
            return badge(SpyglassColour, QStringLiteral("S"));
        case Image::SpryMosaic:
            return badge(SpryColour, QStringLiteral("Y"));
        case Image::Link:
            break;
        }
        return link;
    });
}

QIcon toolbarImage(int number)
{
    static std::map<int, QIcon> cache;
    return cached(cache, number, [](int n) -> Drawing {
        switch (n) {
        case 1:
            return back;
        case 2:
            return cut;
        case 3:
            return copy;
        case 4:
            return paste;
        case 5:
            return remove;
        case 6:
            return properties;
        case 7:
            return viewLargeIcons;
        case 8:
            return viewSmallIcons;
        case 9:
            return viewList;
        case 10:
            return viewDetails;
        case 11:
            return newFolder;
        case 12:
            return getURL;
        case 13:
            return badge(NetscapeColour, QStringLiteral("N"));
        case 14:
            return badge(ExplorerColour, QStringLiteral("e"));
        case 15:
            return badge(NCSAColour, QStringLiteral("M"));
        case 16:
            return badge(SpyglassColour, QStringLiteral("S"));
        case 17:
            return badge(SpryColour, QStringLiteral("Y"));
        default:
            return link;
        }
    });
}

QIcon programIcon()
{
    // Rendered at build time from the program's SVG icon, the same pictures the desktop's
    // icon theme gets, so the window, tray and menu entry show one icon.
    static const QIcon icon = [] {
        QIcon made;
        for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
            made.addFile(QStringLiteral(":/icons/%1/org.brindlex.Brindlex.png").arg(size), QSize(size, size));
        }
        return made;
    }();
    return icon;
}

}  // namespace brindlex
