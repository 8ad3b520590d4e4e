// Draws the program's pictures: the icon in several sizes, the product bitmap of the General and board
// pages, and the small "File" and "Board" icons of the board page. The PNG files it writes are kept in
// res/, with the icon's sizes also packed into one Windows icon file; run it after changing a drawing:
//
//     cmake --build build --target ruva_draw_art && QT_QPA_PLATFORM=offscreen build/ui/ruva_draw_art res

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

const QColor Pcb(0x1f, 0x6e, 0x3a);
const QColor PcbEdge(0x14, 0x4d, 0x28);
const QColor Gold(0xd9, 0xa4, 0x2b);
const QColor Chip(0x22, 0x22, 0x26);
const QColor Steel(0xb8, 0xbe, 0xc6);
const QColor Trace(0x3c, 0x9a, 0x5c);

QImage Canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A chip with pins on its two long sides and an optional marking.
void DrawChip(QPainter& p, const QRectF& body, int pins, const QString& marking = {}) {
    p.setPen(Qt::NoPen);
    p.setBrush(Steel);
    const qreal pitch = body.width() / pins;
    const qreal pin = body.height() * 0.12;
    for (int i = 0; i < pins; ++i) {
        const qreal x = body.left() + pitch * (i + 0.25);
        p.drawRect(QRectF(x, body.top() - pin, pitch * 0.5, pin));
        p.drawRect(QRectF(x, body.bottom(), pitch * 0.5, pin));
    }
    p.setBrush(Chip);
    p.drawRoundedRect(body, 1.5, 1.5);
    if (!marking.isEmpty()) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(qMax(6, int(body.height() * 0.38)));
        // Shrink the marking until it fits the body with a little margin.
        while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(marking) > body.width() * 0.85)
            font.setPixelSize(font.pixelSize() - 1);
        p.setFont(font);
        p.setPen(QColor(0xe8, 0xe8, 0xe8));
        p.drawText(body, Qt::AlignCenter, marking);
    }
}

// An RJ48 jack seen from the bracket side.
void DrawJack(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(0x55, 0x5a, 0x60), r.width() * 0.06));
    p.setBrush(QColor(0xe6, 0xe6, 0xe0));
    p.drawRoundedRect(r, r.width() * 0.1, r.width() * 0.1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    const QRectF mouth(r.left() + r.width() * 0.18, r.top() + r.height() * 0.2, r.width() * 0.64,
                       r.height() * 0.6);
    p.drawRect(mouth);
    p.setBrush(Gold);
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(mouth.left() + mouth.width() * (0.12 + 0.21 * i), mouth.top(), mouth.width() * 0.08,
                          mouth.height() * 0.35));
}

// A green and an amber status LED.
void DrawLeds(QPainter& p, QPointF green, QPointF amber, qreal radius) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9c, 0xe0, 0x5a));
    p.drawEllipse(green, radius, radius);
    p.setBrush(QColor(0xf2, 0x9a, 0x2e));
    p.drawEllipse(amber, radius, radius);
}

// The program icon: a line-interface card with its edge connector, a controller chip and two jacks.
QImage DrawIcon(int size) {
    QImage image = Canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // The card, slightly tilted so that it reads as an object rather than a flag.
    p.translate(32, 32);
    p.rotate(-8);
    p.translate(-32, -32);
    const QRectF card(6, 12, 52, 34);
    p.setPen(QPen(PcbEdge, 1.5));
    QLinearGradient shade(card.topLeft(), card.bottomLeft());
    shade.setColorAt(0, Pcb.lighter(120));
    shade.setColorAt(1, Pcb);
    p.setBrush(shade);
    p.drawRoundedRect(card, 2.5, 2.5);

    // Edge connector fingers below the card.
    p.setPen(Qt::NoPen);
    p.setBrush(Pcb);
    p.drawRect(QRectF(16, 46, 36, 6));
    p.setBrush(Gold);
    for (int i = 0; i < 9; ++i)
        p.drawRect(QRectF(17.5 + 3.8 * i, 46.5, 2.2, 5));

    // Traces from the chip to the jacks.
    p.setPen(QPen(Trace, 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(34, 24), QPointF(46, 18));
    p.drawLine(QPointF(34, 34), QPointF(46, 36));
    p.drawLine(QPointF(16, 29), QPointF(22, 29));

    DrawChip(p, QRectF(20, 22, 16, 14), 5);
    DrawJack(p, QRectF(45, 13, 11, 11));
    DrawJack(p, QRectF(45, 31, 11, 11));
    DrawLeds(p, QPointF(12, 18), QPointF(12, 24), 1.8);
    return image;
}

// The product picture: the whole ISA card from the component side, bracket on the left.
QImage DrawProduct() {
    const int width = 180, height = 96;
    QImage image = Canvas(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Mounting bracket with the two line jacks.
    p.setPen(QPen(QColor(0x7d, 0x84, 0x8c), 1));
    QLinearGradient metal(0, 0, 14, 0);
    metal.setColorAt(0, Steel.lighter(115));
    metal.setColorAt(1, Steel.darker(115));
    p.setBrush(metal);
    p.drawRect(QRectF(2, 4, 12, 80));
    p.drawRect(QRectF(0, 2, 16, 5));
    DrawJack(p, QRectF(3.5, 18, 9, 14));
    DrawJack(p, QRectF(3.5, 44, 9, 14));

    // The board with its two-part edge connector.
    QPainterPath outline;
    outline.moveTo(14, 8);
    outline.lineTo(172, 8);
    outline.quadTo(176, 8, 176, 12);
    outline.lineTo(176, 78);
    outline.lineTo(152, 78);
    outline.lineTo(152, 86);
    outline.lineTo(30, 86);
    outline.lineTo(30, 78);
    outline.lineTo(14, 78);
    outline.closeSubpath();
    QLinearGradient shade(0, 8, 0, 86);
    shade.setColorAt(0, Pcb.lighter(118));
    shade.setColorAt(1, Pcb);
    p.setPen(QPen(PcbEdge, 1.2));
    p.setBrush(shade);
    p.drawPath(outline);
    p.setPen(Qt::NoPen);
    p.setBrush(Gold);
    for (int i = 0; i < 20; ++i)
        p.drawRect(QRectF(33 + 4.4 * i, 79.5, 2.6, 6));
    for (int i = 0; i < 6; ++i)
        p.drawRect(QRectF(125 + 4.4 * i, 79.5, 2.6, 6));

    // Traces between the parts.
    p.setPen(QPen(Trace, 1));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 6; ++i) {
        const qreal y = 28 + 4 * i;
        p.drawLine(QPointF(16, y), QPointF(40, y));
        p.drawLine(QPointF(96, y), QPointF(112, y));
    }
    for (int i = 0; i < 8; ++i)
        p.drawLine(QPointF(62 + 5 * i, 62), QPointF(62 + 5 * i, 78));

    DrawChip(p, QRectF(40, 24, 28, 26), 7, QStringLiteral("LIU"));
    DrawChip(p, QRectF(72, 20, 40, 34), 10, QStringLiteral("RUVA-2"));
    DrawChip(p, QRectF(118, 18, 22, 14), 6);
    DrawChip(p, QRectF(118, 42, 22, 14), 6);
    DrawChip(p, QRectF(146, 18, 22, 14), 6);
    DrawChip(p, QRectF(146, 42, 22, 14), 6);

    // Crystal and status LEDs.
    p.setPen(QPen(QColor(0x90, 0x96, 0x9e), 1));
    p.setBrush(Steel);
    p.drawRoundedRect(QRectF(22, 60, 14, 7), 3.5, 3.5);
    DrawLeds(p, QPointF(20, 14), QPointF(26, 14), 2);
    return image;
}

// A page with a folded corner and lines of text: the file side of the board page.
QImage DrawFileIcon(int size) {
    QImage image = Canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.setPen(QPen(QColor(0x5a, 0x64, 0x70), 1.2));
    p.setBrush(QColor(0xfb, 0xfb, 0xf6));
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(20, 3);
    fold.lineTo(20, 9);
    fold.lineTo(26, 9);
    p.setBrush(QColor(0xdd, 0xe2, 0xe8));
    p.drawPath(fold);
    p.setPen(QPen(QColor(0x6b, 0x8c, 0xb8), 1.4));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(10, 13 + 3.2 * i), QPointF(i % 2 ? 19 : 23, 13 + 3.2 * i));
    return image;
}

bool Save(const QImage& image, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    if (!QDir().mkpath(QFileInfo(path).path()) || !image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A Windows icon file: a directory of the images, each stored as PNG data.
bool SaveIco(const QList<QImage>& images, const QDir& dir, const QString& name) {
    QList<QByteArray> pngs;
    for (const QImage& image : images) {
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
            return false;
        pngs.append(png);
    }
    QByteArray ico;
    auto put16 = [&ico](int value) {
        ico.append(char(value & 0xFF));
        ico.append(char((value >> 8) & 0xFF));
    };
    auto put32 = [&](qint64 value) {
        put16(int(value & 0xFFFF));
        put16(int((value >> 16) & 0xFFFF));
    };
    put16(0);
    put16(1); // icon
    put16(int(images.size()));
    qint64 offset = 6 + 16 * images.size();
    for (int i = 0; i < images.size(); ++i) {
        ico.append(char(images[i].width() >= 256 ? 0 : images[i].width()));
        ico.append(char(images[i].height() >= 256 ? 0 : images[i].height()));
        ico.append(char(0)); // no palette
        ico.append(char(0));
        put16(1);  // colour planes
        put16(32); // bits per pixel
        put32(pngs[i].size());
        put32(offset);
        offset += pngs[i].size();
    }
    for (const QByteArray& png : pngs)
        ico.append(png);
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(ico) != ico.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ruva_draw_art <res directory>\n");
        return 2;
    }
    const QDir res(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    for (int size : {16, 32, 48, 64, 128, 256})
        ok &= Save(DrawIcon(size), res, QStringLiteral("icons/hicolor/%1x%1/apps/ruvasetw.png").arg(size));
    ok &= SaveIco({DrawIcon(16), DrawIcon(32), DrawIcon(48), DrawIcon(256)}, res,
                  QStringLiteral("icons/ruvasetw.ico"));
    ok &= Save(DrawProduct(), res, QStringLiteral("images/product.png"));
    ok &= Save(DrawFileIcon(32), res, QStringLiteral("images/file.png"));
    return ok ? 0 : 1;
}
