// The sex and nation lookups through the main window's query Table1: on DataBase.mdb through the
// mdbtools driver as a table of codes, on a SQLite code table with two rows for one code, and a card
// read over the reader's own protocol whose texts reach the controls, the composed front face and the
// printed page.
#include "app/mainwindow/CodeLookup.h"
#include "DecoderFiles.h"
#include "ProgramDatabase.h"
#include "WindowEnvironment.h"

#include "app/mainwindow/MainWindow.h"
#include "fakes/FakeReaderPty.h"
#include "fakes/FakeUiServices.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/Exception.h"
#include "print/CardFaces.h"
#include "print/PrintChoiceDialog.h"
#include "print/ReportForm.h"

#include <QFontMetrics>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

// The window as the start-up leaves it: its connection pointed at the database in the program folder.
class LookupWindow : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string Folder() const { return dir.path().toStdString() + "/"; }

    std::unique_ptr<TForm1> Create()
    {
        return std::make_unique<TForm1>(WindowEnvironment(dir.path().toStdString(), ui, pty.clock, pty.pump));
    }

    void UseAccess(TForm1& w) { UseProgramDatabase(w, Folder()); }

    // A window that reads its cards from the reader peer behind ports/COM1 and composes their faces.
    std::unique_ptr<TForm1> CreateReading()
    {
        InstallDecoderAndTemplates(Folder());
        auto w = Create();
        pty.msPerPump = 5000;
        fs::create_directories(Folder() + "ports");
        fs::create_symlink(pty.Path(), Folder() + "ports/COM1");
        w->ReaderPort = 1;
        return w;
    }

    QTemporaryDir dir;
    FakeUiServices ui;
    FakeReaderPty pty;
};

// The texts the front face is composed from: the controls as the read left them.
CardFaceTexts ShownTexts(const TForm1& w)
{
    CardFaceTexts texts;
    texts.Name = w.edt_xm->text().toStdString();
    texts.Sex = w.edt_xb->text().toStdString();
    texts.Nation = w.edt_mz->text().toStdString();
    texts.BirthDate = w.edt_csrq->text().toStdString();
    texts.Address = w.memo_xz->toPlainText().toStdString();
    texts.IdNumber = w.edt_sfzh->text().toStdString();
    texts.Authority = w.edt_qfjg->text().toStdString();
    texts.Validity = w.edt_yxqx->text().toStdString();
    return texts;
}

QImage Rgb(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// Where the front face carries the sex and the nation.
QRect TextArea(const CardFaceTexts& texts)
{
    QRect area;
    for (const FaceText& item : FrontTexts(texts)) {
        if (item.Text == QString::fromStdString(texts.Sex) ||
            item.Text == FaceNation(QString::fromStdString(texts.Nation)))
            area |= QFontMetrics(item.Font).boundingRect(item.Text).translated(
                item.TopLeft + QPoint(0, QFontMetrics(item.Font).ascent()));
    }
    return area;
}

// The mean difference of the colour channels of two pictures inside area.
double Difference(const QImage& a, const QImage& b, const QRect& area)
{
    double sum = 0;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            sum +=
                std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) + std::abs(p.blue() - q.blue());
            count += 3;
        }
    return count == 0 ? 0 : sum / count;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a lookup gives: its text, or nothing when it raised (the control keeps its text).
template <class Lookup>
std::optional<std::string> Shown(Lookup lookup, TCustomOEQuery& query, const char* code)
{
    try {
        return lookup(query, code);
    } catch (const Exception&) {
        return std::nullopt;
    }
}

TEST_F(LookupWindow, CodesOnTheProgramsDatabase)
{
    auto w = Create();
    UseAccess(*w);
    TOEQuery& table = *w->Table1;
    const struct
    {
        const char* code;
        std::optional<std::string> sex;
        std::optional<std::string> nation;
    } cases[] = {
        {"1", "男", "汉族"},
        {"2", "女", "蒙古族"},
        {"01", "01", "汉族"}, // the nation code is looked up as a number; the sex code as it is
        {"56", "56", "基诺族"},
        {"77", "77", "77"}, // absent: the code itself
        {"0", "未知", "0"},
        {"0A", "0A", std::nullopt}, // a letter in the nation code: the lookup raises
        {"1'", "1'", "1'"},         // a quote never reaches the statement: a code the table lacks
        {"1' OR '1'='1", "1' OR '1'='1", "1' OR '1'='1"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Shown(LookupSexText, table, c.code), c.sex) << "sex '" << c.code << "'";
        EXPECT_EQ(Shown(LookupNationText, table, c.code), c.nation) << "nation '" << c.code << "'";
    }
    // The query stays on the last lookup's statement, as the two lines the lookup gave it.
    EXPECT_EQ(Shown(LookupNationText, table, "56"), "基诺族");
    EXPECT_TRUE(table.Active());
    ASSERT_EQ(table.SQL().Count(), 2);
    EXPECT_EQ(table.SQL()[0], " select di_selno,di_mnemonic,di_cvalue from dictionary where di_dfid=8 ");
    EXPECT_EQ(table.SQL()[1], " and di_selno = '56'");
    // A nation code that is no number leaves the query closed on the first line.
    EXPECT_EQ(Shown(LookupNationText, table, "0A"), std::nullopt);
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.SQL().Count(), 1);
}

TEST_F(LookupWindow, WithoutTheDatabaseACardShowsItsCodesNotTheEarlierTexts)
{
    auto w = CreateReading();
    w->edt_xb->setText("earlier");
    w->edt_mz->setText("earlier too");
    w->ReadCard(); // no DataBase.mdb in the folder: both lookups fail
    EXPECT_EQ(w->edt_xb->text().toStdString(), pty.Peer().Card().sexCode);
    EXPECT_EQ(w->edt_mz->text().toStdString(), pty.Peer().Card().nationCode);
    EXPECT_EQ(w->edt_sfzh->text().toStdString(), pty.Peer().Card().idNo);
    EXPECT_FALSE(w->edt_csrq->text().isEmpty()) << "decoding goes on after a failed lookup";
}

TEST_F(LookupWindow, TwoRowsForOneCodeShowTheFirstTheDriverDelivers)
{
    auto w = Create();
    UseNewSqlite(*w->Hdbc_Access);
    w->Hdbc_Access->Connect();
    ASSERT_EQ(
        ExecSql(*w->Hdbc_Access,
                "CREATE TABLE dictionary (di_dfid INTEGER, di_selno VARCHAR(10), di_mnemonic VARCHAR(10), "
                "di_cvalue VARCHAR(50))"),
        0);
    for (const char* row : {"(7, '1', 'M', '男')", "(7, '1', 'X', '男性')", "(8, '1', 'HA', '汉族')",
                            "(8, '1', 'HB', '汉')", "(8, '01', 'Z', '零一')"})
        ASSERT_EQ(ExecSql(*w->Hdbc_Access, std::string("INSERT INTO dictionary VALUES ") + row), 0) << row;
    EXPECT_EQ(LookupSexText(*w->Table1, "1"), "男");
    EXPECT_EQ(LookupNationText(*w->Table1, "01"), "汉族") << "01 is looked up as 1";
    w->Hdbc_Access->Disconnect();
}

TEST_F(LookupWindow, ACardReadShowsAndPrintsTheTexts)
{
    auto w = CreateReading();
    UseAccess(*w);
    const SampleCard card = pty.Peer().Card();
    ASSERT_EQ(card.sexCode, "1");
    ASSERT_EQ(card.nationCode, "01");

    w->ReadCard();
    EXPECT_EQ(w->edt_xb->text().toStdString(), "男");
    EXPECT_EQ(w->edt_mz->text().toStdString(), "汉族");

    // The front face carries the texts: it is the face composed from them, not from the codes.
    const CardFaceTexts texts = ShownTexts(*w);
    const QImage blank(QString::fromStdString(Folder() + "PrintMP.bmp"));
    const QImage photo(QString::fromStdString(Folder() + "ImgTemp.bmp"));
    const QImage front(QString::fromStdString(Folder() + "Print_P.bmp"));
    const auto rgb = Rgb;
    ASSERT_FALSE(front.isNull());
    EXPECT_EQ(rgb(front), rgb(ComposeFront(blank, photo, texts)));
    CardFaceTexts codes = texts;
    codes.Sex = "1";
    codes.Nation = "01";
    EXPECT_NE(rgb(front), rgb(ComposeFront(blank, photo, codes)));

    // The printed page: the report form prints the faces composed again from the controls.
    TForm8 form8(Folder());
    TForm12 form12(Folder(), w->PrintCopies);
    w->Form8 = &form8;
    w->Form12 = &form12;
    QPrinter& printer = form8.QuickRep2->Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(Folder() + "page.pdf"));
    w->btn_printchkClick(w->btn_printchk);
    ASSERT_TRUE(fs::exists(Folder() + "page.pdf"));
    EXPECT_EQ(rgb(form8.QuickRep2->Page().FrontImage()), rgb(ComposeFront(blank, photo, texts)));
    // The faces are pictures on the page, stored as JPEG: poppler takes the front out of the PDF, and
    // where the sex and nation are drawn it is the face composed from the texts, not from the codes.
    const std::string pdf = Folder() + "page.pdf";
    ASSERT_EQ(std::system(("pdfimages -png '" + pdf + "' '" + Folder() + "page'").c_str()), 0);
    const QImage printed = rgb(QImage(QString::fromStdString(Folder() + "page-000.png")));
    ASSERT_EQ(printed.size(), QSize(342, 216));
    const QRect where = TextArea(texts) | TextArea(codes);
    EXPECT_LT(Difference(printed, rgb(ComposeFront(blank, photo, texts)), where) * 2,
              Difference(printed, rgb(ComposeFront(blank, photo, codes)), where));
    ASSERT_EQ(std::system(("pdftotext '" + pdf + "' '" + Folder() + "page.txt'").c_str()), 0);
    EXPECT_NE(ReadText(Folder() + "page.txt").find("第二代居民身份证打印件"), std::string::npos);
    w->Hdbc_Access->Disconnect();
}

// A nation code with a letter has no text: the next holder's card shows that code on the screen and
// on its front face, never the nation of the card before it.
TEST_F(LookupWindow, ACardWhoseNationHasNoTextShowsItsCodeNotTheCardBefore)
{
    auto w = CreateReading();
    UseAccess(*w);
    w->ReadCard();
    ASSERT_EQ(w->edt_xb->text().toStdString(), "男");
    ASSERT_EQ(w->edt_mz->text().toStdString(), "汉族");

    SampleCard& card = pty.Peer().Card();
    card.idNo = "110101199001010022";
    card.name = "李四";
    card.nationCode = "0A";
    w->ReadCard();
    ASSERT_EQ(w->edt_sfzh->text().toStdString(), card.idNo);
    EXPECT_EQ(w->edt_xb->text().toStdString(), "男") << "its own sex code still has its text";
    EXPECT_EQ(w->edt_mz->text().toStdString(), "0A");

    const CardFaceTexts texts = ShownTexts(*w);
    const QImage blank(QString::fromStdString(Folder() + "PrintMP.bmp"));
    const QImage photo(QString::fromStdString(Folder() + "ImgTemp.bmp"));
    const QImage front = Rgb(QImage(QString::fromStdString(Folder() + "Print_P.bmp")));
    EXPECT_TRUE(front == Rgb(ComposeFront(blank, photo, texts)));
    CardFaceTexts before = texts;
    before.Nation = "汉族";
    EXPECT_FALSE(front == Rgb(ComposeFront(blank, photo, before)))
        << "the front carries the card before's nation";
    w->Hdbc_Access->Disconnect();
}

} // namespace
