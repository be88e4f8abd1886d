#include "platform/os/FileResolver.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

TEST(FileResolver, FindsTheExistingFileWhateverTheCaseOfTheName)
{
    TempFolder folder;
    folder.Touch("STYLE.INI");
    folder.Touch("Print_P.bmp");
    folder.Touch("ports/COM1");

    struct Case
    {
        const char* asked;
        const char* found;
    };
    const Case cases[] = {
        {"style.ini", "STYLE.INI"},     {"STYLE.INI", "STYLE.INI"},   {"Style.Ini", "STYLE.INI"},
        {"PRINT_P.BMP", "Print_P.bmp"}, {"Ports/com1", "ports/COM1"}, {"ports/COM1", "ports/COM1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveFile(folder.Path(), c.asked), folder.Path() + c.found) << c.asked;
}

TEST(FileResolver, AMissingFileKeepsTheNameAsGiven)
{
    TempFolder folder;
    folder.Touch("ports/COM1");
    EXPECT_EQ(ResolveFile(folder.Path(), "ImgTemp.wlt"), folder.Path() + "ImgTemp.wlt");
    // A folder that exists with another case does not make a missing file inside it found.
    EXPECT_EQ(ResolveFile(folder.Path(), "PORTS/COM2"), folder.Path() + "PORTS/COM2");
    EXPECT_EQ(ResolveFile(folder.Path() + "nowhere/", "style.ini"), folder.Path() + "nowhere/style.ini");
}

TEST(FileResolver, AnExactMatchWinsOverCaseVariants)
{
    TempFolder folder;
    folder.Touch("style.ini", "lower");
    folder.Touch("STYLE.INI", "upper");
    folder.Touch("Style.ini", "mixed");
    EXPECT_EQ(ResolveFile(folder.Path(), "Style.ini"), folder.Path() + "Style.ini");
    // No exact match: the same variant every time (the first in byte order).
    EXPECT_EQ(ResolveFile(folder.Path(), "style.INI"), folder.Path() + "STYLE.INI");
}

TEST(FileResolver, AFolderWithoutTrailingSlashIsAFolder)
{
    TempFolder folder;
    folder.Touch("DataBase.mdb");
    std::string bare = folder.Path();
    bare.pop_back();
    EXPECT_EQ(ResolveFile(bare, "database.MDB"), folder.Path() + "DataBase.mdb");
}
