// Filters, Locate, Lookup and FindRecord, through the cursor and through the cache.
#include "DataSetFixture.h"

#include "platform/db/HandleException.h"

namespace {

int Id(TDataSet& ds)
{
    return ds.FieldByName("id")->AsInteger();
}

std::vector<int> IdsBackToBof(TDataSet& ds)
{
    std::vector<int> ids;
    ds.Last();
    while (!ds.Bof()) {
        ids.push_back(Id(ds));
        ds.Prior();
    }
    return ids;
}

// Captures what the application would show for an exception nobody catches.
struct ShownExceptions
{
    std::vector<std::string> messages;
    THandleExceptionHook previous;
    ShownExceptions()
    {
        previous = SetHandleExceptionHook(
            [this](TComponent*, const std::exception& e) { messages.emplace_back(e.what()); });
    }
    ~ShownExceptions() { SetHandleExceptionHook(std::move(previous)); }
};

} // namespace

class DataSetSearch : public DataSetTest
{
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Writable(), "DataBase.mdb is read-only; its own tests are the DataBaseMdb suite");
        table = People(0);
        Exec("INSERT INTO " + table + " VALUES (1, 'Alpha', 1.5), (2, 'alpine', 3), (3, 'Beta', 4.5), " +
             "(4, NULL, 6), (5, 'Gamma ray', 7.5), (6, 'beta', 9)");
    }
    TOEDataSet* Names(bool cached)
    {
        TOEDataSet* ds = NewDataSet("SELECT id, name, amount FROM " + table + " ORDER BY id");
        ds->SetCached(cached);
        return ds;
    }
    std::string table;
};

TEST_P(DataSetSearch, FilterShowsOnlyTheRowsItsHandlerAccepts)
{
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "uncached");
        TOEDataSet* ds = Names(cached);
        ds->Open();
        ds->SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = Id(*d) % 2 == 0; });
        EXPECT_EQ(IdsToEof(*ds).size(), 6u) << "a handler alone does not filter";
        ds->SetFiltered(true);
        EXPECT_TRUE(ds->Active());
        EXPECT_EQ(IdsToEof(*ds), (std::vector<int>{2, 4, 6}));
        EXPECT_EQ(IdsBackToBof(*ds), (std::vector<int>{6, 4, 2}));
        ds->SetFiltered(false);
        EXPECT_EQ(IdsToEof(*ds).size(), 6u);
        delete ds;
    }
}

TEST_P(DataSetSearch, AFailingFilterHandlerIsShownAndTheRowCountsAsItsHandlerLeftIt)
{
    ShownExceptions shown;
    TOEDataSet* ds = Names(false);
    ds->SetOnFilterRecord([](TDataSet* d, bool& accept) {
        const int id = Id(*d);
        accept = id != 3;
        if (id == 3 || id == 4)
            throw std::runtime_error("filter failed on " + std::to_string(id));
    });
    ds->SetFiltered(true);
    ds->Open();
    EXPECT_EQ(IdsToEof(*ds), (std::vector<int>{1, 2, 4, 5, 6}));
    EXPECT_EQ(shown.messages, (std::vector<std::string>{"filter failed on 3", "filter failed on 4"}));
}

TEST_P(DataSetSearch, FiltersAndCalculatedFieldsSeeTheRecordBeingExamined)
{
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "uncached");
        TOEDataSet* ds = Names(cached);
        ds->AddField(std::make_unique<TField>("id", ftInteger));
        ds->AddField(std::make_unique<TField>("name", ftString, 12));
        ds->AddField(std::make_unique<TField>("amount", ftFloat));
        ds->AddField(std::make_unique<TField>("twice", ftInteger, 0, fkCalculated));
        ds->SetOnCalcFields([](TDataSet* d) { d->FieldByName("twice")->SetAsInteger(Id(*d) * 2); });
        // The filter decides by a calculated field: it must see the record it examines, also while a
        // search reads rows into its own buffer.
        ds->SetOnFilterRecord(
            [](TDataSet* d, bool& accept) { accept = d->FieldByName("twice")->AsInteger() % 4 == 0; });
        ds->SetFiltered(true);
        ds->Open();
        EXPECT_EQ(IdsToEof(*ds), (std::vector<int>{2, 4, 6}));
        ds->First();
        EXPECT_TRUE(ds->Locate("name", "beta", 0));
        EXPECT_EQ(Id(*ds), 6);
        EXPECT_EQ(ds->FieldByName("twice")->AsInteger(), 12);
        EXPECT_FALSE(ds->Locate("name", "Beta", 0)) << "row 3 is filtered out";
        EXPECT_EQ(ds->Lookup("id", 4, "twice"), Variant(8));
        EXPECT_TRUE(ds->Lookup("id", 3, "twice").IsNull());
        delete ds;
    }
}

TEST_P(DataSetSearch, LocateFindsTheFirstRowWhoseKeysMatch)
{
    struct Case
    {
        const char* fields;
        Variant values;
        TLocateOptions options;
        TOELocateOption partial;
        int id; // 0: not found
    };
    const Variant null = Variant::Null();
    const Case cases[] = {
        {"name", "Beta", 0, loPrefix, 3},
        {"name", "beta", 0, loPrefix, 6},
        {"name", "BETA", loCaseInsensitive, loPrefix, 3},
        {"name", "AL", loPartialKey | loCaseInsensitive, loPrefix, 1},
        {"name", "AL", loPartialKey, loPrefix, 0},
        {"name", "ray", loPartialKey, loSubString, 5},
        {"name", "ray", loPartialKey, loPrefix, 0},
        {"name", "Beta  ", 0, loPrefix, 3}, // trailing blanks trimmed as the statement trims
        {"name", null, 0, loPrefix, 4},
        {"name", Variant(), 0, loPrefix, 4},
        {"id;name", Variant::Array({6, "beta"}), 0, loPrefix, 6},
        {"id;name", Variant::Array({6, "Beta"}), 0, loPrefix, 0},
        {"amount", 4.5, 0, loPrefix, 3},
        {"id", 5, 0, loPrefix, 5},
        {"id", "2", 0, loPrefix, 2},
        {"name", "", 0, loPrefix, 0}, // an empty text is no match for NULL
    };
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "uncached");
        TOEDataSet* ds = Names(cached);
        ds->Open();
        for (const Case& c : cases) {
            ds->RecNo(1);
            ds->First();
            ds->Next();
            ds->SetLocateOption(c.partial);
            const bool found = ds->Locate(c.fields, c.values, c.options);
            EXPECT_EQ(found, c.id != 0) << c.fields << " = " << c.values.AsString();
            EXPECT_EQ(Id(*ds), c.id != 0 ? c.id : 2) << c.fields << " = " << c.values.AsString();
            if (found) {
                ds->Next();
                EXPECT_EQ(Id(*ds), c.id < 6 ? c.id + 1 : 6) << "browsing goes on from the found row";
            }
        }
        delete ds;
    }
}

TEST_P(DataSetSearch, LookupGivesValuesOfTheFoundRowAndNullWhenNoneMatches)
{
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "uncached");
        TOEDataSet* ds = Names(cached);
        ds->Open();
        ds->Next();
        const Variant both = ds->Lookup("name", "Beta", "id;amount");
        ASSERT_TRUE(both.IsArray());
        EXPECT_EQ(both[0], Variant(3));
        EXPECT_EQ(both[1], Variant(4.5));
        EXPECT_EQ(ds->Lookup("id", 5, "name"), Variant("Gamma ray"));
        EXPECT_TRUE(ds->Lookup("name", "Delta", "id").IsNull());
        EXPECT_EQ(Id(*ds), 2) << "the record shown stays";
        delete ds;
    }
}

TEST_P(DataSetSearch, FindRecordWalksTheRowsTheHandlerAcceptsWithoutFiltering)
{
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "uncached");
        TOEDataSet* ds = Names(cached);
        ds->SetOnFilterRecord([](TDataSet* d, bool& accept) {
            const std::string name = d->FieldByName("name")->AsString();
            accept = !name.empty() && (name[0] == 'b' || name[0] == 'B');
        });
        ds->Open();
        std::vector<std::string> events;
        ds->SetAfterScroll([&](TDataSet*) { events.emplace_back("scrolled"); });
        EXPECT_TRUE(ds->FindFirst());
        EXPECT_EQ(Id(*ds), 3);
        EXPECT_TRUE(ds->Found());
        EXPECT_TRUE(ds->FindNext());
        EXPECT_EQ(Id(*ds), 6);
        EXPECT_FALSE(ds->FindNext());
        EXPECT_FALSE(ds->Found());
        EXPECT_EQ(Id(*ds), 6);
        EXPECT_TRUE(ds->FindPrior());
        EXPECT_EQ(Id(*ds), 3);
        EXPECT_TRUE(ds->FindLast());
        EXPECT_EQ(Id(*ds), 6);
        EXPECT_FALSE(events.empty());
        ds->First();
        EXPECT_EQ(IdsToEof(*ds).size(), 6u) << "finding filters nothing";
        delete ds;
    }
}

ZIRA_ON_EACH_DATABASE(DataSetSearch);
