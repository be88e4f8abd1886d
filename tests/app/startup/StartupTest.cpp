#include "app/startup/Startup.h"
#include "app/dialogs/ReaderPortSetupDialog.h"
#include "app/mainwindow/MainWindow.h"
#include "fakes/FakeClock.h"
#include "fakes/FakePump.h"
#include "fakes/FakeUiServices.h"
#include "fakes/FileText.h"
#include "fakes/TempFolder.h"
#include "odbc/handles/Hdbc.h"
#include "platform/core/DateTime.h"
#include "platform/core/IniFile.h"
#include "platform/core/StringUtils.h"
#include "platform/os/InstanceLock.h"
#include "print/CardFaces.h"
#include "tools/readersim/PtyReaderPeer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string SourceDir()
{
    return std::getenv("ZIRA_SOURCE_DIR"); // set by the test main
}

// unixODBC reads its configuration folder once per process: every test in this executable uses the
// Access driver registration of the program folder's odbcinst.ini, copied to one private folder.
class OdbcConfiguration : public ::testing::Environment
{
public:
    void SetUp() override
    {
        fs::copy_file(SourceDir() + "/dist/odbcinst.ini", folder_.Path() + "odbcinst.ini");
        folder_.Touch("odbc.ini");
        setenv("ODBCSYSINI", folder_.Path().c_str(), 1);
        setenv("ODBCINI", (folder_.Path() + "odbc.ini").c_str(), 1);
    }

private:
    TempFolder folder_;
};
[[maybe_unused]] const auto* const odbcConfiguration =
    ::testing::AddGlobalTestEnvironment(new OdbcConfiguration);

// A program folder laid out as the build does, with the given style.ini.
class ProgramFolder
{
public:
    explicit ProgramFolder(const std::string& styleIni, bool withDatabase = true)
    {
        for (const char* name : {"odbcinst.ini", "PrintMP.bmp", "PrintSB.bmp"})
            if (fs::exists(SourceDir() + "/dist/" + name))
                fs::copy_file(SourceDir() + "/dist/" + name, folder_.Path() + name);
        if (withDatabase)
            fs::copy_file(SourceDir() + "/dist/DataBase.mdb", folder_.Path() + "DataBase.mdb");
        folder_.Touch("style.ini", styleIni);
    }
    std::string Path() const { return folder_.Path(); }
    std::string Style() const { return ReadAll(folder_.Path() + "style.ini"); }
    TIniFile Ini() const { return TIniFile(folder_.Path() + "style.ini"); }

private:
    TempFolder folder_;
};

struct StartResult
{
    int code = -1;
    bool loopRan = false;
    bool connected = false;
};

class StartupTest : public ::testing::Test
{
protected:
    FakeClock clock;
    FakePump pump;
    FakeUiServices ui;
    TempFolder lockFolder;

    std::string Today() const { return FormatDateTime("yyyymmdd", clock.now); }

    // The start-up in a program folder (or in any folder a test lays out), its lock in the test's lock
    // folder unless lockPath names another.
    StartResult Start(const ProgramFolder& folder) { return Start(folder.Path(), lockFolder.Path()); }
    StartResult Start(const std::string& programFolder, const std::string& lockPath)
    {
        StartResult run;
        StartupEnvironment env;
        env.ProgramFolder = programFolder;
        env.ExecutableName = "ziravedur";
        env.LockFolder = lockPath;
        env.clock = &clock;
        env.pump = &pump;
        env.RunLoop = [&](TForm1& form) {
            run.loopRan = true;
            auto* hdbc = dynamic_cast<THdbc*>(form.FindComponent("Hdbc_Access"));
            run.connected = hdbc && hdbc->Connected();
            return 0;
        };
        run.code = RunStartup(env);
        return run;
    }
};

} // namespace

TEST(DailyPrintCounter, KeepsTodaysCountAndDropsEveryOtherDay)
{
    struct Case
    {
        const char* name;
        const char* before;
        int today;          // today's count afterwards
        bool yesterdayGone; // 20251208 no longer there
    } cases[] = {
        {"no section", "[SetupKey]\r\nUseBP=0\r\n", 0, true},
        {"today only", "[print_id]\r\n20251209=5\r\n", 5, true},
        {"yesterday", "[print_id]\r\n20251208=3\r\n", 0, true},
        {"a print after midnight", "[print_id]\r\n20251208=3\r\n20251209=7\r\n", 7, true},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string path = folder.Touch("style.ini", c.before);
        ResetDailyPrintCounter(path, "20251209");
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadInteger("print_id", "20251209", -1), c.today) << c.name;
        EXPECT_EQ(ini.ValueExists("print_id", "20251208"), !c.yesterdayGone) << c.name;
    }
}

TEST(DailyPrintCounter, ASecondStartOnTheSameDayWritesNothing)
{
    TempFolder folder;
    const std::string before = "; kept as written\r\n[print_id]\r\n20251209=4\r\n";
    const std::string path = folder.Touch("style.ini", before);
    const auto stamp = fs::last_write_time(path);
    ResetDailyPrintCounter(path, "20251209");
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(fs::last_write_time(path), stamp);
}

TEST_F(StartupTest, NoPortConfiguredAsksForItAndCancelEndsWithOneKeepingTheChoice)
{
    ProgramFolder folder("[SetupKey]\r\nBP_CMD=1B2542\r\nUseBP=1\r\n");
    std::string shownPort, shownCommand;
    bool shownChecked = false;
    ui.onModal = [&](QDialog& dialog) {
        auto& flash = dynamic_cast<Tfrm_FlashForm&>(dialog);
        shownPort = flash.ComboBox_txsz->currentText().toStdString();
        shownCommand = flash.Edit_BPCMD->currentText().toStdString();
        shownChecked = flash.CheckBox_UseBP->isChecked();
        flash.ComboBox_txsz->setEditText("3");
        return int(mrCancel);
    };
    const StartResult run = Start(folder);

    EXPECT_EQ(run.code, ExitNotStarted);
    EXPECT_FALSE(run.loopRan);
    ASSERT_EQ(ui.dialogs, std::vector<std::string>{"frm_FlashForm"});
    EXPECT_EQ(shownPort, "1001");
    EXPECT_EQ(shownCommand, "1B2542");
    EXPECT_TRUE(shownChecked);
    // What the dialog wrote before the cancel stays, and the day was reset before it.
    TIniFile ini = folder.Ini();
    EXPECT_EQ(ini.ReadInteger("ICReader", "CommPort", 0), 3);
    EXPECT_EQ(ini.ReadInteger("print_id", Today(), -1), 0);
}

TEST_F(StartupTest, AMissingSettingsFileIsCreatedAsStyleIniWhereTheWindowAndTheScriptsLookForIt)
{
    ProgramFolder folder("");
    fs::remove(folder.Path() + "style.ini");
    ui.onModal = [](QDialog& dialog) {
        auto& flash = dynamic_cast<Tfrm_FlashForm&>(dialog);
        flash.ComboBox_txsz->setEditText("3");
        flash.Button1->click();
        return flash.ModalResult();
    };
    EXPECT_EQ(Start(folder).code, ExitNormal);
    std::vector<std::string> settingsFiles;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        if (SameText(entry.path().filename().string(), "style.ini"))
            settingsFiles.push_back(entry.path().filename().string());
    EXPECT_EQ(settingsFiles, std::vector<std::string>{"style.ini"});
    EXPECT_EQ(folder.Ini().ReadInteger("ICReader", "CommPort", 0), 3);
    EXPECT_EQ(folder.Ini().ReadInteger("print_id", Today(), -1), 0);
}

TEST_F(StartupTest, ShowingThePortDialogWritesNoPort)
{
    ProgramFolder folder("[SetupKey]\r\nAutoClearTime=20\r\n");
    ui.onModal = [](QDialog&) { return int(mrCancel); };
    EXPECT_EQ(Start(folder).code, ExitNotStarted);
    EXPECT_FALSE(folder.Ini().ValueExists("ICReader", "CommPort")) << "the prefilled 1001 was stored";

    ui.onModal = [](QDialog& dialog) { // OK without touching the port
        auto& flash = dynamic_cast<Tfrm_FlashForm&>(dialog);
        flash.Button1->click();
        return flash.ModalResult();
    };
    EXPECT_EQ(Start(folder).code, ExitNormal);
    EXPECT_FALSE(folder.Ini().ValueExists("ICReader", "CommPort"));
    EXPECT_EQ(Start(folder).code, ExitNormal);
    EXPECT_EQ(ui.dialogs.size(), 3u) << "with no port chosen the dialog comes at every start";
}

TEST_F(StartupTest, TheDialogIsShownOnlyWhenNoPortIsSetOrAutoInputTypeIsThree)
{
    struct Case
    {
        const char* style;
        bool asked;
    } cases[] = {
        {"[ICReader]\r\nCommPort=0\r\n", true},
        {"", true},
        {"[ICReader]\r\nCommPort=2001\r\n", false},
        {"[ICReader]\r\nCommPort=2001\r\n[SetupKey]\r\nAutoInputType=3\r\n", true},
    };
    for (const Case& c : cases) {
        ProgramFolder folder(c.style);
        ui.dialogs.clear();
        ui.onModal = [](QDialog& dialog) {
            auto& flash = dynamic_cast<Tfrm_FlashForm&>(dialog);
            flash.ComboBox_txsz->setEditText("2001");
            flash.Button1->click();
            return flash.ModalResult();
        };
        const StartResult run = Start(folder);
        EXPECT_EQ(run.code, ExitNormal) << c.style;
        EXPECT_EQ(!ui.dialogs.empty(), c.asked) << c.style;
        EXPECT_TRUE(run.loopRan) << c.style;
        EXPECT_TRUE(run.connected) << c.style;
        EXPECT_EQ(folder.Ini().ReadInteger("ICReader", "CommPort", 0), 2001) << c.style;
    }
}

TEST_F(StartupTest, ASecondCopyEndsWithOneAfterTheDayResetAndShowsNothing)
{
    ProgramFolder folder("[ICReader]\r\nCommPort=2\r\n[print_id]\r\n20000101=9\r\n");
    InstanceLock first("ziravedur", lockFolder.Path());
    ASSERT_TRUE(first.Acquired());

    const StartResult run = Start(folder);
    EXPECT_EQ(run.code, ExitNotStarted);
    EXPECT_FALSE(run.loopRan);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.dialogs.empty());
    TIniFile ini = folder.Ini();
    EXPECT_FALSE(ini.ValueExists("print_id", "20000101"));
    EXPECT_EQ(ini.ReadInteger("print_id", Today(), -1), 0);
}

TEST_F(StartupTest, ALockThatCannotBeMadeIsShownAndEndsWithOne)
{
    ProgramFolder folder("[ICReader]\r\nCommPort=2\r\n");
    const StartResult run = Start(folder.Path(), lockFolder.Path() + "missing/");
    EXPECT_EQ(run.code, ExitNotStarted);
    EXPECT_FALSE(run.loopRan);
    ASSERT_EQ(ui.messages.size(), 1u) << "the program ended without a word";
    EXPECT_EQ(ui.messages[0].icon, TMsgIcon::Error);
    EXPECT_NE(ui.messages[0].text.find(lockFolder.Path() + "missing/ziravedur.lock"), std::string::npos)
        << ui.messages[0].text;
    EXPECT_TRUE(ui.dialogs.empty());
}

TEST_F(StartupTest, AMissingDatabaseShowsTheDatabaseMessageAndEndsWithZero)
{
    ProgramFolder folder("[ICReader]\r\nCommPort=2\r\n", /*withDatabase=*/false);
    const StartResult run = Start(folder);
    EXPECT_EQ(run.code, ExitNormal);
    EXPECT_FALSE(run.loopRan);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "数据库文件或驱动有问题,请检查参数后重新连接。");
    EXPECT_EQ(ui.messages[0].caption, "提示");
    EXPECT_EQ(ui.messages[0].buttons, TMsgButtons::Ok);
}

TEST_F(StartupTest, NoCardIsReadBehindTheDatabaseMessage)
{
    // Automatic reading every 20 ms from a port that is not there: each read that runs says so
    // through the event pump.
    ProgramFolder folder("[ICReader]\r\nCommPort=999\r\n[SetupKey]\r\nAutoReadCard=1\r\nAutoTime=20\r\n",
                         /*withDatabase=*/false);
    unsigned readsWhileShown = 0;
    ui.whileMessageShows = [&] {
        const unsigned before = pump.calls;
        QElapsedTimer shown;
        shown.start();
        while (shown.elapsed() < 200) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
        readsWhileShown = pump.calls - before;
    };
    const StartResult run = Start(folder);
    EXPECT_EQ(run.code, ExitNormal);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"数据库文件或驱动有问题,请检查参数后重新连接。"});
    EXPECT_EQ(readsWhileShown, 0u) << "the main window read cards while the program was ending";
}

TEST_F(StartupTest, AFileThatIsNoSoundAccessDatabaseGetsTheDatabaseMessage)
{
    std::string database;
    {
        ProgramFolder any("");
        database = ReadAll(any.Path() + "DataBase.mdb");
    }
    // A good header, whole pages and the catalog page, but the code table cannot be read.
    std::string zeroed = database;
    std::fill(zeroed.begin() + 3 * 4096, zeroed.end(), '\0');
    const struct
    {
        const char* name;
        std::string content;
    } cases[] = {
        {"empty", ""},
        {"text", "not a database\n"},
        {"first page only", database.substr(0, 4096)},
        {"cut in the middle", database.substr(0, database.size() / 2 + 1000)},
        {"cut after the catalog page", database.substr(0, 12288)},
        {"cut at 64 KiB", database.substr(0, 65536)},
        {"pages after the catalog zeroed", zeroed},
    };
    for (const auto& c : cases) {
        ProgramFolder folder("[ICReader]\r\nCommPort=2\r\n", /*withDatabase=*/false);
        std::ofstream(folder.Path() + "DataBase.mdb", std::ios::binary) << c.content;
        ui.messages.clear();
        const StartResult run = Start(folder);
        EXPECT_EQ(run.code, ExitNormal) << c.name;
        EXPECT_FALSE(run.loopRan) << c.name;
        EXPECT_EQ(ui.Texts(), std::vector<std::string>{"数据库文件或驱动有问题,请检查参数后重新连接。"})
            << c.name;
    }
}

TEST_F(StartupTest, TheDatabaseIsFoundInAnyLetterCase)
{
    ProgramFolder folder("[ICReader]\r\nCommPort=2\r\n");
    fs::rename(folder.Path() + "DataBase.mdb", folder.Path() + "DATABASE.MDB");
    const StartResult run = Start(folder);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
    EXPECT_TRUE(run.loopRan);
    EXPECT_TRUE(run.connected);
}

// ---- The built program as a process ------------------------------------------------------------

namespace {

struct Process
{
    int code = -1;
    std::string out;
};

// Lays out a copy of the built program folder with the scripted program as its executable.
class ProgramCopy
{
public:
    explicit ProgramCopy(const std::string& styleIni)
    {
        fs::copy(ZIRA_BUILT_APPDIR, folder_.Path(), fs::copy_options::recursive);
        fs::remove(folder_.Path() + "ziravedur");
        fs::copy_file(ZIRA_SCRIPTED_EXE, folder_.Path() + "ziravedur");
        fs::permissions(folder_.Path() + "ziravedur", fs::perms::owner_all, fs::perm_options::add);
        folder_.Touch("style.ini", styleIni);
        fs::create_directories(runtime_.Path());
    }
    std::string Path() const { return folder_.Path(); }

    // Starts the program, with further environment assignments if given; the pipe gives its standard
    // output.
    FILE* Start(int quitAfterMs, const std::string& environment = {}) const
    {
        const std::string command = "cd '" + folder_.Path() + "' && XDG_RUNTIME_DIR='" + runtime_.Path() +
                                    "' ZIRA_QUIT_AFTER_MS=" + std::to_string(quitAfterMs) + " ODBCSYSINI='" +
                                    folder_.Path() + "' " + environment + " ./ziravedur 2>/dev/null";
        return popen(command.c_str(), "r");
    }
    static Process Finish(FILE* pipe)
    {
        Process p;
        std::array<char, 512> buffer{};
        while (fgets(buffer.data(), buffer.size(), pipe))
            p.out += buffer.data();
        const int status = pclose(pipe);
        p.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return p;
    }
    Process Run(int quitAfterMs = 100) const { return Finish(Start(quitAfterMs)); }

private:
    TempFolder folder_;
    TempFolder runtime_;
};

} // namespace

TEST(StartupProcess, ANormalStartConnectsAndRunsTheLoop)
{
    ProgramCopy program("[ICReader]\r\nCommPort=2\r\n");
    const Process p = program.Run();
    EXPECT_EQ(p.code, 0);
    EXPECT_EQ(p.out, "loop\n");
}

TEST(StartupProcess, AMissingDatabaseShowsTheMessageAndEndsWithZero)
{
    ProgramCopy program("[ICReader]\r\nCommPort=2\r\n");
    fs::remove(program.Path() + "DataBase.mdb");
    const Process p = program.Run();
    EXPECT_EQ(p.code, 0);
    EXPECT_EQ(p.out, "message|提示|数据库文件或驱动有问题,请检查参数后重新连接。\n");
}

TEST(StartupProcess, ADatabaseCutAfterItsCatalogShowsTheMessage)
{
    ProgramCopy program("[ICReader]\r\nCommPort=2\r\n");
    fs::resize_file(program.Path() + "DataBase.mdb", 12288);
    const Process p = program.Run();
    EXPECT_EQ(p.code, 0);
    EXPECT_EQ(p.out, "message|提示|数据库文件或驱动有问题,请检查参数后重新连接。\n");
}

namespace {

// A reader on a pseudo-terminal, served by a thread of the test while the program runs; the card on
// it may be changed meanwhile.
class ReaderThread
{
public:
    ReaderThread() : thread_([this] { Serve(); }) {}
    ~ReaderThread()
    {
        stop_ = true;
        thread_.join();
    }
    std::string Path() const { return pty_.SlavePath(); }
    void ChangeCard(const std::function<void(SampleCard&)>& change)
    {
        const std::lock_guard lock(mutex_);
        change(pty_.Peer().Card());
    }

private:
    static std::uint64_t NowMs()
    {
        using namespace std::chrono;
        return std::uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void Serve()
    {
        while (!stop_) {
            pollfd p{pty_.MasterHandle(), POLLIN, 0};
            poll(&p, 1, 1);
            const std::lock_guard lock(mutex_);
            pty_.Service(NowMs());
        }
    }

    PtyReaderPeer pty_;
    std::mutex mutex_;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

// The fields of a "shown|" line of the scripted program, as the front face takes them.
CardFaceTexts ShownTexts(const std::string& line)
{
    std::vector<std::string> parts;
    std::stringstream in(line.substr(0, line.find('\n')));
    for (std::string part; std::getline(in, part, '|');)
        parts.push_back(part);
    parts.resize(9);
    return {parts[1], parts[2], parts[3], parts[4], parts[5], parts[6], parts[7], parts[8]};
}

} // namespace

// Counter staff read one card, then the next holder's, whose nation code has no text: the screen and
// the composed front face carry that card's code, never the nation of the card before it.
TEST(StartupProcess, ACardWhoseNationHasNoTextShowsItsCodeNotTheCardBefore)
{
    ReaderThread reader;
    ProgramCopy program("[ICReader]\r\nCommPort=1\r\n[SetupKey]\r\nAutoReadCard=1\r\nAutoTime=100\r\n");
    fs::copy_file(ZIRA_WLTRS, program.Path() + "libwltrs.so");
    fs::create_directories(program.Path() + "ports");
    fs::create_symlink(reader.Path(), program.Path() + "ports/COM1");
    const SampleCard first = SampleCard::BuiltIn();
    const std::string secondId = "110101199001010022";

    FILE* run = program.Start(6000, "ZIRA_SHOW_FIELDS=1");
    std::vector<std::string> fields;
    std::string shown;
    std::array<char, 4096> buffer{};
    while (fgets(buffer.data(), buffer.size(), run)) {
        const std::string line = buffer.data();
        if (line.starts_with("shown|"))
            shown = line;
        if (!line.starts_with("fields|"))
            continue; // the loop's start, and line breaks the Access driver echoes
        fields.push_back(line);
        if (line == "fields|" + first.idNo + "|男|汉族\n")
            reader.ChangeCard([&](SampleCard& card) {
                card.idNo = secondId;
                card.name = "李四";
                card.nationCode = "0A";
            });
    }
    EXPECT_EQ(ProgramCopy::Finish(run).code, 0);
    ASSERT_NE(std::find(fields.begin(), fields.end(), "fields|" + first.idNo + "|男|汉族\n"), fields.end())
        << "the first card was not shown";
    EXPECT_EQ(fields.back(), "fields|" + secondId + "|男|0A\n");

    const CardFaceTexts texts = ShownTexts(shown);
    ASSERT_EQ(texts.IdNumber, secondId) << shown;
    EXPECT_EQ(texts.Nation, "0A");
    RegisterCardFontSubstitutions();
    const auto rgb = [](const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); };
    const auto image = [&](const char* name) {
        return QImage(QString::fromStdString(program.Path() + name));
    };
    const QImage front = rgb(image("Print_P.bmp"));
    EXPECT_TRUE(front == rgb(ComposeFront(image("PrintMP.bmp"), image("ImgTemp.bmp"), texts)));
    CardFaceTexts before = texts;
    before.Nation = "汉族";
    EXPECT_FALSE(front == rgb(ComposeFront(image("PrintMP.bmp"), image("ImgTemp.bmp"), before)))
        << "the front face carries the nation of the card before";
}

TEST(StartupProcess, ASecondInstanceEndsWithOneWhileTheFirstRuns)
{
    ProgramCopy program("[ICReader]\r\nCommPort=2\r\n");
    FILE* first = program.Start(3000);
    std::array<char, 64> line{};
    ASSERT_TRUE(fgets(line.data(), line.size(), first)); // "loop": the first one is running
    EXPECT_STREQ(line.data(), "loop\n");

    const Process second = program.Run();
    EXPECT_EQ(second.code, 1);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(ProgramCopy::Finish(first).code, 0);
}

TEST_F(StartupTest, AnUnexpectedStartUpFailureIsShownAndEndsWithZero)
{
    // A style.ini that cannot be read (a folder in its place) fails the day reset.
    TempFolder folder;
    std::filesystem::create_directories(folder.Path() + "style.ini/x");
    const StartResult run = Start(folder.Path(), lockFolder.Path());
    EXPECT_EQ(run.code, ExitNormal);
    EXPECT_FALSE(run.loopRan);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].buttons, TMsgButtons::Ok);
    EXPECT_EQ(InstanceLock("ziravedur", lockFolder.Path()).state(), InstanceLock::State::Acquired)
        << "the lock is given up";
}
