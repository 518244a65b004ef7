// Draws the program's icon: a machine on its foundation block, set in two soil layers, under
// the curve of its response. Shapes only (no text), drawn afresh at each size so that the small
// ones stay sharp.
//     tremex_icon <folder> <name>
// writes <folder>/hicolor/<n>x<n>/apps/<name>.png for the standard sizes of the icon theme.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

// The icon on a canvas of 64 x 64 units, scaled to `size` pixels.
QImage DrawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const double edge = size <= 24 ? 2.5 : 1.5;  // outlines thick enough to show when small

    // The backdrop: a rounded square of pale sky.
    p.setPen(QPen(QColor(0x2b, 0x4a, 0x6b), edge));
    p.setBrush(QColor(0xe8, 0xf1, 0xf8));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    // Two soil layers across the lower part, clipped to the backdrop.
    QPainterPath backdrop;
    backdrop.addRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    p.save();
    p.setClipPath(backdrop);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xb5, 0x8a, 0x55));
    p.drawRect(QRectF(0, 40, 64, 12));
    p.setBrush(QColor(0x8a, 0x63, 0x3a));
    p.drawRect(QRectF(0, 52, 64, 12));
    p.restore();

    // The foundation block, partly embedded.
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), edge));
    p.setBrush(QColor(0xa9, 0xa9, 0xa9));
    p.drawRect(QRectF(13, 33, 38, 14));

    // The machine on it: a casing with its rotor.
    p.setBrush(QColor(0x2f, 0x6f, 0xb3));
    p.drawRoundedRect(QRectF(20, 21, 24, 12), 2, 2);
    p.setBrush(QColor(0xf2, 0xf2, 0xf2));
    p.drawEllipse(QPointF(32, 27), 3.5, 3.5);

    // The response: a damped wave over the machine.
    QPainterPath wave;
    for (int i = 0; i <= 100; ++i) {
        const double x = 8 + 48.0 * i / 100;
        const double y = 12 - 6 * std::exp(-2.0 * i / 100) * std::sin(4 * M_PI * i / 100);
        if (i == 0)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xe0, 0x6c, 0x1a), size <= 24 ? 3.5 : 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    p.end();
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tremex_icon <folder> <name>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(folder).arg(size);
        const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !DrawIcon(size).save(path)) {
            std::fprintf(stderr, "tremex_icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
