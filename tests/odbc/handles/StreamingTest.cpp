// THdbc in a form resource: its properties round-trip, properties of earlier versions are skipped,
// a streamed Connected connects once loading ends.
#include "odbc/handles/Henv.h"
#include "odbc/support/RawProperties.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

namespace {

void Write(TPersistent& p, TMemoryStream& s)
{
    TWriter w(s);
    w.WriteProperties(p);
    s.SetPosition(0);
}

} // namespace

TEST(HdbcStreaming, PropertiesRoundTrip)
{
    THdbc original;
    original.SetName("Hdbc_Access");
    original.SetTag(7);
    original.SetDriver("SQLite3");
    original.SetDataSource("dsn");
    original.SetUserName("user");
    original.SetPassword("secret;{x}");
    TStringList lines;
    lines.Add("DBQ=/p/DataBase.mdb");
    lines.Add("DefaultDir=/p/");
    original.SetAttributes(lines);
    original.SetIsolationLevel(8);
    original.SetInfoPrompt(1);
    original.SetCursorLib(1);

    TMemoryStream s;
    TWriter(s).WriteComponent(original);
    s.SetPosition(0);
    THdbc copy;
    TReader(s).ReadComponent(copy);

    EXPECT_EQ(copy.Name(), "Hdbc_Access");
    EXPECT_EQ(copy.Tag(), 7);
    EXPECT_EQ(copy.Driver(), "SQLite3");
    EXPECT_EQ(copy.DataSource(), "dsn");
    EXPECT_EQ(copy.UserName(), "user");
    EXPECT_EQ(copy.Password(), "secret;{x}");
    EXPECT_EQ(copy.Attributes().Lines(), lines.Lines());
    EXPECT_EQ(copy.IsolationLevel(), 8u);
    EXPECT_EQ(copy.InfoPrompt(), 1);
    EXPECT_EQ(copy.CursorLib(), 1u);
    EXPECT_FALSE(copy.Connected());
    EXPECT_FALSE(copy.HasState(csLoading | csReading));
    EXPECT_EQ(s.Position(), s.Size()) << "everything written was read";
}

TEST(HdbcStreaming, PropertiesOfEarlierVersionsAreSkipped)
{
    RawProperties old;
    old.properties = {
        {"OnConnect", [](TWriter& w) { w.WriteString("Hdbc1Connect"); }},
        {"Driver", [](TWriter& w) { w.WriteString("SQLite3"); }},
        {"OnDisconnect",
         [](TWriter& w) {
             w.WriteListBegin();
             w.WriteInteger(1);
             w.WriteListEnd();
         }},
        {"ConnectionPooling", [](TWriter& w) { w.WriteString("not a number"); }},
        {"Version", [](TWriter& w) { w.WriteString("4.00"); }},
        {"UserName", [](TWriter& w) { w.WriteString("u"); }},
    };
    TMemoryStream s;
    Write(old, s);
    THdbc c;
    TReader(s).ReadComponent(c);
    EXPECT_EQ(c.Driver(), "SQLite3");
    EXPECT_EQ(c.UserName(), "u");
    EXPECT_EQ(c.GetVersion(), "5.02");
}

TEST(HdbcStreaming, AnyOtherUnknownPropertyIsAnError)
{
    RawProperties odd;
    odd.properties = {{"Bogus", [](TWriter& w) { w.WriteInteger(1); }}};
    TMemoryStream s;
    Write(odd, s);
    THdbc c;
    TReader reader(s);
    try {
        reader.ReadComponent(c);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Property Bogus does not exist");
    }
    EXPECT_FALSE(reader.OnError()) << "the connection's handler is only installed while it reads";
}

TEST(HdbcStreaming, StreamedConnectedConnectsWhenLoaded)
{
    THdbc source;
    UseNewSqlite(source);
    source.Connect();
    TMemoryStream s;
    TWriter(s).WriteComponent(source);
    source.Disconnect();

    s.SetPosition(0);
    THdbc loaded;
    int connects = 0;
    loaded.SetBeforeConnect([&](THdbc* c) {
        ++connects;
        EXPECT_FALSE(c->HasState(csLoading)) << "connects after loading, not while reading";
    });
    TReader(s).ReadComponent(loaded);
    EXPECT_TRUE(loaded.Connected());
    EXPECT_EQ(connects, 1);
}

TEST(HdbcStreaming, FailedStreamedConnectShowsTheDetailAndLoadingGoesOn)
{
    RawProperties form;
    form.properties = {
        {"Name", [](TWriter& w) { w.WriteString("Hdbc_Access"); }},
        {"Connected", [](TWriter& w) { w.WriteBoolean(true); }},
        {"DataSource", [](TWriter& w) { w.WriteString("ZiraNoSuchDsn"); }},
    };
    TMemoryStream s;
    Write(form, s);
    std::string summary;
    EODBC::SetDetailHook([&](const std::string& text, EODBC&) { summary = text; });
    THdbc c;
    EXPECT_NO_THROW(TReader(s).ReadComponent(c));
    EODBC::SetDetailHook({});
    EXPECT_EQ(summary, "Cannot connect Hdbc_Access to database.");
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(c.DataSource(), "ZiraNoSuchDsn");
}

TEST(HdbcStreaming, PoolingReadWhileLoadingWaitsForTheNextInit)
{
    const TConnectionPooling before = GlobalHenv().ConnectionPooling();
    const TConnectionPooling wanted = before == cpOff ? cpOnePerDriver : cpOff;
    RawProperties form;
    form.properties = {{"ConnectionPooling", [&](TWriter& w) { w.WriteInteger(wanted); }}};
    TMemoryStream s;
    Write(form, s);
    THdbc c;
    TReader(s).ReadComponent(c);
    EXPECT_EQ(GlobalHenv().ConnectionPooling(), before) << "not applied while loading";
    c.Init();
    EXPECT_EQ(GlobalHenv().ConnectionPooling(), wanted);
    c.Terminate();
    GlobalHenv().SetConnectionPooling(before);
}
