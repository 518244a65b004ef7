// Draws the pictures of the four foundation types shown by the foundation options form
// ("halfspace.bmp", "pile.bmp", "stratum.bmp", "multilayer.bmp") into the folder given as the
// first argument. The pictures in app/pictures were made with it.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 300;
const QColor kSky(255, 255, 255);
const QColor kInk(0, 0, 0);
const QColor kSoil(222, 196, 150);
const QColor kSoil2(200, 170, 120);
const QColor kSoil3(176, 146, 100);
const QColor kRock(128, 128, 128);
const QColor kConcrete(190, 190, 190);
const QColor kMachine(70, 110, 170);
const QColor kLoad(180, 30, 30);

QVector<QRgb> Palette()
{
    return {kSky.rgb(), kInk.rgb(), kSoil.rgb(), kSoil2.rgb(), kSoil3.rgb(), kRock.rgb(),
            kConcrete.rgb(), kMachine.rgb(), kLoad.rgb()};
}

void Hatch(QPainter& p, const QRect& r, const QColor& fill, int step)
{
    p.fillRect(r, fill);
    p.save();
    p.setClipRect(r);
    p.setPen(QPen(kInk, 1));
    for (int x = r.left() - r.height(); x < r.right(); x += step)
        p.drawLine(x, r.bottom(), x + r.height(), r.top());
    p.restore();
}

void Text(QPainter& p, int x, int y, const QString& text, int size = 11, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"), size);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    // On a white ground, so that the label reads over the hatching.
    const QRect box = p.fontMetrics().boundingRect(text).translated(x, y).adjusted(-3, -1, 3, 1);
    p.fillRect(box, kSky);
    p.setPen(kInk);
    p.drawText(x, y, text);
}

void Arrow(QPainter& p, QPoint from, QPoint to)
{
    p.setPen(QPen(kLoad, 2));
    p.drawLine(from, to);
    const QPointF d = QPointF(to - from) / std::max(1.0, std::hypot(double(to.x() - from.x()), double(to.y() - from.y())));
    const QPointF n(-d.y(), d.x());
    const QPointF tip(to);
    p.setBrush(kLoad);
    p.drawPolygon(QPolygonF({tip, tip - d * 10 + n * 5, tip - d * 10 - n * 5}));
}

// A footing with its machine and the harmonic load on it; the base at `baseY`.
void Footing(QPainter& p, int left, int width, int topY, int baseY)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kConcrete);
    p.drawRect(left, topY, width, baseY - topY);
    p.setBrush(kMachine);
    p.drawRect(left + width / 4, topY - 34, width / 2, 34);
    Arrow(p, QPoint(left + width / 2, topY - 80), QPoint(left + width / 2, topY - 38));
    Text(p, left + width / 2 + 8, topY - 60, QStringLiteral("P(t)"), 10);
}

QImage Blank()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kSky);
    return image;
}

QImage HalfSpace()
{
    QImage image = Blank();
    QPainter p(&image);
    Hatch(p, QRect(0, 150, kWidth, kHeight - 150), kSoil, 14);
    p.setPen(QPen(kInk, 2));
    p.drawLine(0, 150, kWidth, 150);
    Footing(p, 160, 160, 120, 160);
    Text(p, 12, 26, QStringLiteral("Rigid footing on a half-space"), 13, true);
    Text(p, 12, 280, QStringLiteral("Homogeneous soil of infinite depth"), 11);
    return image;
}

QImage Stratum()
{
    QImage image = Blank();
    QPainter p(&image);
    Hatch(p, QRect(0, 150, kWidth, 100), kSoil, 14);
    Hatch(p, QRect(0, 250, kWidth, kHeight - 250), kRock, 6);
    p.setPen(QPen(kInk, 2));
    p.drawLine(0, 150, kWidth, 150);
    p.drawLine(0, 250, kWidth, 250);
    Footing(p, 160, 160, 120, 168);
    // Depth to the bed rock.
    p.setPen(QPen(kInk, 1));
    p.drawLine(400, 150, 400, 250);
    p.drawLine(394, 150, 406, 150);
    p.drawLine(394, 250, 406, 250);
    Text(p, 408, 205, QStringLiteral("H"), 11, true);
    Text(p, 12, 26, QStringLiteral("Rigid footing on a soil stratum"), 13, true);
    Text(p, 12, 242, QStringLiteral("Soil stratum"), 11);
    Text(p, 12, 290, QStringLiteral("Bed rock (rigid)"), 11);
    return image;
}

QImage Pile()
{
    QImage image = Blank();
    QPainter p(&image);
    const QColor layers[3] = {kSoil, kSoil2, kSoil3};
    for (int i = 0; i < 3; ++i) Hatch(p, QRect(0, 130 + i * 57, kWidth, 57), layers[i], 14);
    p.setPen(QPen(kInk, 2));
    p.drawLine(0, 130, kWidth, 130);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kConcrete);
    for (int x : {170, 232, 294}) p.drawRect(x, 140, 16, 140);
    Footing(p, 140, 200, 108, 142);
    Text(p, 12, 26, QStringLiteral("Pile foundation"), 13, true);
    Text(p, 12, 160, QStringLiteral("Layer 1"), 10);
    Text(p, 12, 217, QStringLiteral("Layer 2"), 10);
    Text(p, 12, 274, QStringLiteral("Layer 3"), 10);
    Text(p, 340, 200, QStringLiteral("Piles"), 11);
    return image;
}

QImage Multilayer()
{
    QImage image = Blank();
    QPainter p(&image);
    const QColor layers[3] = {kSoil, kSoil2, kSoil3};
    for (int i = 0; i < 3; ++i) Hatch(p, QRect(0, 110 + i * 50, kWidth, 50), layers[i], 14);
    Hatch(p, QRect(0, 260, kWidth, kHeight - 260), kRock, 6);
    p.setPen(QPen(kInk, 2));
    p.drawLine(0, 110, kWidth, 110);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kConcrete);
    // The embedded shaft through the layers, in elements.
    p.drawRect(320, 80, 80, 160);
    for (int y : {130, 160, 210}) p.drawLine(320, y, 400, y);
    p.setBrush(kMachine);
    p.drawRect(335, 46, 50, 34);
    Arrow(p, QPoint(360, 4), QPoint(360, 42));
    Text(p, 12, 26, QStringLiteral("Multilayer (embedded) foundation"), 13, true);
    Text(p, 12, 140, QStringLiteral("Side layer 1"), 10);
    Text(p, 12, 190, QStringLiteral("Side layer 2"), 10);
    Text(p, 12, 240, QStringLiteral("Side layer 3"), 10);
    Text(p, 12, 290, QStringLiteral("Soil below the base"), 10);
    Text(p, 408, 170, QStringLiteral("Elements"), 10);
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    const struct {
        const char* name;
        QImage (*draw)();
    } pictures[] = {{"halfspace.bmp", HalfSpace}, {"stratum.bmp", Stratum}, {"pile.bmp", Pile},
                    {"multilayer.bmp", Multilayer}};
    for (const auto& picture : pictures) {
        const QImage image = picture.draw().convertToFormat(QImage::Format_Indexed8, Palette(), Qt::ThresholdDither);
        const QString path = folder.filePath(QString::fromLatin1(picture.name));
        if (!image.save(path, "BMP")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
