#include "print/ReportPage.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace {

constexpr double kMmPerInch = 25.4;

double MmToPixels(double mm)
{
    return mm * ReportPage::kDesignDpi / kMmPerInch;
}

// The report's own font and the date caption's; the Windows faces are not on Linux, so each names the
// nearest faces fontconfig has, and CJK glyphs fall back to a CJK face by themselves.
QFont ReportFont()
{
    QFont font;
    font.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans", "WenQuanYi Zen Hei"});
    font.setPointSizeF(10);
    return font;
}

QFont CaptionFont()
{
    QFont font;
    font.setFamilies({"宋体", "SimSun", "Noto Serif CJK SC", "WenQuanYi Zen Hei"});
    font.setPointSizeF(10);
    return font;
}

// Design positions of the title band's items, before any offset.
QRect DesignRect(ReportPage::Item item)
{
    switch (item) {
    case ReportPage::Item::Title:
        return {254, 8, 177, 17};
    case ReportPage::Item::Rule:
        return {22, 28, 641, 2};
    case ReportPage::Item::Front:
        return {23, 31, 316, 203};
    case ReportPage::Item::Back:
        return {345, 31, 316, 203};
    case ReportPage::Item::DateCaption:
        return {474, 245, 60, 14};
    case ReportPage::Item::Date:
        return {537, 244, 25, 17};
    }
    return {};
}

} // namespace

const QString& ReportPage::TitleText()
{
    static const QString text = QStringLiteral("第二代居民身份证打印件");
    return text;
}

const QString& ReportPage::DateCaptionText()
{
    static const QString text = QStringLiteral("打印日期:");
    return text;
}

ReportPage::ReportPage() : date_(QStringLiteral("hcsj")) {}

void ReportPage::ClearImages()
{
    front_ = QImage();
    back_ = QImage();
}

void ReportPage::SetOffsets(int left, int top)
{
    offsetLeft_ = left;
    offsetTop_ = top;
}

QRect ReportPage::ItemRect(Item item) const
{
    const QRect rect = DesignRect(item);
    if (item == Item::Title)
        return rect;
    return rect.translated(offsetLeft_, -offsetTop_);
}

QPointF ReportPage::BandOrigin()
{
    return {MmToPixels(kMarginOtherMm), MmToPixels(kMarginTopMm)};
}

QSizeF ReportPage::PageSizePixels()
{
    return {MmToPixels(kPageWidthMm), MmToPixels(kPageHeightMm)};
}

void ReportPage::render(QPainter& painter) const
{
    const QPaintDevice* device = painter.device();
    const double sx = device->logicalDpiX() / kDesignDpi;
    const double sy = device->logicalDpiY() / kDesignDpi;
    const auto toDevice = [sx, sy](const QRectF& r) {
        return QRectF(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy);
    };
    const QPointF origin = BandOrigin();
    const auto place = [&](const QRectF& bandRect) { return toDevice(bandRect.translated(origin)); };

    painter.save();
    painter.fillRect(toDevice(QRectF(QPointF(0, 0), PageSizePixels())), Qt::white);
    painter.fillRect(place(QRectF(0, 0, kBandWidth, kTitleBandHeight)), Qt::white);
    painter.fillRect(place(QRectF(0, kTitleBandHeight, kBandWidth, kSecondBandHeight)), Qt::white);

    // Labels size themselves to their text, so the text may run past the designed box.
    const auto drawLabel = [&](Item item, const QFont& font, const QString& text) {
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(place(ItemRect(item)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    };
    drawLabel(Item::Title, ReportFont(), TitleText());

    const QRectF rule = place(ItemRect(Item::Rule));
    QPen pen(Qt::black);
    pen.setWidthF(2 * sy);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(rule.left(), rule.center().y()), QPointF(rule.right(), rule.center().y()));

    // The faces are drawn into their designed boxes (about the size of a real card); at their own size
    // the composed faces are wider than the gap between the boxes and the back would cover the front.
    if (!front_.isNull())
        painter.drawImage(place(ItemRect(Item::Front)), front_);
    if (!back_.isNull())
        painter.drawImage(place(ItemRect(Item::Back)), back_);

    drawLabel(Item::DateCaption, CaptionFont(), DateCaptionText());
    drawLabel(Item::Date, ReportFont(), date_);
    painter.restore();
}

bool ReportPage::Print(QPrinter& printer, QString* error) const
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    if (toFile ? printer.outputFileName().isEmpty() : !printer.isValid())
        return fail(QStringLiteral("没有可用的打印机。"));

    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(kMarginOtherMm, kMarginTopMm, kMarginOtherMm, kMarginOtherMm),
                                      QPageLayout::Millimeter));
    // The page draws its own margins from the paper's corner (set after the layout, which resets it).
    printer.setFullPage(true);
    const int copies = std::max(1, printer.copyCount());
    const int passes = printer.supportsMultipleCopies() ? 1 : copies;

    QPainter painter;
    if (!painter.begin(&printer)) {
        return fail(toFile ? QStringLiteral("无法写入打印文件：%1").arg(printer.outputFileName())
                           : QStringLiteral("打印机无法开始打印：%1").arg(printer.printerName()));
    }
    for (int pass = 0; pass < passes; ++pass) {
        if (pass > 0 && !printer.newPage()) {
            painter.end();
            return fail(QStringLiteral("打印中断。"));
        }
        render(painter);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return fail(QStringLiteral("打印失败。"));
    return true;
}
