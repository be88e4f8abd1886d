// Datasets over the program's DataBase.mdb through the mdbtools driver, which fills no rows-fetched
// counter, reports a row count that is no count, and scrolls only through the driver manager's
// cursor library.
#include "DataSetFixture.h"

#include "odbc/statements/Hstmt.h"

namespace {

const char* const kDictionary = "SELECT di_dfid, di_selno, di_mnemonic, di_cvalue FROM dictionary";

std::string Text(TDataSet& ds, const char* field)
{
    return ds.FieldByName(field)->AsString();
}

} // namespace

class DataBaseMdb : public DataSetTest
{
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Database() == TestDatabase::Access, "these are the program database's own tests");
    }
    // Cached through the default connection (forward-only fetching only), or read through the
    // cursor with the driver manager's cursor library, which scrolls for the driver.
    TOEDataSet* Dictionary(bool cached)
    {
        if (!cached) {
            c.Disconnect();
            c.SetCursorLib(1);
            c.Connect();
        }
        TOEDataSet* ds = NewDataSet(kDictionary);
        ds->SetCached(cached);
        ds->Open();
        return ds;
    }
};

TEST_P(DataBaseMdb, DictionaryFieldsRowsAndCount)
{
    struct Def
    {
        const char* name;
        TFieldType type;
        int size;
        bool required;
    };
    // Text sizes count UTF-8 bytes: at least as many as the column has characters.
    const Def defs[] = {
        {"di_dfid", ftInteger, 0, true},
        {"di_selno", ftString, 40, false},
        {"di_mnemonic", ftString, 40, false},
        {"di_cvalue", ftString, 100, false},
    };
    for (const bool cached : {true, false}) {
        SCOPED_TRACE(cached ? "cached" : "uncached, cursor library");
        TOEDataSet* ds = Dictionary(cached);
        ASSERT_EQ(ds->FieldDefs().Count(), 4);
        for (int i = 0; i < 4; ++i) {
            const TFieldDef& def = ds->FieldDefs().Items(i);
            EXPECT_EQ(def.Name, defs[i].name);
            EXPECT_EQ(def.DataType, defs[i].type) << def.Name;
            if (def.DataType == ftString) {
                EXPECT_GE(def.Size, defs[i].size) << def.Name;
            } else {
                EXPECT_EQ(def.Size, defs[i].size) << def.Name;
            }
            EXPECT_EQ(def.Required, defs[i].required) << def.Name;
        }
        EXPECT_EQ(ds->RecordCount(), 62) << "counted, not the driver's 'rows so far'";
        EXPECT_EQ(Text(*ds, "di_cvalue"), "未知");
        int rows = 0;
        while (!ds->Eof()) {
            ++rows;
            ds->Next();
        }
        EXPECT_EQ(rows, 62) << "every row, though the driver never says how many a fetch brought";
        EXPECT_EQ(Text(*ds, "di_cvalue"), "外国血统中国籍人士");
        ds->Prior();
        EXPECT_EQ(Text(*ds, "di_cvalue"), "其他");
        if (cached) {
            EXPECT_EQ(ds->RecNo(), 61);
            ds->RecNo(2);
            EXPECT_EQ(Text(*ds, "di_cvalue"), "男");
        }
        ds->First();
        EXPECT_EQ(Text(*ds, "di_selno"), "0");
        delete ds;
    }
}

TEST_P(DataBaseMdb, LocateLookupFilterAndFind)
{
    for (const bool cached : {true, false}) {
        SCOPED_TRACE(cached ? "cached" : "uncached, cursor library");
        TOEDataSet* ds = Dictionary(cached);
        EXPECT_TRUE(ds->Locate("di_cvalue", "汉族", 0));
        EXPECT_EQ(Text(*ds, "di_dfid"), "8");
        EXPECT_EQ(Text(*ds, "di_selno"), "1");
        EXPECT_TRUE(ds->Locate("di_dfid;di_selno", Variant::Array({7, "2"}), 0));
        EXPECT_EQ(Text(*ds, "di_cvalue"), "女");
        EXPECT_FALSE(ds->Locate("di_dfid;di_selno", Variant::Array({7, "5"}), 0));

        EXPECT_EQ(ds->Lookup("di_dfid;di_selno", Variant::Array({7, "1"}), "di_cvalue"), Variant("男"));
        EXPECT_TRUE(ds->Lookup("di_dfid;di_selno", Variant::Array({8, "99"}), "di_cvalue").IsNull());
        EXPECT_EQ(Text(*ds, "di_cvalue"), "女") << "Lookup leaves the record shown";

        ds->SetOnFilterRecord(
            [](TDataSet* d, bool& accept) { accept = d->FieldByName("di_dfid")->AsInteger() == 7; });
        EXPECT_TRUE(ds->FindFirst());
        EXPECT_EQ(Text(*ds, "di_cvalue"), "未知");
        EXPECT_TRUE(ds->FindLast());
        EXPECT_EQ(Text(*ds, "di_cvalue"), "未说明");
        ds->SetFiltered(true);
        std::vector<std::string> sexes;
        while (!ds->Eof()) {
            sexes.push_back(Text(*ds, "di_cvalue"));
            ds->Next();
        }
        EXPECT_EQ(sexes, (std::vector<std::string>{"未知", "男", "女", "未说明"}));
        delete ds;
    }
}

// Only where it means something: see SetUp.
INSTANTIATE_TEST_SUITE_P(Databases, DataBaseMdb, ::testing::Values(TestDatabase::Access),
                         [](const ::testing::TestParamInfo<TestDatabase>& info) {
                             return DatabaseName(info.param);
                         });
