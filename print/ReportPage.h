#pragma once
// The one page of the printed card copy: an A4 portrait sheet with the title, a rule, the card's front
// and back pictures and the print date. The same layout is drawn on the screen view, into test images
// and PDFs, and on the printer, so what the operator adjusts is what comes out of the printer.
//
// Positions are pixels at 96 per inch, as the form was designed; render() converts them for the
// resolution of whatever device the painter draws on.
#include <QImage>
#include <QRect>
#include <QSizeF>
#include <QString>

class QPainter;
class QPrinter;

class ReportPage
{
public:
    // The items of the title band. Every item but the title follows the template offsets.
    enum class Item
    {
        Title,
        Rule,
        Front,
        Back,
        DateCaption,
        Date
    };

    static constexpr double kDesignDpi = 96.0;
    static constexpr double kPageWidthMm = 210.0;
    static constexpr double kPageHeightMm = 297.0;
    static constexpr double kMarginTopMm = 5.0;
    static constexpr double kMarginOtherMm = 10.0; // left, right and bottom
    static constexpr int kBandWidth = 718;
    static constexpr int kTitleBandHeight = 643;
    static constexpr int kSecondBandHeight = 57;

    static const QString& TitleText();       // "第二代居民身份证打印件"
    static const QString& DateCaptionText(); // "打印日期:"

    ReportPage();

    // The pictures are kept as copies: whatever happens to the files later, the page keeps what it was
    // given. An empty image leaves its place on the page blank.
    void SetFrontImage(const QImage& image) { front_ = image.copy(); }
    void SetBackImage(const QImage& image) { back_ = image.copy(); }
    void ClearImages();
    const QImage& FrontImage() const { return front_; }
    const QImage& BackImage() const { return back_; }

    void SetDateText(const QString& text) { date_ = text; }
    const QString& DateText() const { return date_; }

    // Template offsets in design pixels: a positive left moves the items right, a positive top moves
    // them up (as the up-downs of the template form count).
    void SetOffsets(int left, int top);
    int OffsetLeft() const { return offsetLeft_; }
    int OffsetTop() const { return offsetTop_; }

    // Where an item stands, in design pixels relative to the title band (offsets applied).
    QRect ItemRect(Item item) const;
    // The title band's top-left corner on the sheet, in design pixels (the page margins).
    static QPointF BandOrigin();
    // The whole sheet in design pixels (794 by 1123 for A4).
    static QSizeF PageSizePixels();

    // Draws the whole sheet with the painter's origin at the paper's top-left corner.
    void render(QPainter& painter) const;

    // Prints the page on printer: A4 portrait with the report's margins, as many copies as the printer
    // is set to; when the printer cannot make copies itself (the PDF engine) each copy is drawn as a
    // page of its own. Returns false with the reason in error when nothing or not all was printed.
    bool Print(QPrinter& printer, QString* error) const;

private:
    QImage front_;
    QImage back_;
    QString date_;
    int offsetLeft_ = 0;
    int offsetTop_ = 0;
};
