// Photo decoding through a decoder library loaded by name from a temporary program folder: the
// stand-in decoder and its variants (no bitmap written, no entry point), no library at all, and the
// messages each outcome puts into the status bar. A plain function stands in where only the call
// itself is checked (path and interface number).
#include "print/PhotoDecoder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// The build folder: given by CTest, else the test executable's <build>/tests/print.
std::string BinaryDir()
{
    if (const char* dir = std::getenv("ZIRA_BINARY_DIR"))
        return dir;
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path().parent_path();
}

// The stand-in decoder ("" for the real stand-in, "nobitmap" or "noentry" for a variant).
std::string StandIn(const std::string& variant)
{
    const std::string folder = BinaryDir() + "/tools/wltrs/";
    return (variant.empty() ? folder : folder + variant + "/") + "libwltrs.so";
}

class PhotoDecoding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        dir = QDir(root.path());
        folder = root.path().toStdString() + "/";
    }

    void InstallDecoder(const std::string& variant)
    {
        ASSERT_TRUE(std::filesystem::exists(StandIn(variant))) << StandIn(variant) << " not built";
        std::filesystem::copy_file(StandIn(variant), folder + "libwltrs.so");
    }

    void WritePhoto(const QByteArray& bytes, const char* name = "ImgTemp.wlt")
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir root;
    QDir dir; // the program folder: the temporary folder or one of its subfolders
    std::string folder;
};

TEST_F(PhotoDecoding, OutcomesOfEachDecoder)
{
    struct Case
    {
        const char* what;
        const char* variant; // nullptr: no library in the folder
        QByteArray photo;
        bool loads;
        PhotoStatus status;
        int code;
        std::string message;
        bool bitmap;
    };
    const QByteArray photo(1024, 'W');
    const Case cases[] = {
        {"decoded", "", photo, true, PhotoStatus::Decoded, 1, "", true},
        {"decoder error code", "", QByteArray(), true, PhotoStatus::DecoderError, -2,
         "转换二代证图像文件错误，错误代码：-2", false},
        {"success without bitmap", "nobitmap", photo, true, PhotoStatus::NoBitmap, 1, "二代证图像文件错误。",
         false},
        {"entry point missing", "noentry", photo, false, PhotoStatus::DecoderError, kPhotoDecoderMissing,
         "转换二代证图像文件错误，错误代码：0", false},
        {"library missing", nullptr, photo, false, PhotoStatus::DecoderError, kPhotoDecoderMissing,
         "转换二代证图像文件错误，错误代码：0", false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString sub = QString("case%1").arg(++n);
        ASSERT_TRUE(QDir(root.path()).mkdir(sub));
        dir = root.filePath(sub);
        folder = dir.path().toStdString() + "/";
        if (c.variant)
            InstallDecoder(c.variant);
        WritePhoto(c.photo);

        PhotoDecoder decoder;
        EXPECT_EQ(decoder.Load(folder), c.loads);
        EXPECT_EQ(decoder.Loaded(), c.loads);
        EXPECT_EQ(decoder.ErrorText().empty(), c.loads);
        const PhotoDecodeResult result = decoder.Decode(folder, 1001);
        EXPECT_EQ(result.Status, c.status);
        EXPECT_EQ(result.Code, c.code);
        EXPECT_EQ(result.Message, c.message);
        EXPECT_EQ(result.Failed(), c.status != PhotoStatus::Decoded);
        const QImage bitmap(dir.filePath("ImgTemp.bmp"));
        EXPECT_EQ(!bitmap.isNull(), c.bitmap);
        if (c.bitmap) {
            EXPECT_EQ(bitmap.size(), QSize(102, 126));
        }
    }
}

TEST_F(PhotoDecoding, NoPhotoFileDoesNothing)
{
    InstallDecoder("");
    PhotoDecoder decoder;
    ASSERT_TRUE(decoder.Load(folder));
    const PhotoDecodeResult result = decoder.Decode(folder, 1);
    EXPECT_EQ(result.Status, PhotoStatus::NoPhotoFile);
    EXPECT_FALSE(result.Failed());
    EXPECT_TRUE(result.Message.empty());
    EXPECT_FALSE(QFile::exists(dir.filePath("ImgTemp.bmp")));
    // Without a decoder either: still nothing to report.
    EXPECT_EQ(DecodePhoto(nullptr, folder, 1).Status, PhotoStatus::NoPhotoFile);
}

TEST_F(PhotoDecoding, FreedDecoderIsReportedLikeAMissingOne)
{
    InstallDecoder("");
    WritePhoto(QByteArray(1024, 'W'));
    PhotoDecoder decoder;
    ASSERT_TRUE(decoder.Load(folder));
    decoder.Free();
    EXPECT_EQ(decoder.Decode(folder, 1).Code, kPhotoDecoderMissing);
}

// Records the call a decoder gets.
std::string gCalledPath;
int gCalledInterface = 0;
int RecordingGetBmp(const char* path, int interfaceNumber)
{
    gCalledPath = path;
    gCalledInterface = interfaceNumber;
    return 7;
}

TEST_F(PhotoDecoding, DecoderGetsTheFullPathAndTheInterfaceNumber)
{
    WritePhoto("x", "imgtemp.WLT"); // working files are found in any letter case
    const std::pair<int, int> ports[] = {{0, 1},    {8, 1},    {999, 1}, {1000, 2},
                                         {1001, 2}, {1999, 2}, {2001, 2}};
    for (const auto& [port, interfaceNumber] : ports) {
        gCalledPath.clear();
        const PhotoDecodeResult result = DecodePhoto(RecordingGetBmp, folder, port);
        EXPECT_EQ(gCalledInterface, interfaceNumber) << "port " << port;
        EXPECT_EQ(gCalledPath, folder + "imgtemp.WLT");
        EXPECT_EQ(result.Message, "转换二代证图像文件错误，错误代码：7");
    }
}

} // namespace
