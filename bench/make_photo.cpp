// A 6000 x 4000 JPEG with real detail, for the large-picture figures.
#include <QGuiApplication>
#include <QImage>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) return 2;
    QImage img(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            row[x] = qRgb((x * 13 + y * 7) & 0xff, (x ^ y) & 0xff, ((x / 40 + y / 40) * 37) & 0xff);
    }
    return img.save(QString::fromLocal8Bit(argv[1]), "JPEG", 90) ? 0 : 1;
}
