#include "print/CardFaces.h"

#include "platform/core/Exception.h"
#include "platform/os/FileResolver.h"

#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <mutex>

namespace {

const QString kXiHei = QStringLiteral("华文细黑");
const QString kHeiTi = QStringLiteral("黑体");
const QString kSongTi = QStringLiteral("宋体");
const QString kOcrB = QStringLiteral("OCR-B 10 BT");

// Address wrapping: a full line is eleven CJK characters; the lines start at y 107, 14 apart, and
// an address of 99 characters or more is not drawn (the card holds at most 35).
constexpr int kAddressLineChars = 11;
constexpr int kAddressMaxChars = 98;
constexpr int kAddressX = 62;
constexpr int kAddressY = 107;
constexpr int kAddressPitch = 14;

// Texts are cut and counted by characters (code points), never by UTF-16 units.
std::vector<char32_t> Chars(const QString& text)
{
    std::vector<char32_t> chars;
    for (char32_t c : text.toUcs4())
        chars.push_back(c);
    return chars;
}

QString Text(const std::vector<char32_t>& chars, std::size_t from, std::size_t count)
{
    if (from >= chars.size())
        return {};
    count = std::min(count, chars.size() - from);
    return QString::fromUcs4(chars.data() + from, qsizetype(count));
}

// Inserts before the 1-based position; a position past the end appends.
void Insert(std::vector<char32_t>& chars, char32_t c, std::size_t position)
{
    chars.insert(chars.begin() + std::ptrdiff_t(std::min(position - 1, chars.size())), c);
}

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

void CopyPhoto(QImage& canvas, const QImage& photoFile)
{
    const QImage photo = photoFile.convertToFormat(QImage::Format_RGB32);
    const QRgb key = photo.width() > 1 && photo.height() > 1 ? photo.pixel(1, 1) : qRgb(254, 254, 254);
    const int width = std::min({photo.width(), kPhotoWidth, canvas.width() - kPhotoLeft});
    const int height = std::min({photo.height(), kPhotoHeight, canvas.height() - kPhotoTop});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = photo.pixel(x, y);
            if (qRed(pixel) != qRed(key) || qGreen(pixel) != qGreen(key) || qBlue(pixel) != qBlue(key))
                canvas.setPixel(kPhotoLeft + x, kPhotoTop + y, pixel);
        }
    }
}

QImage Canvas(const QImage& blank)
{
    // An indexed or monochrome template cannot be painted on; its picture is kept, its format not.
    return blank.convertToFormat(blank.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

void DrawTexts(QImage& canvas, const std::vector<FaceText>& texts)
{
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor(0, 0, 0));
    painter.setBrush(Qt::NoBrush);
    for (const FaceText& item : texts) {
        painter.setFont(item.Font);
        const QFontMetricsF metrics(item.Font, &canvas);
        painter.drawText(QPointF(item.TopLeft.x(), item.TopLeft.y() + metrics.ascent()), item.Text);
    }
}

QImage LoadImage(const std::string& programFolder, const char* name)
{
    const std::string path = ResolveFile(programFolder, name);
    QImageReader reader(QString::fromStdString(path));
    QImage image = reader.read();
    if (image.isNull())
        throw EFOpenError("Cannot open file \"" + path + "\". " + reader.errorString().toStdString());
    return image;
}

// Written through a temporary file and renamed, so that a failed save never leaves a half-written
// face or passes the previous card's face off as this one's.
void SaveImage(const QImage& image, const std::string& programFolder, const char* name)
{
    const std::string path = ResolveFile(programFolder, name);
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "BMP") || !file.commit())
        throw EFCreateError("Cannot create file \"" + path + "\". " + file.errorString().toStdString());
}

} // namespace

void RegisterCardFontSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QStringList sans{"WenQuanYi Zen Hei", "Noto Sans CJK SC"};
        QFont::insertSubstitutions(kXiHei, sans);
        QFont::insertSubstitutions(kHeiTi, sans);
        QFont::insertSubstitutions(kSongTi, {"Noto Serif CJK SC", "WenQuanYi Zen Hei", "Noto Sans CJK SC"});
        QFont::insertSubstitutions(kOcrB, {"OCR B", "OCR-B"});
    });
}

QFont CardFont(const QString& family, int points, bool bold)
{
    RegisterCardFontSubstitutions();
    QFont font(family);
    // Points at 96 dpi, rounded as the original platform's font height.
    font.setPixelSize((points * 96 + 36) / 72);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QString FaceName(const QString& name)
{
    const std::vector<char32_t> chars = Chars(name);
    if (chars.size() == 2)
        return Text(chars, 0, 1) + ' ' + Text(chars, 1, 1);
    return name;
}

QString FaceNation(const QString& nation)
{
    if (!nation.contains(QStringLiteral("族")))
        return nation;
    const std::vector<char32_t> chars = Chars(nation);
    return Text(chars, 0, chars.size() - 1);
}

FaceBirthParts FaceBirth(const QString& birthDate)
{
    // yyyy-mm-dd; a shorter text gives shorter or empty parts.
    const std::vector<char32_t> chars = Chars(birthDate);
    const auto part = [&](std::size_t position) {
        if (position <= chars.size() && chars[position - 1] == U'0')
            return Text(chars, position, 1);
        return Text(chars, position - 1, 2);
    };
    return {Text(chars, 0, 4), part(6), part(9)};
}

QString FaceValidity(const QString& validity)
{
    std::vector<char32_t> chars = Chars(validity);
    // From the last position to the first, so that each position counts in the text as read.
    if (chars.size() >= 16) {
        Insert(chars, U'.', 15);
        Insert(chars, U'.', 13);
        Insert(chars, U'-', 9);
        Insert(chars, U'.', 7);
        Insert(chars, U'.', 5);
    } else if (validity.contains(QStringLiteral("长期"))) {
        Insert(chars, U'-', 9);
        Insert(chars, U'.', 7);
        Insert(chars, U'.', 5);
    } else {
        return validity;
    }
    return Text(chars, 0, chars.size());
}

std::vector<QString> FaceAddressLines(const QString& address, const QFont& font)
{
    const std::vector<char32_t> chars = Chars(address);
    std::vector<QString> lines;
    if (chars.size() > std::size_t(kAddressMaxChars))
        return lines;

    // A full line: eleven CJK characters and a blank. Narrower characters let a line grow until one
    // more would reach that width.
    const QFontMetricsF metrics(font);
    const qreal full = metrics.horizontalAdvance(QString(kAddressLineChars, QChar(0x56FD)) + ' ');
    std::size_t from = 0;
    while (from < chars.size()) {
        const std::size_t left = chars.size() - from;
        if (left < std::size_t(kAddressLineChars)) {
            lines.push_back(Text(chars, from, left));
            break;
        }
        std::size_t count = kAddressLineChars;
        while (from + count < chars.size() && metrics.horizontalAdvance(Text(chars, from, count)) < full &&
               metrics.horizontalAdvance(Text(chars, from, count + 1)) < full)
            ++count;
        lines.push_back(Text(chars, from, count));
        from += count;
    }
    return lines;
}

std::vector<FaceText> FrontTexts(const CardFaceTexts& texts)
{
    const QFont name = CardFont(kXiHei, 11);
    const QFont small = CardFont(kXiHei, 10);
    const QFont digits = CardFont(kHeiTi, 10);
    const FaceBirthParts birth = FaceBirth(FromUtf8(texts.BirthDate));

    std::vector<FaceText> items{
        {FaceName(FromUtf8(texts.Name)), {62, 31}, name},
        {FromUtf8(texts.Sex), {62, 56}, small},
        {FaceNation(FromUtf8(texts.Nation)), {129, 56}, small},
        {birth.Year, {62, 80}, digits},
        {birth.Month, {114, 80}, digits},
        {birth.Day, {141, 80}, digits},
    };
    int y = kAddressY;
    for (QString& line : FaceAddressLines(FromUtf8(texts.Address), small)) {
        items.push_back({std::move(line), {kAddressX, y}, small});
        y += kAddressPitch;
    }
    items.push_back({FromUtf8(texts.IdNumber), {103, 168}, CardFont(kOcrB, 11, true)});
    return items;
}

std::vector<FaceText> BackTexts(const CardFaceTexts& texts)
{
    return {
        {FromUtf8(texts.Authority), {127, 145}, CardFont(kSongTi, 10)},
        {FaceValidity(FromUtf8(texts.Validity)), {127, 171}, CardFont(kHeiTi, 10)},
    };
}

QImage ComposeFront(const QImage& blankFront, const QImage& photo, const CardFaceTexts& texts)
{
    QImage canvas = Canvas(blankFront);
    DrawTexts(canvas, FrontTexts(texts));
    CopyPhoto(canvas, photo);
    return canvas;
}

QImage ComposeBack(const QImage& blankBack, const CardFaceTexts& texts)
{
    QImage canvas = Canvas(blankBack);
    DrawTexts(canvas, BackTexts(texts));
    return canvas;
}

void ComposeCardImages(const CardFaceTexts& texts, const std::string& programFolder)
{
    const QImage blankFront = LoadImage(programFolder, "PrintMP.bmp");
    const QImage photo = LoadImage(programFolder, "ImgTemp.bmp");
    SaveImage(ComposeFront(blankFront, photo, texts), programFolder, "Print_P.bmp");

    const QImage blankBack = LoadImage(programFolder, "PrintSB.bmp");
    SaveImage(ComposeBack(blankBack, texts), programFolder, "Print_B.bmp");
}
