// Draws the game's icon, a jigsaw piece, once as a path and writes it as a
// scalable SVG and as PNGs of the sizes desktops ask for:
//
//   make_icons OUTDIR NAME   writes OUTDIR/scalable/apps/NAME.svg and
//                            OUTDIR/<n>x<n>/apps/NAME.png
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdio>

namespace {

constexpr double kSize = 256;   // the drawing's own units
const QColor kTop(0x4f, 0xa8, 0xec), kBottom(0x23, 0x63, 0xa8), kLine(0x17, 0x3f, 0x6e);
constexpr double kLineWidth = 8;

// One side of the piece from a to b: straight, or with a knob pushed out
// (out = 1) or in (out = -1) along the outward normal.
void Edge(QPainterPath& p, QPointF a, QPointF b, int out) {
    const QPointF d = b - a;
    const QPointF n(d.y(), -d.x());   // outward for a clockwise outline
    auto at = [&](double u, double v) { return a + u * d + out * v * n; };
    p.lineTo(at(0.37, 0));
    p.cubicTo(at(0.43, 0), at(0.41, 0.08), at(0.37, 0.15));
    p.cubicTo(at(0.31, 0.27), at(0.42, 0.31), at(0.5, 0.31));
    p.cubicTo(at(0.58, 0.31), at(0.69, 0.27), at(0.63, 0.15));
    p.cubicTo(at(0.59, 0.08), at(0.57, 0), at(0.63, 0));
    p.lineTo(b);
}

QPainterPath Piece() {
    // A square body with knobs out at the top and right and holes at the
    // bottom and left, placed so the whole shape sits in the middle.
    const double x0 = 36, y0 = 76, s = 144;
    const QPointF tl(x0, y0), tr(x0 + s, y0), br(x0 + s, y0 + s), bl(x0, y0 + s);
    QPainterPath p(tl);
    Edge(p, tl, tr, 1);
    Edge(p, tr, br, 1);
    Edge(p, br, bl, -1);
    Edge(p, bl, tl, -1);
    p.closeSubpath();
    return p;
}

QString Svg(const QPainterPath& p) {
    auto num = [](double v) { return QString::number(v, 'f', 2); };
    QString d;
    for (int i = 0; i < p.elementCount(); ++i) {
        const QPainterPath::Element e = p.elementAt(i);
        if (e.isMoveTo()) d += QStringLiteral("M%1 %2").arg(num(e.x), num(e.y));
        else if (e.isLineTo()) d += QStringLiteral("L%1 %2").arg(num(e.x), num(e.y));
        else if (e.isCurveTo()) {
            const QPainterPath::Element c2 = p.elementAt(i + 1), end = p.elementAt(i + 2);
            d += QStringLiteral("C%1 %2 %3 %4 %5 %6")
                     .arg(num(e.x), num(e.y), num(c2.x), num(c2.y), num(end.x), num(end.y));
            i += 2;
        }
    }
    d += 'Z';
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
               "  <defs>\n"
               "    <linearGradient id=\"fill\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"256\" gradientUnits=\"userSpaceOnUse\">\n"
               "      <stop offset=\"0\" stop-color=\"%1\"/>\n"
               "      <stop offset=\"1\" stop-color=\"%2\"/>\n"
               "    </linearGradient>\n"
               "  </defs>\n"
               "  <path d=\"%3\" fill=\"url(#fill)\" stroke=\"%4\" stroke-width=\"%5\" stroke-linejoin=\"round\"/>\n"
               "</svg>\n")
        .arg(kTop.name(), kBottom.name(), d, kLine.name(), QString::number(kLineWidth));
}

QImage Png(const QPainterPath& p, int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter painter(&img);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kSize, size / kSize);
    QLinearGradient fill(0, 0, 0, kSize);
    fill.setColorAt(0, kTop);
    fill.setColorAt(1, kBottom);
    // Small sizes get a relatively thicker line, or it fades out.
    const double line = std::max(kLineWidth, kSize / size * 1.0);
    painter.setPen(QPen(kLine, line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(p);
    painter.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

bool Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icons OUTDIR NAME\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]), name = QString::fromLocal8Bit(argv[2]);
    const QPainterPath piece = Piece();
    if (!Write(out + "/scalable/apps/" + name + ".svg", Svg(piece).toUtf8())) return 1;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString path = QStringLiteral("%1/%2x%2/apps/%3.png").arg(out).arg(size).arg(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!Png(piece, size).save(path, "PNG")) return 1;
    }
    return 0;
}
