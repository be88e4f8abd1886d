#pragma once
// Pictures of the identity card's front and back, drawn from the card's texts and the decoded photo
// on the blank card faces PrintMP.bmp and PrintSB.bmp and saved as Print_P.bmp and Print_B.bmp in the
// program folder. The main window shows them and the report prints them.
//
// Positions are pixels on the 342 by 216 card face and give the top-left corner of a text; font
// sizes are points, drawn in pixels at 96 dpi, so the result does not depend on the resolution a
// bitmap file claims. The card's own font names are kept; RegisterCardFontSubstitutions maps them to
// fonts this system has.
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>

#include <string>
#include <vector>

// The card's texts as the main window shows them (UTF-8).
struct CardFaceTexts
{
    std::string Name;
    std::string Sex;
    std::string Nation;
    std::string BirthDate; // yyyy-mm-dd
    std::string Address;
    std::string IdNumber;
    std::string Authority;
    std::string Validity; // as the card gives it: yyyymmddyyyymmdd or yyyymmdd长期
};

// One text on a card face.
struct FaceText
{
    QString Text;
    QPoint TopLeft;
    QFont Font;
};

// Maps the card's fonts ("华文细黑", "黑体", "宋体", "OCR-B 10 BT") to installed families. Called at start;
// calling it again changes nothing.
void RegisterCardFontSubstitutions();

// A font of the card: family, size in points, bold or regular, sized in pixels at 96 dpi.
QFont CardFont(const QString& family, int points, bool bold = false);

// The text rules of the faces.
QString FaceName(const QString& name);         // two characters get one space between them
QString FaceNation(const QString& nation);     // a text holding "族" loses its last character
QString FaceValidity(const QString& validity); // yyyy.mm.dd-yyyy.mm.dd or yyyy.mm.dd-长期
struct FaceBirthParts
{
    QString Year, Month, Day; // month and day without a leading zero
};
FaceBirthParts FaceBirth(const QString& birthDate);
// The address lines (drawn from y 107, 14 apart) in the given font; none for 99 characters or more.
std::vector<QString> FaceAddressLines(const QString& address, const QFont& font);

// The texts of each face, in drawing order, with their positions and fonts.
std::vector<FaceText> FrontTexts(const CardFaceTexts& texts);
std::vector<FaceText> BackTexts(const CardFaceTexts& texts);

// Where the photo goes on the front: 102 by 126 pixels from (205, 20).
constexpr int kPhotoLeft = 205;
constexpr int kPhotoTop = 20;
constexpr int kPhotoWidth = 102;
constexpr int kPhotoHeight = 126;

// The faces drawn on a copy of the template; the template's own size applies. Pixels of the photo
// in its key colour (the colour at (1, 1), or 254,254,254 for a photo of one row or column) are left
// out so that the template shows through the photo's background; a smaller photo is copied only
// where it has pixels.
QImage ComposeFront(const QImage& blankFront, const QImage& photo, const CardFaceTexts& texts);
QImage ComposeBack(const QImage& blankBack, const CardFaceTexts& texts);

// Composes both faces from PrintMP.bmp, PrintSB.bmp and ImgTemp.bmp in the program folder and saves
// Print_P.bmp and Print_B.bmp there (file names in any letter case). A file that cannot be read
// raises EFOpenError, one that cannot be written EFCreateError; a face that was not saved leaves the
// earlier file untouched, and the back is not composed when the front failed.
void ComposeCardImages(const CardFaceTexts& texts, const std::string& programFolder);
