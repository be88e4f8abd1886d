// Draws the program's own blank card faces: a plain front with the printed labels of an identity card
// and a plain back with the issuing country's name, the card's title and the labels of the back. The
// labels sit on the baselines of the fields that the card composition draws later, just to their
// left, so these positions must follow the composition's: name (62, 31), sex (62, 56), nation
// (129, 56), birth year, month and day (62, 114, 141 at 80, their labels in the gaps between them),
// address (62, 107), identity number (103, 168); issuing authority (127, 145) and validity (127, 171)
// on the back; the photo goes into the rectangle (205, 20)-(307, 146).
// Usage: card_templates <output folder>
#include "print/CardFaces.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const QStringList kSans{"WenQuanYi Zen Hei", "Noto Sans CJK SC"};
const QStringList kSerif{"Noto Serif CJK SC", "WenQuanYi Zen Hei"};
const QStringList kOcr{"OCR B"};

const QColor kFace(244, 246, 243);
const QColor kEdge(196, 204, 198);
const QColor kLabel(46, 96, 150);

QFont Font(const QStringList& families, int pixels, bool bold = false)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The composition sizes its fonts in pixels from points at 96 dpi: 10 pt is 13 px, 11 pt 15 px.
const QFont kField10 = Font(kSans, 13);
const QFont kField11 = Font(kSans, 15);
const QFont kIdNumber = Font(kOcr, 15, true);
const QFont kAuthority = Font(kSerif, 13);

QImage BlankFace()
{
    QImage image(342, 216, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kEdge, 1.5));
    p.setBrush(kFace);
    p.drawRoundedRect(QRectF(1.5, 1.5, 339, 213), 12, 12);
    return image;
}

// Draws a label whose baseline is the one of a field drawn with fieldFont whose top is at fieldTop.
void Label(QPainter& p, int x, int fieldTop, const QFont& fieldFont, const QString& text, int pixels = 11)
{
    const QFont font = Font(kSans, pixels);
    p.setFont(font);
    p.setPen(kLabel);
    p.drawText(x, fieldTop + QFontMetrics(fieldFont).ascent(), text);
}

// The birth date's labels 年, 月 and 日 sit in the gaps the composition leaves between the year at 62,
// the month at 114 and the day at 141, measured with the composition's own digit font (黑体 10 pt,
// mapped as the program maps it): the gap after two digits is narrow, so the three labels get the
// largest size at which each one, centred in its gap, keeps a clear pixel and more to both sides.
void BirthLabels(QPainter& p)
{
    const QFont digits = CardFont(QStringLiteral("黑体"), 10);
    const QFontMetricsF digitMetrics(digits);
    const qreal yearEnd = 62 + digitMetrics.horizontalAdvance("0000");
    const qreal monthEnd = 114 + digitMetrics.horizontalAdvance("00");
    const qreal dayEnd = 141 + digitMetrics.horizontalAdvance("00");
    const qreal narrowest = std::min(114 - yearEnd, 141 - monthEnd);
    int pixels = 11;
    while (pixels > 6 && QFontMetricsF(Font(kSans, pixels)).horizontalAdvance("月") > narrowest - 3)
        --pixels;
    const QFont font = Font(kSans, pixels);
    const QFontMetricsF metrics(font);
    const qreal baseline = 80 + digitMetrics.ascent();
    p.setFont(font);
    p.setPen(kLabel);
    const auto centred = [&](qreal from, qreal to, const QString& text) {
        p.drawText(QPointF(from + (to - from - metrics.horizontalAdvance(text)) / 2, baseline), text);
    };
    centred(yearEnd, 114, "年");
    centred(monthEnd, 141, "月");
    centred(dayEnd, dayEnd + (141 - monthEnd), "日");
}

QImage Front()
{
    QImage image = BlankFace();
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    Label(p, 18, 31, kField11, "姓名");
    Label(p, 18, 56, kField10, "性别");
    Label(p, 97, 56, kField10, "民族");
    Label(p, 18, 80, kField10, "出生");
    BirthLabels(p);
    Label(p, 18, 107, kField10, "住址");
    Label(p, 18, 168, kIdNumber, "公民身份号码");
    return image;
}

QPolygonF Star(QPointF centre, double outer, double inner)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const double r = i % 2 ? inner : outer;
        star << centre + QPointF(r * std::cos(angle), r * std::sin(angle));
    }
    return star;
}

QImage Back()
{
    QImage image = BlankFace();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A plain red seal with a star, in place of an emblem.
    p.setPen(QPen(QColor(196, 40, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(52, 52), 30, 30);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 160, 40));
    p.drawPolygon(Star(QPointF(52, 52), 18, 7));

    p.setPen(QColor(30, 30, 30));
    QFont country = Font(kSans, 20, true);
    country.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(country);
    p.drawText(QRect(96, 26, 236, 28), Qt::AlignHCenter | Qt::AlignVCenter, "中华人民共和国");
    QFont title = Font(kSans, 30, true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    p.setFont(title);
    p.drawText(QRect(96, 62, 236, 42), Qt::AlignHCenter | Qt::AlignVCenter, "居民身份证");

    Label(p, 64, 145, kAuthority, "签发机关");
    Label(p, 64, 171, kField10, "有效期限");
    return image;
}

bool Save(const QImage& image, const QString& path)
{
    if (image.save(path, "BMP"))
        return true;
    std::fprintf(stderr, "card_templates: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: card_templates <output folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool ok =
        Save(Front(), folder.filePath("PrintMP.bmp")) && Save(Back(), folder.filePath("PrintSB.bmp"));
    return ok ? 0 : 1;
}
