// The report page checked where it matters: real PDFs written through QPrinter and read back with
// poppler (page size, page count, text, where the card faces land), raster renderings at two device
// resolutions, and the failures that must not pass for a print.
#include "print/ReportPage.h"
#include "fakes/NoPrinter.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

QImage Solid(QColor color, int width = 342, int height = 216)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

bool HavePoppler()
{
    return !QStandardPaths::findExecutable("pdfinfo").isEmpty() &&
           !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
           !QStandardPaths::findExecutable("pdftoppm").isEmpty();
}

QString RunTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": "
                                     << process.readAllStandardError().toStdString();
    // Compatibility forms (a CJK font may map 日 to the radical ⽇) compare as the plain characters.
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

QString InfoField(const QString& info, const QString& field)
{
    const QRegularExpression re("^" + QRegularExpression::escape(field) + ":\\s*(.*)$",
                                QRegularExpression::MultilineOption);
    return re.match(info).captured(1).trimmed();
}

// Bounding box of the pixels close to color (the card faces are solid test colours).
QRect FindColor(const QImage& image, QColor color)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) < 40 && std::abs(c.green() - color.green()) < 40 &&
                std::abs(c.blue() - color.blue()) < 40) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Where an item's box lands on a 96-dpi rendering of the sheet.
QRectF ExpectedOnSheet(const ReportPage& page, ReportPage::Item item)
{
    return QRectF(page.ItemRect(item)).translated(ReportPage::BandOrigin());
}

void ExpectNear(const QRect& found, const QRectF& expected, double tolerance, const char* what)
{
    ASSERT_FALSE(found.isNull()) << what << " not found";
    EXPECT_NEAR(found.left(), expected.left(), tolerance) << what;
    EXPECT_NEAR(found.top(), expected.top(), tolerance) << what;
    EXPECT_NEAR(found.right() + 1, expected.right(), tolerance) << what;
    EXPECT_NEAR(found.bottom() + 1, expected.bottom(), tolerance) << what;
}

ReportPage SamplePage(int left, int top)
{
    ReportPage page;
    page.SetFrontImage(Solid(Qt::red));
    page.SetBackImage(Solid(Qt::blue));
    page.SetDateText(QStringLiteral("2014年7月16日"));
    page.SetOffsets(left, top);
    return page;
}

} // namespace

TEST(ReportPage, OffsetsMoveTheFiveItemsButNotTheTitle)
{
    struct Case
    {
        const char* name;
        int left, top;
    };
    const Case cases[] = {{"no offsets", 0, 0}, {"right and up", 5, 3}, {"limits", -100, 100}};
    const ReportPage::Item movable[] = {ReportPage::Item::Rule, ReportPage::Item::Front,
                                        ReportPage::Item::Back, ReportPage::Item::DateCaption,
                                        ReportPage::Item::Date};
    const ReportPage designed;
    for (const Case& c : cases) {
        ReportPage page;
        page.SetOffsets(c.left, c.top);
        EXPECT_EQ(page.ItemRect(ReportPage::Item::Title), designed.ItemRect(ReportPage::Item::Title))
            << c.name;
        for (ReportPage::Item item : movable) {
            // A positive top moves up, i.e. to a smaller y.
            EXPECT_EQ(page.ItemRect(item), designed.ItemRect(item).translated(c.left, -c.top)) << c.name;
        }
    }
    EXPECT_EQ(designed.ItemRect(ReportPage::Item::Front), QRect(23, 31, 316, 203));
    EXPECT_EQ(designed.ItemRect(ReportPage::Item::Back), QRect(345, 31, 316, 203));
    EXPECT_EQ(designed.DateText(), "hcsj");
}

TEST(ReportPage, RenderingFollowsTheDeviceResolution)
{
    // A 96-dpi image shows the design pixels one to one; a 300-dpi one scales them by 300/96.
    for (const double dpi : {96.0, 300.0}) {
        const double scale = dpi / ReportPage::kDesignDpi;
        const QSizeF sheet = ReportPage::PageSizePixels() * scale;
        QImage image(qRound(sheet.width()), qRound(sheet.height()), QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        image.fill(Qt::green);
        const ReportPage page = SamplePage(7, -4);
        {
            QPainter painter(&image);
            page.render(painter);
        }
        const auto scaled = [scale](QRectF r) {
            return QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale);
        };
        ExpectNear(FindColor(image, Qt::red), scaled(ExpectedOnSheet(page, ReportPage::Item::Front)), 1.5,
                   "front");
        ExpectNear(FindColor(image, Qt::blue), scaled(ExpectedOnSheet(page, ReportPage::Item::Back)), 1.5,
                   "back");
        // The sheet itself is painted white: nothing of the background is left.
        EXPECT_TRUE(FindColor(image, Qt::green).isNull()) << dpi;
    }
}

TEST(ReportPage, EmptyImagesLeaveTheirPlacesBlank)
{
    ReportPage page = SamplePage(0, 0);
    page.ClearImages();
    EXPECT_TRUE(page.FrontImage().isNull());
    QImage image(794, 1123, QImage::Format_RGB32);
    image.fill(Qt::gray);
    {
        QPainter painter(&image);
        page.render(painter);
    }
    EXPECT_TRUE(FindColor(image, Qt::red).isNull());
    EXPECT_TRUE(FindColor(image, Qt::blue).isNull());
}

TEST(ReportPage, ImagesAreCopiesOfWhatWasGiven)
{
    QImage front = Solid(Qt::red, 4, 4);
    ReportPage page;
    page.SetFrontImage(front);
    front.fill(Qt::green); // the caller's picture changes after it was handed over
    EXPECT_EQ(page.FrontImage().pixelColor(0, 0), QColor(Qt::red));
}

class ReportPagePdf : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!HavePoppler())
            GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext, pdftoppm) is not installed";
        ASSERT_TRUE(dir.isValid());
    }

    QString PrintPdf(const ReportPage& page, int copies, const QString& name = "page.pdf")
    {
        const QString file = dir.filePath(name);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setCopyCount(copies);
        QString error;
        EXPECT_TRUE(page.Print(printer, &error)) << error.toStdString();
        return file;
    }

    QTemporaryDir dir;
};

TEST_F(ReportPagePdf, A4WithOnePagePerCopyAndTheTexts)
{
    for (const int copies : {1, 3}) {
        const QString file = PrintPdf(SamplePage(0, 0), copies, QString("copies%1.pdf").arg(copies));
        const QString info = RunTool("pdfinfo", {file});
        EXPECT_EQ(InfoField(info, "Pages"), QString::number(copies));
        EXPECT_TRUE(InfoField(info, "Page size").contains("(A4)")) << info.toStdString();

        const QString text = RunTool("pdftotext", {"-f", "1", "-l", "1", file, "-"});
        EXPECT_TRUE(text.contains(ReportPage::TitleText())) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("2014年7月16日"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("打印日期:"))) << text.toStdString();
        if (copies > 1) {
            // The last copy is a whole page too, not an empty sheet.
            const QString last = RunTool("pdftotext", {"-f", "3", "-l", "3", file, "-"});
            EXPECT_TRUE(last.contains(ReportPage::TitleText()));
        }
    }
}

TEST_F(ReportPagePdf, FrontAndBackLandAtTheirOffsetPositions)
{
    struct Case
    {
        const char* name;
        int left, top;
    };
    const Case cases[] = {
        {"stored offsets absent", 0, 0}, {"5 right, 3 up", 5, 3}, {"20 left, 10 down", -20, -10}};
    for (const Case& c : cases) {
        const ReportPage page = SamplePage(c.left, c.top);
        const QString file = PrintPdf(page, 1, QString("%1_%2.pdf").arg(c.left).arg(c.top));
        const QString prefix = dir.filePath(QString("render_%1_%2").arg(c.left).arg(c.top));
        RunTool("pdftoppm", {"-r", "96", "-png", "-singlefile", file, prefix});
        const QImage rendering(prefix + ".png");
        ASSERT_FALSE(rendering.isNull()) << c.name;
        EXPECT_EQ(rendering.size(), QSize(794, 1123)) << c.name;
        ExpectNear(FindColor(rendering, Qt::red), ExpectedOnSheet(page, ReportPage::Item::Front), 1.5,
                   c.name);
        ExpectNear(FindColor(rendering, Qt::blue), ExpectedOnSheet(page, ReportPage::Item::Back), 1.5,
                   c.name);
    }
}

// Whatever printers the machine has, none is within the tests' reach.
TEST(ReportPagePrintFailure, NoPrintServerIsReachable)
{
    EXPECT_TRUE(QPrinterInfo::availablePrinters().isEmpty());
    EXPECT_TRUE(QPrinterInfo::defaultPrinterName().isEmpty());
}

TEST(ReportPagePrintFailure, NothingPrintedIsReportedAsAFailure)
{
    const ReportPage page = SamplePage(0, 0);
    {
        QPrinter printer;
        ASSERT_TRUE(MakeNoPrinter(printer));
        QString error;
        EXPECT_FALSE(page.Print(printer, &error));
        EXPECT_EQ(error, QStringLiteral("没有可用的打印机。"));
    }
    {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName("/nonexistent-folder/page.pdf");
        QString error;
        EXPECT_FALSE(page.Print(printer, &error));
        EXPECT_TRUE(error.contains("/nonexistent-folder/page.pdf")) << error.toStdString();
    }
}
