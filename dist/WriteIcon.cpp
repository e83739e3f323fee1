// Draws one of the desktop's icons from the window icon's artwork, so that
// the menu, the dock and the window show the same picture:
//   write_icon ARTWORK OUTPUT.png SIZE   a square PNG of SIZE pixels
//   write_icon ARTWORK OUTPUT.svg        a scalable SVG, one square per pixel
#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

// Whole multiples keep the pixel art sharp. Other sizes blend only where an
// artwork pixel straddles two icon pixels: enlarge without blending first,
// then reduce by averaging.
bool WritePng(const QImage& artwork, const QString& output, int size) {
    const int width = artwork.width();
    if (size % width == 0)
        return artwork.scaled(size, size, Qt::KeepAspectRatio, Qt::FastTransformation)
            .save(output, "PNG");
    const int enlarged = width * ((4 * size + width - 1) / width);
    return artwork.scaled(enlarged, enlarged, Qt::KeepAspectRatio, Qt::FastTransformation)
        .scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
        .save(output, "PNG");
}

// Each run of equal pixels in a row becomes one rectangle.
QByteArray SvgFor(const QImage& artwork) {
    QByteArray svg = QStringLiteral(
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                         "viewBox=\"0 0 %1 %2\" shape-rendering=\"crispEdges\">\n")
                         .arg(artwork.width())
                         .arg(artwork.height())
                         .toUtf8();
    for (int y = 0; y < artwork.height(); ++y) {
        for (int x = 0; x < artwork.width();) {
            const QRgb pixel = artwork.pixel(x, y);
            int end = x + 1;
            while (end < artwork.width() && artwork.pixel(end, y) == pixel)
                ++end;
            if (qAlpha(pixel) != 0) {
                svg += QStringLiteral(
                           "<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"1\" "
                           "fill=\"%4\"/>\n")
                           .arg(x)
                           .arg(y)
                           .arg(end - x)
                           .arg(QColor(pixel).name())
                           .toUtf8();
            }
            x = end;
        }
    }
    return svg + "</svg>\n";
}

bool WriteSvg(const QImage& artwork, const QString& output) {
    QFile file(output);
    return file.open(QIODevice::WriteOnly) && file.write(SvgFor(artwork)) >= 0 && file.flush();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3 && argc != 4) {
        std::fputs("usage: write_icon ARTWORK OUTPUT.svg | write_icon ARTWORK OUTPUT.png SIZE\n",
                   stderr);
        return 2;
    }
    const QImage artwork =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32);
    if (artwork.isNull()) {
        std::fprintf(stderr, "write_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);
    const bool written =
        argc == 4 ? WritePng(artwork, output, std::atoi(argv[3])) : WriteSvg(artwork, output);
    if (!written) {
        std::fprintf(stderr, "write_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
