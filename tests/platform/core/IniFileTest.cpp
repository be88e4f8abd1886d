#include "platform/core/IniFile.h"
#include "fakes/FileText.h"
#include "platform/core/Exception.h"
#include "platform/core/StringList.h"
#include "platform/core/TextEncoding.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "zira-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/style.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Put(const std::string& bytes) const
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::string Get() const { return ReadAll(path_); }
    int FilesInDir() const { return static_cast<int>(std::distance(fs::directory_iterator(dir_), {})); }
    struct stat Stat() const
    {
        struct stat st
        {
        };
        ::stat(path_.c_str(), &st);
        return st;
    }

    std::string dir_;
    std::string path_;
};

// Runs body in a child process and returns its exit code (-1 when it did not exit). When the tests
// run as root the child becomes the given unprivileged user first, so that file permissions apply
// to it; otherwise it runs as the current user.
int InChild(const std::function<int()>& body, uid_t uid = 65534, gid_t gid = 65534)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(100);
        int code = 101;
        try {
            code = body();
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

TEST_F(IniFileTest, NamesIgnoreCaseValuesAreTrimmedAndTheFirstOccurrenceCounts)
{
    Put("; settings\r\n"
        "orphan=before any section\r\n"
        "[ICReader]\r\n"
        "  CommPort =  3  \r\n"
        "commport=4\r\n"
        "Empty=\r\n"
        ";Hidden=1\r\n"
        "[icreader]\r\n"
        "Second=1\r\n"
        "[SetupKey]\r\n"
        "BP_CMD= a = b \r\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString("ICREADER", "COMMPORT", "x"), "3");
    EXPECT_EQ(ini.ReadString("icreader", "Empty", "x"), "");
    EXPECT_EQ(ini.ReadString("ICReader", "Hidden", "x"), "x"); // a comment is no key
    EXPECT_EQ(ini.ReadString("ICReader", "Second", "x"), "x"); // only the first section counts
    EXPECT_EQ(ini.ReadString("ICReader", "orphan", "x"), "x");
    EXPECT_EQ(ini.ReadString("setupkey", "bp_cmd", "x"), "a = b");
    EXPECT_EQ(ini.ReadString("Missing", "CommPort", "dflt"), "dflt");
    EXPECT_TRUE(ini.ValueExists("icreader", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("icreader", "Nope"));

    ini.WriteString("icreader", "COMMPORT", "5"); // the key keeps its spelling in the file
    EXPECT_NE(Get().find("\r\nCommPort=5\r\ncommport=4\r\n"), std::string::npos) << Get();
}

TEST_F(IniFileTest, IntegersAndBooleansUseThePlatformRulesAndFallBackToTheDefault)
{
    Put("[S]\r\nA=12\r\nB= -7 "
        "\r\nC=$1F\r\nD=0x10\r\nE=12abc\r\nF=\r\nG=99999999999\r\nH=1.5\r\nT=2\r\nZ=0\r\n");
    TIniFile ini(path_);
    struct Case
    {
        const char* key;
        int value;
    };
    const Case cases[] = {{"A", 12}, {"B", -7}, {"C", 31}, {"D", 16},      {"E", -1},
                          {"F", -1}, {"G", -1}, {"H", -1}, {"missing", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadInteger("S", c.key, -1), c.value) << c.key;
    EXPECT_TRUE(ini.ReadBool("S", "T", false));
    EXPECT_FALSE(ini.ReadBool("S", "Z", true));
    EXPECT_TRUE(ini.ReadBool("S", "E", true)); // unparsable: the default
    ini.WriteInteger("S", "N", -42);
    ini.WriteBool("S", "On", true);
    EXPECT_EQ(ini.ReadInteger("S", "N", 0), -42);
    EXPECT_EQ(ini.ReadString("S", "On", ""), "1");
}

TEST_F(IniFileTest, WritesKeepFileOrderAndEveryOtherLineByteForByte)
{
    // LF-only lines, a comment and blank line between sections, no line end at the very end.
    const std::string original = "[A]\nk1=1\n; about B\n\n[B]\r\nx=1\r\n\r\n[C]\ny=2";
    Put(original);
    TIniFile ini(path_);
    ini.WriteString("A", "k2", "2");      // after A's last key, before the comment
    ini.WriteString("C", "z", "3");       // the last line gets a line end first
    ini.WriteString("New", "n", "v");     // a new section goes at the end
    ini.WriteString("B", "x", "changed"); // the line end of the changed line is kept
    EXPECT_EQ(Get(), "[A]\nk1=1\nk2=2\r\n; about B\n\n[B]\r\nx=changed\r\n\r\n[C]\ny=2\r\nz=3\r\n"
                     "[New]\r\nn=v\r\n");

    TStringList list;
    ini.ReadSections(list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"A", "B", "C", "New"}));
    ini.ReadSection("a", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"k1", "k2"}));
    ini.ReadSectionValues("c", list);
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"y=2", "z=3"}));

    ini.DeleteKey("a", "K1");
    ini.EraseSection("b");
    ini.DeleteKey("a", "missing");
    EXPECT_EQ(Get(), "[A]\nk2=2\r\n; about B\n\n[C]\ny=2\r\nz=3\r\n[New]\r\nn=v\r\n");
    EXPECT_FALSE(ini.SectionExists("B"));
    EXPECT_TRUE(ini.SectionExists("new"));
    ini.DeleteKey("New", "n");
    EXPECT_FALSE(ini.SectionExists("New")); // a header alone is no section
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndTheFirstWriteCreatesIt)
{
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("ICReader", "CommPort", 1001), 1001);
    TStringList keys;
    keys.Add("stale");
    ini.ReadSection("ICReader", keys);
    EXPECT_EQ(keys.Count(), 0);
    EXPECT_FALSE(fs::exists(path_));
    ini.WriteInteger("ICReader", "CommPort", 1);
    EXPECT_EQ(Get(), "[ICReader]\r\nCommPort=1\r\n");
    ini.UpdateFile();
    EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(IniFileTest, ValuesStayOnOneLine)
{
    TIniFile ini(path_);
    ini.WriteString("S", "cmd", "a\r\n[Evil]\nx=1");
    EXPECT_EQ(ini.ReadString("S", "cmd", ""), "a  [Evil] x=1");
    EXPECT_FALSE(ini.SectionExists("Evil"));
}

TEST_F(IniFileTest, TwoObjectsAndOtherProgramsSeeEachOthersWrites)
{
    TIniFile a(path_);
    TIniFile b(path_);
    EXPECT_EQ(b.ReadString("print_id", "20261210", "none"), "none");
    a.WriteInteger("print_id", "20261210", 1);
    EXPECT_EQ(b.ReadInteger("print_id", "20261210", 0), 1);
    // Quick writes of the same length in a row: file times alone could not tell them apart.
    for (int i = 2; i <= 9; ++i) {
        b.WriteInteger("print_id", "20261210", i);
        EXPECT_EQ(a.ReadInteger("print_id", "20261210", 0), i);
    }
    // b's write must not undo a's other key.
    a.WriteString("SetupKey", "UseBP", "1");
    b.WriteString("SetupKey", "BP_CMD", "F1");
    EXPECT_EQ(a.ReadString("SetupKey", "UseBP", ""), "1");
    EXPECT_EQ(a.ReadString("SetupKey", "BP_CMD", ""), "F1");

    Put("[print_id]\r\n20261211=0\r\n"); // rewritten in place by another program
    EXPECT_EQ(a.ReadString("print_id", "20261210", "gone"), "gone");
    EXPECT_EQ(b.ReadInteger("print_id", "20261211", -1), 0);
    fs::remove(path_);
    EXPECT_FALSE(a.ValueExists("print_id", "20261211"));
}

TEST_F(IniFileTest, Gb18030FileKeepsItsEncodingAndItsOtherLines)
{
    // As the Windows version writes it: GB18030 comments and values, CR LF.
    const std::string comment = Utf8ToGb18030("; 身份证阅读设置");
    const std::string name = Utf8ToGb18030("张三");
    const std::string original =
        comment + "\r\n[OperaManager]\r\n001=" + name + "\r\n[OperaPWD]\r\n001=123\r\n";
    ASSERT_FALSE(IsValidUtf8(original));
    Put(original);

    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString("OperaManager", "001", ""), "张三");
    ini.WriteString("OperaManager", "002", "李四");
    const std::string expected = comment + "\r\n[OperaManager]\r\n001=" + name +
                                 "\r\n002=" + Utf8ToGb18030("李四") + "\r\n[OperaPWD]\r\n001=123\r\n";
    EXPECT_EQ(Get(), expected);

    // Another object (a fresh start) reads the same text back.
    TIniFile again(path_);
    EXPECT_EQ(again.ReadString("operamanager", "002", ""), "李四");
    TStringList values;
    again.ReadSectionValues("OperaManager", values);
    EXPECT_EQ(values.Text(), "001=张三\r\n002=李四\r\n");
}

TEST_F(IniFileTest, Utf8FileStaysUtf8)
{
    Put("\xEF\xBB\xBF[Sec]\r\nName=王五\r\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString("sec", "name", ""), "王五"); // the byte-order mark is not part of the name
    ini.WriteString("Sec", "Other", "赵六");
    EXPECT_EQ(Get(), "\xEF\xBB\xBF[Sec]\r\nName=王五\r\nOther=赵六\r\n");

    // The signature belongs to the file, not to its first line: erasing that line keeps it, and with it
    // the encoding of every line left.
    Put("\xEF\xBB\xBF[First]\r\nA=1\r\n[Sec]\r\nName=王五\r\n");
    ini.EraseSection("First");
    EXPECT_EQ(Get(), "\xEF\xBB\xBF[Sec]\r\nName=王五\r\n");
    EXPECT_EQ(TIniFile(path_).ReadString("Sec", "Name", ""), "王五");
    ini.EraseSection("Sec");
    ini.WriteString("New", "Name", "赵六");
    EXPECT_EQ(Get(), "\xEF\xBB\xBF[New]\r\nName=赵六\r\n");
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldFileWholeAndTheObjectUnchanged)
{
    // A file larger than the size limit below: writing its new copy fails half-way, as on a full disk.
    std::string original = "[Big]\r\n";
    for (int i = 0; i < 400; ++i)
        original += "Key" + std::to_string(i) + "=" + std::string(20, 'v') + "\r\n";
    Put(original);
    TIniFile ini(path_);
    ASSERT_EQ(ini.ReadString("Big", "Key7", ""), std::string(20, 'v'));

    struct rlimit old
    {
    };
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    try {
        ini.WriteString("Big", "Key7", "new");
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        FAIL() << "the write did not fail";
    } catch (const EIniFileException& e) {
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(e.Message(), "Unable to write to " + path_);
    }
    EXPECT_EQ(Get(), original);
    EXPECT_EQ(FilesInDir(), 1) << "a temporary file was left behind";
    EXPECT_EQ(ini.ReadString("Big", "Key7", ""), std::string(20, 'v'));

    // Once the disk has room again the write goes through, and the new file keeps the old one's mode.
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ini.WriteString("Big", "Key7", "new");
    EXPECT_EQ(ini.ReadString("Big", "Key7", ""), "new");
    EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(IniFileTest, AWriteIntoAMissingFolderRaisesAndCreatesNothing)
{
    TIniFile ini(dir_ + "/no-such-folder/style.ini");
    EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniFileException);
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
}

TEST_F(IniFileTest, ALinkedFileIsWrittenThroughTheLink)
{
    const std::string real = dir_ + "/real.ini";
    {
        std::ofstream(real) << "[S]\r\nk=1\r\n";
    }
    fs::create_symlink(real, path_);
    TIniFile ini(path_);
    ini.WriteString("S", "k", "2");
    EXPECT_TRUE(fs::is_symlink(path_));
    TIniFile direct(real);
    EXPECT_EQ(direct.ReadString("S", "k", ""), "2");
}

TEST_F(IniFileTest, PermissionsModeAndOwnerOfTheFileAreKept)
{
    struct Case
    {
        const char* name;
        mode_t fileMode;
        mode_t dirMode;
        bool otherOwner; // the file belongs to another user than the writer (needs root to set up)
        bool byRoot;     // the writer is root, whom no permission stops (needs root)
        bool written;
    };
    const Case cases[] = {
        {"read-only file in a folder that takes new files", 0444, 0777, false, false, false},
        {"writable file in a folder that takes no new file", 0666, 0555, false, false, true},
        {"another user's writable file", 0666, 0777, true, false, true},
        // No write bit means read-only for everyone, as the read-only flag of the Windows version.
        {"read-only file, the writer root", 0444, 0777, false, true, false},
        {"file only its owner may read, the writer root", 0400, 0755, true, true, false},
        {"another user's file with a write bit, the writer root", 0640, 0755, true, true, true},
    };
    const std::string original = "[print_id]\r\n20261210=3\r\n";
    for (const Case& k : cases) {
        if ((k.otherOwner || k.byRoot) && ::geteuid() != 0) {
            std::cout << "skipped without root: " << k.name << "\n";
            continue;
        }
        Put(original);
        // The writer is nobody (when the tests run as root) or the current user; in the
        // other-owner case the file is nobody's and the writer a different unprivileged user.
        const uid_t writer = k.byRoot ? 0 : k.otherOwner ? 65533 : 65534;
        if (k.otherOwner) {
            ASSERT_EQ(::chown(path_.c_str(), 65534, 65534), 0);
        }
        ASSERT_EQ(::chmod(path_.c_str(), k.fileMode), 0);
        ASSERT_EQ(::chmod(dir_.c_str(), k.dirMode), 0);
        const struct stat before = Stat();

        const int result = InChild(
            [&] {
                TIniFile ini(path_);
                try {
                    ini.WriteInteger("print_id", "20261210", 3); // already there: nothing to write
                } catch (const EIniFileException&) {
                    return 3;
                }
                try {
                    ini.WriteInteger("print_id", "20261210", 4);
                } catch (const EIniFileException&) {
                    return 2;
                }
                return ini.ReadInteger("print_id", "20261210", 0) == 4 ? 0 : 1;
            },
            writer, writer);
        ::chmod(dir_.c_str(), 0700);

        EXPECT_EQ(result, k.written ? 0 : 2) << k.name;
        EXPECT_EQ(Get(), k.written ? "[print_id]\r\n20261210=4\r\n" : original) << k.name;
        const struct stat after = Stat();
        EXPECT_EQ(after.st_mode & 07777, k.fileMode) << k.name;
        EXPECT_EQ(after.st_uid, before.st_uid) << k.name;
        EXPECT_EQ(after.st_gid, before.st_gid) << k.name;
        EXPECT_EQ(FilesInDir(), 1) << k.name << ": a temporary file was left behind";
        fs::remove(path_);
    }
}

TEST_F(IniFileTest, WritersInThreadsAndProcessesKeepEachOthersKeys)
{
    constexpr int kKeys = 40;
    const auto writeKeys = [this](const std::string& prefix) {
        TIniFile ini(path_);
        for (int i = 0; i < kKeys; ++i)
            ini.WriteInteger("OperaManager", prefix + std::to_string(i), i);
    };
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            writeKeys("p");
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    std::thread a([&] { writeKeys("a"); });
    std::thread b([&] { writeKeys("b"); });
    a.join();
    b.join();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    TIniFile ini(path_);
    TStringList keys;
    ini.ReadSection("OperaManager", keys);
    EXPECT_EQ(keys.Count(), 3 * kKeys);
    for (const char* prefix : {"a", "b", "p"})
        for (int i = 0; i < kKeys; ++i)
            EXPECT_EQ(ini.ReadInteger("OperaManager", prefix + std::to_string(i), -1), i) << prefix << i;
    EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(IniFileTest, KilledWritersLeaveAWholeFileAndTheirTemporaryFilesAreCleared)
{
    constexpr int kKeys = 20;
    constexpr int kKills = 60;
    {
        TIniFile ini(path_);
        for (int i = 0; i < kKeys; ++i)
            ini.WriteString("SetupKey", "k" + std::to_string(i), "v0");
    }
    std::mt19937 random(14);
    std::uniform_int_distribution<int> delay(0, 4000);
    int killedMidWrite = 0;
    for (int round = 0; round < kKills; ++round) {
        const pid_t child = ::fork();
        if (child == 0) {
            TIniFile ini(path_);
            for (int i = 1;; ++i)
                ini.WriteString("SetupKey", "k" + std::to_string(i % kKeys), "v" + std::to_string(i));
        }
        ASSERT_GT(child, 0);
        ::usleep(static_cast<useconds_t>(delay(random)));
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);

        TIniFile ini(path_);
        TStringList keys;
        ini.ReadSection("SetupKey", keys);
        ASSERT_EQ(keys.Count(), kKeys) << "round " << round << ":\n" << Get();
        for (int i = 0; i < kKeys; ++i)
            ASSERT_EQ(ini.ReadString("SetupKey", "k" + std::to_string(i), "").substr(0, 1), "v");
        // At most the one temporary file of the write just killed: earlier ones were cleared.
        ASSERT_LE(FilesInDir(), 2) << "round " << round;
        killedMidWrite += FilesInDir() - 1;
    }
    std::cout << killedMidWrite << " of " << kKills << " kills left a temporary file\n";
    TIniFile(path_).WriteString("SetupKey", "after", "1");
    EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(IniFileTest, FilesAreGb18030UnlessTheyCarryTheUtf8Signature)
{
    // 郑伟 in GB18030 is D6 A3 CE B0, which is valid UTF-8 as well (two other characters).
    const std::string name = Utf8ToGb18030("郑伟");
    ASSERT_EQ(name, "\xD6\xA3\xCE\xB0");
    const std::string windows = "[OperaManager]\r\n001=" + name + "\r\n";
    ASSERT_TRUE(IsValidUtf8(windows));
    Put(windows);
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString("OperaManager", "001", ""), "郑伟");
    ini.WriteString("OperaManager", "002", "李四");
    EXPECT_EQ(Get(), windows + "002=" + Utf8ToGb18030("李四") + "\r\n");

    // A file this program creates is written so that the Windows version reads it.
    fs::remove(path_);
    ini.WriteString("ManagerPWD", "Value", "密码");
    EXPECT_EQ(Get(), "[ManagerPWD]\r\nValue=" + Utf8ToGb18030("密码") + "\r\n");
    EXPECT_EQ(TIniFile(path_).ReadString("ManagerPWD", "Value", ""), "密码");

    // With the signature the same characters are UTF-8, and stay so.
    Put("\xEF\xBB\xBF[OperaManager]\r\n001=郑伟\r\n");
    EXPECT_EQ(ini.ReadString("OperaManager", "001", ""), "郑伟");
    ini.WriteString("OperaManager", "001", "王五");
    EXPECT_EQ(Get(), "\xEF\xBB\xBF[OperaManager]\r\n001=王五\r\n");
}
