// TDataSet in a form resource: its properties round-trip, a streamed Active opens only once loading
// has ended, and sub-objects stream their properties under the holder's prefix.
#include "DataSetTestSupport.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/HandleException.h"

#include <gtest/gtest.h>

namespace {

// A sub-object with a nested sub-object of its own, as a dataset's statement options hold their
// target.
struct Inner : TPersistent
{
    std::string table;
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineProperty(
            "Table", [this](TReader& r) { table = r.ReadString(); },
            [this](TWriter& w) { w.WriteString(table); }, !table.empty());
    }
};

struct Options : TPersistent
{
    int cursorType = 0;
    Inner inner;
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineProperty(
            "CursorType", [this](TReader& r) { cursorType = r.ReadInteger(); },
            [this](TWriter& w) { w.WriteInteger(cursorType); }, cursorType != 0);
        DefineSubProperties(filer, "Target", inner);
    }
};

// A dataset with properties streamed after Active whose setters need a closed dataset, as the ODBC
// datasets' cursor options do: they record whether the dataset was open when they ran.
class StreamedDataSet : public MemDataSet
{
public:
    explicit StreamedDataSet(TComponent* owner = nullptr) : MemDataSet(owner) { FillPeople(*this, 3); }

    Options options;
    std::string late;
    std::vector<std::string> openWhenSet;
    bool failOpen = false;

    void DefineProperties(TFiler& filer) override
    {
        MemDataSet::DefineProperties(filer);
        filer.DefineProperty(
            "Late",
            [this](TReader& r) {
                late = r.ReadString();
                openWhenSet.push_back(Active() ? "open" : "closed");
            },
            [this](TWriter& w) { w.WriteString(late); }, !late.empty());
        DefineSubProperties(filer, "hStmt", options);
    }

protected:
    void DoBeforeOpen() override
    {
        if (failOpen)
            DatabaseError("cannot open", this);
        MemDataSet::DoBeforeOpen();
    }
};

} // namespace

TEST(DataSetStreaming, PropertiesRoundTripAndActiveWaitsForLoaded)
{
    StreamedDataSet original;
    original.SetName("Table1");
    original.late = "after Active";
    original.options.cursorType = 3;
    original.options.inner.table = "people";
    original.SetAutoCalcFields(false);
    original.SetFiltered(true);
    original.Open();

    TMemoryStream s;
    TWriter(s).WriteComponent(original);
    s.SetPosition(0);

    StreamedDataSet copy;
    std::vector<std::string> events;
    copy.SetAfterOpen(
        [&](TDataSet* ds) { events.push_back(ds->HasState(csLoading) ? "loading" : "loaded"); });
    TReader(s).ReadComponent(copy);

    EXPECT_EQ(s.Position(), s.Size()) << "everything written was read";
    EXPECT_EQ(copy.Name(), "Table1");
    EXPECT_EQ(copy.late, "after Active");
    EXPECT_EQ(copy.options.cursorType, 3);
    EXPECT_EQ(copy.options.inner.table, "people");
    EXPECT_FALSE(copy.AutoCalcFields());
    EXPECT_TRUE(copy.Filtered());
    EXPECT_TRUE(copy.Active());
    EXPECT_EQ(copy.openWhenSet, std::vector<std::string>{"closed"}) << "Active was deferred";
    EXPECT_EQ(events, std::vector<std::string>{"loaded"});
    EXPECT_EQ(CurrentId(copy), 1);
}

TEST(DataSetStreaming, SubObjectPropertiesCarryTheHolderPrefix)
{
    StreamedDataSet original;
    original.options.cursorType = 1;
    original.options.inner.table = "t";
    TMemoryStream s;
    TWriter(s).WriteProperties(original);
    const std::string bytes(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    EXPECT_NE(bytes.find("hStmt.CursorType"), std::string::npos);
    EXPECT_NE(bytes.find("hStmt.Target.Table"), std::string::npos);
    EXPECT_EQ(bytes.find("Active"), std::string::npos) << "a closed dataset does not write Active";
}

TEST(DataSetStreaming, ClosedDataSetStaysClosedAndActiveFalseIsKept)
{
    StreamedDataSet original;
    TMemoryStream s;
    TWriter(s).WriteComponent(original);
    s.SetPosition(0);
    StreamedDataSet copy;
    TReader(s).ReadComponent(copy);
    EXPECT_FALSE(copy.Active());
    EXPECT_TRUE(copy.AutoCalcFields());
    EXPECT_FALSE(copy.Filtered());
}

TEST(DataSetStreaming, StreamedOpenThatFailsRaisesOrIsShownWhileDesigning)
{
    StreamedDataSet original;
    original.Open();
    TMemoryStream s;
    TWriter(s).WriteComponent(original);

    s.SetPosition(0);
    StreamedDataSet running;
    running.failOpen = true;
    EXPECT_THROW(TReader(s).ReadComponent(running), EDatabaseError);
    EXPECT_FALSE(running.Active());
    EXPECT_FALSE(running.HasState(csLoading));

    s.SetPosition(0);
    StreamedDataSet designed;
    designed.failOpen = true;
    designed.SetDesigning(true);
    std::vector<std::string> shown;
    auto previous =
        SetHandleExceptionHook([&](TComponent*, const std::exception& e) { shown.emplace_back(e.what()); });
    EXPECT_NO_THROW(TReader(s).ReadComponent(designed));
    SetHandleExceptionHook(std::move(previous));
    EXPECT_FALSE(designed.Active());
    EXPECT_EQ(shown, std::vector<std::string>{"cannot open"});
}
