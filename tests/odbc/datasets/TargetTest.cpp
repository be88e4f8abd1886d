// The write-back target: its column-list texts and its form-resource property.
#include "odbc/datasets/Target.h"
#include "platform/core/Filer.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Names(const TStringList& list)
{
    return list.Lines();
}

} // namespace

TEST(Target, ColumnListTextTakesOnlyPiecesEndedBySemicolons)
{
    struct Case
    {
        const char* text;
        std::vector<std::string> names;
        const char* back;
    };
    const Case cases[] = {
        {"A;B", {"A"}, "A;"},
        {"A;B;", {"A", "B"}, "A;B;"},
        {";", {""}, ";"},
        {"", {}, ""},
        {" A ;;B;", {" A ", "", "B"}, " A ;;B;"}, // as they stand, empty pieces too
    };
    TTarget target(nullptr);
    for (const Case& c : cases) {
        target.SetPrimaryCols(c.text);
        target.SetIgnoreCols(c.text);
        EXPECT_EQ(Names(target.PrimaryList()), c.names) << c.text;
        EXPECT_EQ(Names(target.IgnoreList()), c.names) << c.text;
        EXPECT_EQ(target.GetPrimaryCols(), c.back) << c.text;
        EXPECT_EQ(target.GetIgnoreCols(), c.back) << c.text;
    }
}

TEST(Target, NamesAreTrimmedAndTheCoreFormTakesCountNames)
{
    TTarget target(nullptr);
    target.PrimaryCols({" A\t", "B"});
    EXPECT_EQ(target.GetPrimaryCols(), "A;B;");
    target.IgnoreColsCore({"X", " Y", "Z"}, 2);
    EXPECT_EQ(target.GetIgnoreCols(), "X;Y;");
    target.IgnoreColsCore({"X"}, 5);
    EXPECT_EQ(target.GetIgnoreCols(), "X;");

    target.SetTarget("orders", "id;", "stamp;note;");
    std::string table, primary, ignore;
    target.GetTarget(table, primary, ignore);
    EXPECT_EQ(table, "orders");
    EXPECT_EQ(primary, "id;");
    EXPECT_EQ(ignore, "stamp;note;");
}

namespace {

// The property as the target must write it: the version tag, the table and both list texts.
struct ExpectedTarget : TPersistent
{
    std::vector<std::string> values;
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineProperty(
            "Target", {},
            [this](TWriter& w) {
                w.WriteListBegin();
                for (const std::string& v : values)
                    w.WriteString(v);
                w.WriteListEnd();
            },
            true);
    }
};

std::string Bytes(TPersistent& p)
{
    TMemoryStream s;
    TWriter(s).WriteProperties(p);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

void Read(TPersistent& p, const std::string& bytes)
{
    TMemoryStream s;
    s.Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetPosition(0);
    TReader(s).ReadProperties(p);
    EXPECT_EQ(s.Position(), s.Size());
}

} // namespace

TEST(Target, StreamedAsTheVersionTagTableAndBothLists)
{
    TTarget out(nullptr);
    out.SetTarget("Order Items", "id;line;", "note;");
    ExpectedTarget expected;
    expected.values = {"OE5.02", "Order Items", "id;line;", "note;"};
    const std::string bytes = Bytes(out);
    EXPECT_EQ(bytes, Bytes(expected));

    TTarget in(nullptr);
    Read(in, bytes);
    EXPECT_EQ(in.TargetTable(), "Order Items");
    EXPECT_EQ(in.GetPrimaryCols(), "id;line;");
    EXPECT_EQ(in.GetIgnoreCols(), "note;");
}

TEST(Target, EmptyTargetIsStillWrittenAndReadsBackEmpty)
{
    TTarget empty(nullptr);
    ExpectedTarget expected;
    expected.values = {"OE5.02", "", "", ""};
    const std::string bytes = Bytes(empty);
    EXPECT_EQ(bytes, Bytes(expected));

    TTarget in(nullptr);
    in.SetTarget("t", "a;", "b;");
    Read(in, bytes);
    EXPECT_EQ(in.TargetTable(), "");
    EXPECT_EQ(in.GetPrimaryCols(), "");
    EXPECT_EQ(in.GetIgnoreCols(), "");
}

TEST(Target, ReadingTakesListsByTheTextRuleAndIgnoresTheTag)
{
    ExpectedTarget older;
    older.values = {"OE4.00", "t", "a;b", ";"};
    TTarget in(nullptr);
    Read(in, Bytes(older));
    EXPECT_EQ(in.TargetTable(), "t");
    EXPECT_EQ(in.GetPrimaryCols(), "a;");
    EXPECT_EQ(in.IgnoreList().Lines(), std::vector<std::string>{""});
}
