#include "platform/ui/Guard.h"

#include "platform/core/Exception.h"
#include "platform/ui/QtPump.h"

#include "fakes/FakeUiServices.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class Handlers : public QObject
{
public:
    int clicks = 0;
    bool lastChecked = false;
    void Click()
    {
        ++clicks;
        throw Exception("打印机没有准备好");
    }
    void Toggle(bool checked)
    {
        lastChecked = checked;
        ++clicks;
    }
};

struct TitledApplication
{
    TitledApplication() { SetApplicationTitle("居民ziravedur v1.0"); }
    ~TitledApplication() { SetApplicationTitle(""); }
};

} // namespace

TEST(Guard, AnExceptionInASlotIsShownAndTheNextClickStillRuns)
{
    TitledApplication title;
    FakeUiServices ui;
    QPushButton button;
    Handlers handlers;
    ConnectGuarded(&button, &QPushButton::clicked, &handlers, &Handlers::Click);

    button.click();
    button.click();
    EXPECT_EQ(handlers.clicks, 2);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "打印机没有准备好.");
    EXPECT_EQ(ui.messages[0].caption, "居民ziravedur v1.0");
    EXPECT_EQ(ui.messages[0].buttons, TMsgButtons::Ok);
    EXPECT_EQ(ui.messages[0].icon, TMsgIcon::Error);
}

TEST(Guard, HandlersTakeTheSignalsArgumentsOrNone)
{
    FakeUiServices ui;
    QPushButton button;
    button.setCheckable(true);
    Handlers handlers;
    int plain = 0;
    ConnectGuarded(&button, &QPushButton::toggled, &handlers, &Handlers::Toggle);
    ConnectGuarded(&button, &QPushButton::toggled, &handlers, [&] { ++plain; });
    ConnectGuarded(&button, &QPushButton::toggled, &handlers,
                   [&](bool checked) { plain += checked ? 10 : 0; });

    button.setChecked(true);
    EXPECT_TRUE(handlers.lastChecked);
    EXPECT_EQ(handlers.clicks, 1);
    EXPECT_EQ(plain, 11);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(Guard, AbortIsSilentAndOtherThrowsAreShown)
{
    FakeUiServices ui;
    Guarded([] { Abort(); });
    EXPECT_TRUE(ui.messages.empty());

    Guarded([] { throw std::runtime_error("disk full"); });
    Guarded([] { throw 42; });
    Guarded([] { throw EConvertError("'x' is not a valid integer value"); });
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"disk full.", "Unknown exception.",
                                                    "'x' is not a valid integer value."}));
}

TEST(Guard, AFailingDisplayDoesNotEscapeEither)
{
    struct BrokenUi : FakeUiServices
    {
        TModalResult MessageBox(const std::string&, const std::string&, TMsgButtons, TMsgIcon) override
        {
            throw std::bad_alloc();
        }
    } ui;
    EXPECT_NO_THROW(Guarded([] { throw Exception("first"); }));
}

TEST(Guard, TheEventLoopGoesOnAfterAThrowingTimer)
{
    FakeUiServices ui;
    QEventLoop loop;
    bool later = false;
    QObject context;
    QTimer::singleShot(0, &context, [] { Guarded([] { throw Exception("tick failed"); }); });
    QTimer::singleShot(5, &context, [&] {
        later = true;
        loop.quit();
    });
    QTimer::singleShot(2000, &loop, &QEventLoop::quit); // a stuck loop fails instead of hanging
    loop.exec();
    EXPECT_TRUE(later);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"tick failed."});
}

TEST(Guard, DisplayTextEndsInAFullStopUnlessItEndsInOneOrBelow)
{
    struct Case
    {
        const char* message;
        const char* shown;
    };
    const Case cases[] = {
        {"", ""},          {"Done.", "Done."}, {"Really?", "Really?."}, {"Stop!", "Stop!"},
        {"端口", "端口."}, {"(a)", "(a)"},     {"a b ", "a b "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExceptionDisplayText(c.message), c.shown) << c.message;
}

TEST(QtPump, RunsWhatIsPendingAndReturns)
{
    QtPump pump;
    QObject context;
    int ran = 0;
    QTimer::singleShot(0, &context, [&] { ++ran; });
    QMetaObject::invokeMethod(
        &context, [&] { ++ran; }, Qt::QueuedConnection);
    pump.ProcessMessages();
    EXPECT_EQ(ran, 2);
    pump.ProcessMessages(); // nothing pending: returns at once
    EXPECT_EQ(ran, 2);
}
