#include "platform/core/Exception.h"
#include "platform/core/FileStream.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::string TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "zira-stream-XXXXXX").string();
    EXPECT_NE(::mkdtemp(tmpl.data()), nullptr);
    return tmpl;
}

std::string Content(const TMemoryStream& s)
{
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

} // namespace

TEST(MemoryStream, ReadWriteSeekAndSize)
{
    TMemoryStream s;
    s.WriteBuffer("hello", 5);
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(s.Size(), 5);
    s.Seek(-2, TSeekOrigin::soEnd);
    s.WriteBuffer("LO!", 3);
    EXPECT_EQ(Content(s), "helLO!");

    char buf[8] = {};
    s.SetPosition(4);
    EXPECT_EQ(s.Read(buf, 8), 2); // short read at the end
    EXPECT_EQ(std::string(buf, 2), "O!");
    EXPECT_THROW(s.ReadBuffer(buf, 1), EReadError);

    s.SetPosition(8); // beyond the end: a write fills the gap with zeros
    s.WriteBuffer("x", 1);
    EXPECT_EQ(Content(s), std::string("helLO!\0\0x", 9));

    s.Seek(-100, TSeekOrigin::soCurrent);
    EXPECT_EQ(s.Position(), 0);

    s.SetSize(3);
    EXPECT_EQ(Content(s), "hel");
    s.SetPosition(3);
    s.SetSize(1);
    EXPECT_EQ(s.Position(), 1);
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, CopyFromZeroCopiesTheWholeSourceFromItsStart)
{
    TMemoryStream src;
    src.WriteBuffer("abcdef", 6);
    src.SetPosition(4);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 0), 6);
    EXPECT_EQ(Content(dst), "abcdef");

    src.SetPosition(1);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(src, 3), 3);
    EXPECT_EQ(Content(part), "bcd");
    EXPECT_THROW(part.CopyFrom(src, 10), EReadError);
}

TEST(FileStream, RoundTripThroughFilesAndNamesTheFileOnFailure)
{
    const std::string dir = TempDir();
    const std::string path = dir + "/data.bin";
    {
        TMemoryStream s;
        s.WriteBuffer(std::string("a\0b", 3).data(), 3);
        s.SaveToFile(path);
    }
    {
        TFileStream f(path, fmOpenReadWrite);
        EXPECT_EQ(f.Size(), 3);
        f.Seek(0, TSeekOrigin::soEnd);
        f.WriteBuffer("cd", 2);
        f.SetSize(4);
    }
    TMemoryStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(Content(back), std::string("a\0bc", 4));
    EXPECT_EQ(back.Position(), 0);

    try {
        TFileStream missing(dir + "/missing.bin", fmOpenRead);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find("Cannot open file \"" + dir + "/missing.bin\""), std::string::npos)
            << e.Message();
    }
    EXPECT_THROW(TFileStream(dir + "/no/such/dir/x", fmCreate), EFCreateError);
    std::filesystem::remove_all(dir);
}
