// The card faces checked as drawn: the texts each face gets (rules for name, nation, birth date,
// address wrapping and validity as tables), the fonts they map to, and the pixels of composed faces
// against a generated template and a generated photo: outside the photo and the text boxes nothing
// changes, every text box has dark pixels, the photo's key colour lets the template through. The
// file level composes from a temporary program folder and must never pass an old face off as new.
#include "print/CardFaces.h"

#include "platform/core/Exception.h"
#include "print/PhotoDecoder.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

// A light, position-dependent pattern: any pixel that the composition changes by mistake shows.
QImage PatternTemplate(int width = 342, int height = 216)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(200 + x % 50, 210 + y % 40, 190 + (x + y) % 60));
    return image;
}

// A photo with a plain background (its key colour at (1, 1)), a figure and a stripe.
QImage Photo(int width = 102, int height = 126, QRgb background = qRgb(20, 220, 40))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    for (int y = height / 4; y < height; ++y)
        for (int x = width / 4; x < width * 3 / 4; ++x)
            image.setPixel(x, y, qRgb(x * 2 % 256, 60, y * 2 % 256));
    for (int x = 0; x < width; ++x)
        image.setPixel(x, 0, qRgb(250, 10, 10)); // top row differs from the key colour
    return image;
}

QRgb Rgb(QRgb pixel)
{
    return pixel & 0xFFFFFFu;
}

bool IsDark(QRgb pixel)
{
    return qRed(pixel) < 110 && qGreen(pixel) < 110 && qBlue(pixel) < 110;
}

// Where a text may have painted: its advance box and ink box, with a margin for antialiasing and
// the synthetic bold of the identity number.
QRect TextBox(const FaceText& item)
{
    const QFontMetricsF metrics(item.Font);
    const QPointF baseline(item.TopLeft.x(), item.TopLeft.y() + metrics.ascent());
    QRectF box(QPointF(item.TopLeft), QSizeF(metrics.horizontalAdvance(item.Text), metrics.height()));
    box |= metrics.boundingRect(item.Text).translated(baseline);
    return box.toAlignedRect().adjusted(-2, -2, 2, 2);
}

const QRect kPhotoRect(kPhotoLeft, kPhotoTop, kPhotoWidth, kPhotoHeight);

CardFaceTexts SampleCard()
{
    CardFaceTexts t;
    t.Name = "张三";
    t.Sex = "男";
    t.Nation = "汉族";
    t.BirthDate = "1990-01-05";
    t.Address = "北京市东城区景山前街四号院一号楼二单元";
    t.IdNumber = "11010119900105123X";
    t.Authority = "北京市公安局东城分局";
    t.Validity = "2010010120300101";
    return t;
}

std::string Cjk(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "京";
    return text;
}

std::vector<std::string> Texts(const std::vector<FaceText>& items)
{
    std::vector<std::string> texts;
    for (const FaceText& item : items)
        texts.push_back(item.Text.toStdString());
    return texts;
}

TEST(CardFaceRules, NameNationBirthAndValidityTexts)
{
    struct Case
    {
        const char* what;
        QString (*rule)(const QString&);
        const char* in;
        const char* out;
    };
    const auto month = [](const QString& s) { return FaceBirth(s).Month; };
    const auto day = [](const QString& s) { return FaceBirth(s).Day; };
    const auto year = [](const QString& s) { return FaceBirth(s).Year; };
    const Case cases[] = {
        {"two-character name gets a space", FaceName, "张三", "张 三"},
        {"one-character name unchanged", FaceName, "张", "张"},
        {"three-character name unchanged", FaceName, "欧阳华", "欧阳华"},
        {"two ASCII letters get a space too", FaceName, "Li", "L i"},
        {"long name drawn whole", FaceName, "阿卜杜热合曼·买买提依明·艾则孜·吐尔逊托合提",
         "阿卜杜热合曼·买买提依明·艾则孜·吐尔逊托合提"},
        {"empty name", FaceName, "", ""},
        {"nation loses its 族", FaceNation, "汉族", "汉"},
        {"longer nation name", FaceNation, "蒙古族", "蒙古"},
        {"nation without 族 unchanged", FaceNation, "穿青人", "穿青人"},
        {"族 anywhere drops the last character", FaceNation, "族人", "族"},
        {"nation code shown as the code", FaceNation, "01", "01"},
        {"year", year, "1990-01-05", "1990"},
        {"month without leading zero", month, "1990-01-05", "1"},
        {"day without leading zero", day, "1990-01-05", "5"},
        {"two-digit month", month, "1990-10-20", "10"},
        {"two-digit day", day, "1990-10-20", "20"},
        {"short date: shorter month", month, "1990-1", "1"},
        {"short date: empty day", day, "1990-1", ""},
        {"zero month digit at the end", month, "1990-0", ""},
        {"unformatted 7 digits", year, "1990010", "1990"},
        {"empty date", month, "", ""},
        {"sixteen digits", FaceValidity, "2010010120300101", "2010.01.01-2030.01.01"},
        {"start date and 长期", FaceValidity, "20100101长期", "2010.01.01-长期"},
        {"longer than sixteen", FaceValidity, "20100101203001019", "2010.01.01-2030.01.019"},
        {"other text unchanged", FaceValidity, "2010", "2010"},
        {"empty validity", FaceValidity, "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.rule(QString::fromUtf8(c.in)).toStdString(), c.out) << c.what;
}

TEST(CardFaceRules, AddressWrapsElevenCjkCharactersPerLine)
{
    const QFont font = CardFont("华文细黑", 10);
    struct Case
    {
        int chars;
        std::vector<int> lineLengths;
    };
    const Case cases[] = {
        {0, {}},       {1, {1}},       {10, {10}},        {11, {11}},
        {12, {11, 1}}, {22, {11, 11}}, {23, {11, 11, 1}}, {98, {11, 11, 11, 11, 11, 11, 11, 11, 10}},
        {99, {}},      {150, {}},
    };
    for (const Case& c : cases) {
        std::vector<int> lengths;
        for (const QString& line : FaceAddressLines(QString::fromStdString(Cjk(c.chars)), font))
            lengths.push_back(int(line.size()));
        EXPECT_EQ(lengths, c.lineLengths) << c.chars << " characters";
    }
}

TEST(CardFaceRules, NarrowCharactersLetALineGrowUpToTheFullWidth)
{
    const QFont font = CardFont("华文细黑", 10);
    const QFontMetricsF metrics(font);
    const qreal full = metrics.horizontalAdvance(QString(11, QChar(0x56FD)) + ' ');
    const QString address = QString::fromUtf8("1234567890123456789012345678901234567890号");
    const std::vector<QString> lines = FaceAddressLines(address, font);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_GT(lines[0].size(), 11) << "digits are narrower than CJK characters";
    QString joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        joined += lines[i];
        if (i + 1 < lines.size()) {
            EXPECT_LT(metrics.horizontalAdvance(lines[i]), full) << i;
            EXPECT_GE(metrics.horizontalAdvance(lines[i] + lines[i + 1].front()), full) << i;
        }
    }
    EXPECT_EQ(joined, address) << "no character lost or repeated";
}

TEST(CardFaceLayout, FrontAndBackTextsAtTheirPlaces)
{
    const std::vector<FaceText> front = FrontTexts(SampleCard());
    struct Expected
    {
        const char* text;
        QPoint at;
        int pixels;
    };
    const Expected expected[] = {
        {"张 三", {62, 31}, 15},
        {"男", {62, 56}, 13},
        {"汉", {129, 56}, 13},
        {"1990", {62, 80}, 13},
        {"1", {114, 80}, 13},
        {"5", {141, 80}, 13},
        {"北京市东城区景山前街四", {62, 107}, 13},
        {"号院一号楼二单元", {62, 121}, 13},
        {"11010119900105123X", {103, 168}, 15},
    };
    ASSERT_EQ(front.size(), std::size(expected));
    for (std::size_t i = 0; i < front.size(); ++i) {
        EXPECT_EQ(front[i].Text.toStdString(), expected[i].text) << i;
        EXPECT_EQ(front[i].TopLeft, expected[i].at) << expected[i].text;
        EXPECT_EQ(front[i].Font.pixelSize(), expected[i].pixels) << expected[i].text;
    }
    EXPECT_TRUE(front.back().Font.bold());

    const std::vector<FaceText> back = BackTexts(SampleCard());
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].Text.toStdString(), "北京市公安局东城分局");
    EXPECT_EQ(back[0].TopLeft, QPoint(127, 145));
    EXPECT_EQ(back[1].Text.toStdString(), "2010.01.01-2030.01.01");
    EXPECT_EQ(back[1].TopLeft, QPoint(127, 171));
}

TEST(CardFaceLayout, AddressOf99CharactersIsNotDrawnButTheRestIs)
{
    CardFaceTexts card = SampleCard();
    card.Address = Cjk(99);
    const std::vector<std::string> texts = Texts(FrontTexts(card));
    EXPECT_EQ(texts, (std::vector<std::string>{"张 三", "男", "汉", "1990", "1", "5", "11010119900105123X"}));
}

TEST(CardFaceFonts, CardFontsMapToInstalledFamilies)
{
    struct Case
    {
        const char* family;
        bool bold;
        std::vector<QString> accepted;
    };
    const Case cases[] = {
        {"华文细黑", false, {"WenQuanYi Zen Hei", "Noto Sans CJK SC"}},
        {"黑体", false, {"WenQuanYi Zen Hei", "Noto Sans CJK SC"}},
        {"宋体", false, {"Noto Serif CJK SC", "WenQuanYi Zen Hei", "Noto Sans CJK SC"}},
        {"OCR-B 10 BT", true, {"OCR B", "OCR-B"}},
    };
    for (const Case& c : cases) {
        const QFontInfo info(CardFont(QString::fromUtf8(c.family), 10, c.bold));
        EXPECT_NE(std::find(c.accepted.begin(), c.accepted.end(), info.family()), c.accepted.end())
            << c.family << " became " << info.family().toStdString();
        EXPECT_EQ(info.pixelSize(), 13) << c.family;
    }
    EXPECT_EQ(CardFont("黑体", 11).pixelSize(), 15);
}

// Every pixel of the composed face outside the photo and the text boxes is the template's; each
// non-empty text box holds dark pixels.
void ExpectOnlyTextsAndPhotoChanged(const QImage& composed, const QImage& blank,
                                    const std::vector<FaceText>& texts, bool withPhoto)
{
    ASSERT_EQ(composed.size(), blank.size());
    std::vector<QRect> boxes;
    for (const FaceText& item : texts) {
        const QRect box = TextBox(item);
        boxes.push_back(box);
        if (item.Text.isEmpty())
            continue;
        int dark = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                dark += composed.valid(x, y) && IsDark(composed.pixel(x, y));
        EXPECT_GT(dark, 3) << "text " << item.Text.toStdString() << " not drawn in its box";
    }
    int stray = 0;
    for (int y = 0; y < blank.height(); ++y) {
        for (int x = 0; x < blank.width(); ++x) {
            if (withPhoto && kPhotoRect.contains(x, y))
                continue;
            bool inText = false;
            for (const QRect& box : boxes)
                inText = inText || box.contains(x, y);
            if (!inText && Rgb(composed.pixel(x, y)) != Rgb(blank.pixel(x, y)))
                ++stray;
        }
    }
    EXPECT_EQ(stray, 0) << "pixels changed outside the photo and the text boxes";
}

TEST(CardFaceImages, FrontChangesOnlyTextBoxesAndPhoto)
{
    const QImage blank = PatternTemplate();
    const QImage photo = Photo();
    const CardFaceTexts card = SampleCard();
    const QImage front = ComposeFront(blank, photo, card);
    ExpectOnlyTextsAndPhotoChanged(front, blank, FrontTexts(card), true);

    // The photo lands unscaled; its key colour (that of (1, 1)) lets the template show through.
    const QRgb key = Rgb(photo.pixel(1, 1));
    int keyPixels = 0;
    for (int y = 0; y < kPhotoHeight; ++y) {
        for (int x = 0; x < kPhotoWidth; ++x) {
            const QRgb want = Rgb(photo.pixel(x, y)) == key ? blank.pixel(kPhotoLeft + x, kPhotoTop + y)
                                                            : photo.pixel(x, y);
            keyPixels += Rgb(photo.pixel(x, y)) == key;
            ASSERT_EQ(Rgb(front.pixel(kPhotoLeft + x, kPhotoTop + y)), Rgb(want)) << x << "," << y;
        }
    }
    EXPECT_GT(keyPixels, 1000);
}

TEST(CardFaceImages, BackChangesOnlyTextBoxes)
{
    const QImage blank = PatternTemplate();
    const CardFaceTexts card = SampleCard();
    ExpectOnlyTextsAndPhotoChanged(ComposeBack(blank, card), blank, BackTexts(card), false);
}

TEST(CardFaceImages, LongNameAndNarrowAddressStayInTheirBoxes)
{
    CardFaceTexts card = SampleCard();
    card.Name = "阿卜杜热合曼·买买提依明·艾则孜";
    card.Address = "1234567890123456789012345678901234567890号";
    const QImage blank = PatternTemplate();
    const std::vector<FaceText> texts = FrontTexts(card);
    ASSERT_EQ(texts[0].Text.toStdString(), card.Name) << "drawn whole";
    ExpectOnlyTextsAndPhotoChanged(ComposeFront(blank, Photo(), card), blank, texts, true);
}

TEST(CardFaceImages, PhotosOfOtherSizes)
{
    const QImage blank = PatternTemplate();
    const CardFaceTexts none;
    const QPoint origin(kPhotoLeft, kPhotoTop);

    // One pixel: the key colour is 254,254,254 whatever the photo holds.
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(qRgb(9, 8, 7));
    EXPECT_EQ(Rgb(ComposeFront(blank, dot, none).pixel(origin)), Rgb(qRgb(9, 8, 7)));
    dot.fill(qRgb(254, 254, 254));
    EXPECT_EQ(Rgb(ComposeFront(blank, dot, none).pixel(origin)), Rgb(blank.pixel(origin)));

    // Smaller: copied only where it has pixels.
    const QImage small = Photo(40, 50);
    const QImage withSmall = ComposeFront(blank, small, none);
    for (int y = 0; y < kPhotoHeight; ++y) {
        for (int x = 0; x < kPhotoWidth; ++x) {
            const QPoint at = origin + QPoint(x, y);
            const bool fromPhoto = small.valid(x, y) && Rgb(small.pixel(x, y)) != Rgb(small.pixel(1, 1));
            ASSERT_EQ(Rgb(withSmall.pixel(at)), Rgb(fromPhoto ? small.pixel(x, y) : blank.pixel(at)))
                << x << "," << y;
        }
    }

    // Larger: only 102 by 126 pixels are copied.
    const QImage large = Photo(300, 300, qRgb(1, 2, 3));
    const QImage withLarge = ComposeFront(blank, large, none);
    EXPECT_EQ(Rgb(withLarge.pixel(kPhotoLeft + kPhotoWidth, 100)),
              Rgb(blank.pixel(kPhotoLeft + kPhotoWidth, 100)));
    EXPECT_EQ(Rgb(withLarge.pixel(100, kPhotoTop + kPhotoHeight)),
              Rgb(blank.pixel(100, kPhotoTop + kPhotoHeight)));
    EXPECT_EQ(Rgb(withLarge.pixel(kPhotoLeft + 101, kPhotoTop + 125)), Rgb(large.pixel(101, 125)));
}

TEST(CardFaceImages, TemplateSizeAndResolutionField)
{
    // A template smaller than the photo's place is drawn on as far as it goes.
    const QImage narrow = PatternTemplate(250, 100);
    const QImage composed = ComposeFront(narrow, Photo(), SampleCard());
    EXPECT_EQ(composed.size(), QSize(250, 100));
    EXPECT_EQ(Rgb(composed.pixel(249, 99)), Rgb(Photo().pixel(44, 79)));

    // Fonts are sized in pixels: the resolution a bitmap claims changes nothing.
    QImage at96 = PatternTemplate();
    QImage at300 = PatternTemplate();
    at300.setDotsPerMeterX(11811);
    at300.setDotsPerMeterY(11811);
    const QImage a = ComposeFront(at96, Photo(), SampleCard()).convertToFormat(QImage::Format_RGB32);
    const QImage b = ComposeFront(at300, Photo(), SampleCard()).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(a.size(), b.size());
    bool same = true;
    for (int y = 0; y < a.height() && same; ++y)
        for (int x = 0; x < a.width() && same; ++x)
            same = Rgb(a.pixel(x, y)) == Rgb(b.pixel(x, y));
    EXPECT_TRUE(same);
}

// ---- Files in the program folder -----------------------------------------------------------------

class CardFaceFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path().toStdString() + "/";
    }

    QString Path(const char* name) const { return dir.filePath(name); }
    void Write(const char* name, const QImage& image) const { ASSERT_TRUE(image.save(Path(name), "BMP")); }
    void WriteAll() const
    {
        Write("PrintMP.bmp", PatternTemplate());
        Write("PrintSB.bmp", PatternTemplate());
        Write("ImgTemp.bmp", Photo());
    }
    QByteArray Bytes(const char* name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static bool SamePixels(const QImage& a, const QImage& b)
    {
        return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir dir;
    std::string folder;
};

TEST_F(CardFaceFiles, SavesBothFacesAsComposed)
{
    WriteAll();
    ComposeCardImages(SampleCard(), folder);
    const QImage blank(Path("PrintMP.bmp"));
    EXPECT_TRUE(SamePixels(QImage(Path("Print_P.bmp")),
                           ComposeFront(blank, QImage(Path("ImgTemp.bmp")), SampleCard())));
    EXPECT_TRUE(
        SamePixels(QImage(Path("Print_B.bmp")), ComposeBack(QImage(Path("PrintSB.bmp")), SampleCard())));
    EXPECT_EQ(Bytes("Print_P.bmp").left(2), "BM");
}

TEST_F(CardFaceFiles, FileNamesInAnyLetterCase)
{
    Write("printmp.BMP", PatternTemplate());
    Write("PRINTSB.bmp", PatternTemplate());
    Write("imgtemp.bmp", Photo());
    Write("print_P.bmp", QImage(3, 3, QImage::Format_RGB32));
    ComposeCardImages(SampleCard(), folder);
    EXPECT_EQ(QImage(Path("print_P.bmp")).size(), QSize(342, 216)) << "the existing file is the one written";
    EXPECT_FALSE(QFile::exists(Path("Print_P.bmp")));
    EXPECT_TRUE(QFile::exists(Path("Print_B.bmp")));
}

TEST_F(CardFaceFiles, MissingInputRaisesAndKeepsTheEarlierFaces)
{
    struct Case
    {
        const char* missing;
        bool frontSaved;
    };
    for (const Case c : {Case{"ImgTemp.bmp", false}, Case{"PrintMP.bmp", false}, Case{"PrintSB.bmp", true}}) {
        WriteAll();
        Write("Print_P.bmp", PatternTemplate(10, 10));
        Write("Print_B.bmp", PatternTemplate(10, 10));
        const QByteArray oldFront = Bytes("Print_P.bmp");
        const QByteArray oldBack = Bytes("Print_B.bmp");
        ASSERT_TRUE(QFile::remove(Path(c.missing)));
        EXPECT_THROW(ComposeCardImages(SampleCard(), folder), EFOpenError) << c.missing;
        EXPECT_EQ(Bytes("Print_P.bmp") == oldFront, !c.frontSaved) << c.missing;
        EXPECT_EQ(Bytes("Print_B.bmp"), oldBack) << c.missing;
    }
}

TEST_F(CardFaceFiles, UnreadableTemplateRaises)
{
    WriteAll();
    QFile bad(Path("PrintMP.bmp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("BM not a bitmap");
    bad.close();
    EXPECT_THROW(ComposeCardImages(SampleCard(), folder), EFOpenError);
    EXPECT_FALSE(QFile::exists(Path("Print_P.bmp")));
}

TEST_F(CardFaceFiles, FaceThatCannotBeSavedRaises)
{
    WriteAll();
    ASSERT_TRUE(QDir(dir.path()).mkdir("Print_P.bmp")); // a folder where the face should go
    EXPECT_THROW(ComposeCardImages(SampleCard(), folder), EFCreateError);
    EXPECT_FALSE(QFile::exists(Path("Print_B.bmp"))) << "the back is not composed after the front failed";
}

// ---- A sample card to look at ----------------------------------------------------------------------

std::string SourceDir()
{
    if (const char* dir = std::getenv("ZIRA_SOURCE_DIR"))
        return dir;
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
}

std::string BinaryDir()
{
    if (const char* dir = std::getenv("ZIRA_BINARY_DIR"))
        return dir;
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path().parent_path();
}

// The shipped front's labels of the birth date keep clear of the widest year, month and day: no
// pixel of a label lies within one pixel of where a date part has ink.
TEST(CardFaceSample, BirthDateLabelsOfTheShippedFrontStandClearOfTwoDigitParts)
{
    const QImage blank = QImage(QString::fromStdString(SourceDir() + "/dist/PrintMP.bmp"))
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(blank.size(), QSize(342, 216));
    const QRgb face = Rgb(blank.pixel(330, 120));
    for (const char* birth : {"1988-10-20", "1999-12-31"}) {
        CardFaceTexts card;
        card.BirthDate = birth;
        const std::vector<FaceText> items = FrontTexts(card);
        for (std::size_t i = 3; i <= 5; ++i) { // year, month, day
            const FaceText& item = items[i];
            QImage alone(blank.size(), QImage::Format_RGB32);
            alone.fill(Qt::white);
            {
                QPainter painter(&alone);
                painter.setFont(item.Font);
                painter.setPen(Qt::black);
                painter.drawText(
                    QPointF(item.TopLeft.x(), item.TopLeft.y() + QFontMetricsF(item.Font).ascent()),
                    item.Text);
            }
            QRect ink;
            for (int y = 0; y < alone.height(); ++y)
                for (int x = 0; x < alone.width(); ++x)
                    if (Rgb(alone.pixel(x, y)) != 0xFFFFFFu)
                        ink |= QRect(x, y, 1, 1);
            ASSERT_FALSE(ink.isEmpty()) << item.Text.toStdString();
            int touched = 0;
            const QRect around = ink.adjusted(-1, -1, 1, 1);
            for (int y = around.top(); y <= around.bottom(); ++y)
                for (int x = around.left(); x <= around.right(); ++x)
                    touched += Rgb(blank.pixel(x, y)) != face;
            EXPECT_EQ(touched, 0) << birth << ": a label runs into " << item.Text.toStdString();
        }
    }
}

// Composes the sample card on the shipped templates with the stand-in decoder's photo into
// card-sample/ of the working folder (the test's build folder under CTest), to be looked at.
TEST(CardFaceSample, ComposesTheSampleCardOnTheShippedTemplates)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute("card-sample");
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* name : {"PrintMP.bmp", "PrintSB.bmp"})
        fs::copy_file(fs::path(SourceDir()) / "dist" / name, folder / name);
    fs::copy_file(fs::path(BinaryDir()) / "tools/wltrs/libwltrs.so", folder / "libwltrs.so");
    QFile wlt(QString::fromStdString((folder / "ImgTemp.wlt").string()));
    ASSERT_TRUE(wlt.open(QIODevice::WriteOnly));
    wlt.write(QByteArray(1024, char(0x5A)));
    wlt.close();

    const std::string programFolder = folder.string() + "/";
    PhotoDecoder decoder;
    ASSERT_TRUE(decoder.Load(programFolder)) << decoder.ErrorText();
    ASSERT_EQ(decoder.Decode(programFolder, 1001).Status, PhotoStatus::Decoded);
    ComposeCardImages(SampleCard(), programFolder);

    const QImage blank(QString::fromStdString((folder / "PrintMP.bmp").string()));
    const QImage front(QString::fromStdString((folder / "Print_P.bmp").string()));
    const QImage back(QString::fromStdString((folder / "Print_B.bmp").string()));
    ASSERT_EQ(front.size(), QSize(342, 216));
    ASSERT_EQ(back.size(), QSize(342, 216));
    ExpectOnlyTextsAndPhotoChanged(front, blank, FrontTexts(SampleCard()), true);
    std::cout << "sample card faces: " << folder.string() << "/Print_P.bmp, Print_B.bmp\n";
}

} // namespace
