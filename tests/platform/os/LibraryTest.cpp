#include "platform/os/Library.h"

#include "platform/os/AppDir.h"

#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using ProbeAdd = int (*)(int, int);

// A program folder holding the probe library under the file name the loader maps "LoaderProbe.dll" to.
struct ProgramFolder
{
    TempFolder folder;
    ProgramFolder() { std::filesystem::copy_file(ZIRA_LOADER_PROBE, folder.Path() + "libloaderprobe.so"); }
};

} // namespace

TEST(Library, MapsProgramNamesToLinuxFiles)
{
    struct Case
    {
        const char* name;
        const char* file;
    };
    const Case cases[] = {
        {"ODBC32.DLL", "libodbc.so.2"}, {"odbc32.dll", "libodbc.so.2"}, {"ODBCCP32.DLL", "libodbcinst.so.2"},
        {"wltrs.dll", "libwltrs.so"},   {"SdtApi.DLL", "libsdtapi.so"}, {"hid.dll", "libhid.so"},
        {"sdtapi", "libsdtapi.so"},     {"libm.so.6", "libm.so.6"},     {"/opt/x/Foo.dll", "/opt/x/Foo.dll"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MapLibraryName(c.name), c.file) << c.name;
}

TEST(Library, LoadsByTheMappedNameFromTheProgramFolder)
{
    ProgramFolder program;
    TLibrary library;
    ASSERT_TRUE(library.Load("LoaderProbe.DLL", program.folder.Path())) << library.ErrorText();
    EXPECT_EQ(library.Name(), "LoaderProbe.DLL");
    EXPECT_TRUE(library.ErrorText().empty());
    const auto add = library.Proc<ProbeAdd>("ProbeAdd");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 1005);
}

TEST(Library, SearchesTheProgramFolderSetForTheProcess)
{
    ProgramFolder program;
    SetAppDir(program.folder.Path());
    TLibrary library("loaderprobe.dll");
    SetAppDir("");
    EXPECT_TRUE(library.Loaded()) << library.ErrorText();
}

TEST(Library, AMissingLibraryIsReportedWithTheProgramsName)
{
    TempFolder empty;
    TLibrary library;
    EXPECT_FALSE(library.Load("NoSuchLib.DLL", empty.Path()));
    EXPECT_FALSE(library.Loaded());
    EXPECT_EQ(library.ErrorText().rfind("Error Loading Library: NoSuchLib.DLL", 0), 0u)
        << library.ErrorText();
    EXPECT_EQ(library.Symbol("anything"), nullptr);
}

TEST(Library, AMissingEntryPointIsNull)
{
    ProgramFolder program;
    TLibrary library;
    ASSERT_TRUE(library.Load("LoaderProbe.dll", program.folder.Path()));
    EXPECT_EQ(library.Proc<ProbeAdd>("ProbeSubtract"), nullptr);
    EXPECT_EQ(library.Symbol(nullptr), nullptr);
    EXPECT_NE(library.Proc<ProbeAdd>("ProbeAdd"), nullptr);
}

TEST(Library, FallsBackToTheSystemSearchPath)
{
    TempFolder empty;
    TLibrary library;
    ASSERT_TRUE(library.Load("libm.so.6", empty.Path())) << library.ErrorText();
    const auto cosine = library.Proc<double (*)(double)>("cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
}

TEST(Library, FreeAndMoveLeaveOneOwner)
{
    ProgramFolder program;
    TLibrary first;
    ASSERT_TRUE(first.Load("LoaderProbe.dll", program.folder.Path()));
    TLibrary second = std::move(first);
    EXPECT_FALSE(first.Loaded());
    EXPECT_TRUE(second.Loaded());
    EXPECT_NE(second.Proc<ProbeAdd>("ProbeAdd"), nullptr);

    // A failed reload releases what was loaded before.
    EXPECT_FALSE(second.Load("Missing.dll", program.folder.Path()));
    EXPECT_FALSE(second.Loaded());
    EXPECT_EQ(second.Name(), "Missing.dll");
}
