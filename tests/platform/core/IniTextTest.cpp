// IniText against the settings file itself: a text passes the check exactly when writing it as a key
// (or value) and reading the section back gives the same text and leaves the neighbouring keys alone.
#include "platform/core/IniText.h"
#include "platform/core/IniFile.h"
#include "platform/core/StringList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kCandidates[] = {"",     "01",   "a b", "柜员甲", " 01",  "01 ",   "\t01", "01\t",
                                   "0\n1", "0\r1", "a=b", "=01",    "01=",  "[01",   "[01]", ";01",
                                   " [01", "0[1",  "0;1", "01]",    "a\tb", "x\x01", "\x7f"};

class IniTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "zira-initext-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path() const { return dir_ + "/style.ini"; }

    // A fresh file with a key before and a section after the line written next.
    void Fresh()
    {
        fs::remove(Path());
        TIniFile ini(Path());
        ini.WriteString("OperaManager", "before", "x");
        ini.WriteString("OperaPWD", "other", "y");
    }

    std::string dir_;
};

std::string Shown(const std::string& text)
{
    std::string shown = "\"";
    for (const char c : text) {
        char code[8];
        std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(c));
        shown += static_cast<unsigned char>(c) < 32 ? std::string(code) : std::string(1, c);
    }
    return shown + "\"";
}

} // namespace

TEST_F(IniTextTest, AKeyPassesExactlyWhenTheFileKeepsIt)
{
    for (const std::string& key : kCandidates) {
        Fresh();
        TIniFile(Path()).WriteString("OperaManager", key, "name");
        const TIniFile ini(Path()); // what the next start reads
        TStringList keys;
        ini.ReadSection("OperaManager", keys);
        const bool kept = keys.Count() == 2 && keys[0] == "before" && keys[1] == key &&
                          ini.ReadString("OperaManager", key, "<none>") == "name" &&
                          ini.ReadString("OperaPWD", "other", "") == "y";
        EXPECT_EQ(IniKeyFault(key) == IniTextFault::None, kept) << Shown(key);
    }
}

TEST_F(IniTextTest, AValuePassesExactlyWhenTheFileKeepsIt)
{
    for (const std::string& value : kCandidates) {
        Fresh();
        TIniFile(Path()).WriteString("OperaManager", "01", value);
        const TIniFile ini(Path());
        TStringList keys;
        ini.ReadSection("OperaManager", keys);
        const bool kept = keys.Count() == 2 && ini.ReadString("OperaManager", "01", "<none>") == value &&
                          ini.ReadString("OperaPWD", "other", "") == "y";
        EXPECT_EQ(IniValueFault(value) == IniTextFault::None, kept) << Shown(value);
    }
}

TEST(IniText, FaultKinds)
{
    EXPECT_EQ(IniKeyFault(" 01"), IniTextFault::Blanks);
    EXPECT_EQ(IniKeyFault("0\n1"), IniTextFault::Blanks);
    EXPECT_EQ(IniKeyFault("a=b"), IniTextFault::Syntax);
    EXPECT_EQ(IniKeyFault("[01"), IniTextFault::Syntax);
    EXPECT_EQ(IniKeyFault(";01"), IniTextFault::Syntax);
    EXPECT_EQ(IniValueFault("a=b"), IniTextFault::None);
    EXPECT_EQ(IniValueFault(";[x"), IniTextFault::None);
    EXPECT_EQ(IniValueFault("x\r"), IniTextFault::Blanks);
}
