// Blob streams of dataset records: reading and writing through the record, and what happens when the
// record goes while a stream is still held.
#include "DataSetFixture.h"

#include "platform/core/MemoryStream.h"

class BlobStream : public DataSetTest
{
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped())
            return;
        ZIRA_REQUIRE(Database() == TestDatabase::Sqlite,
                     "blob streams work on the record, whatever the database");
        table = NewTable("(id INTEGER PRIMARY KEY, tx TEXT)");
        Exec("INSERT INTO " + table + " VALUES (1, 'first text'), (2, NULL)");
    }
    std::string table;
};

TEST_P(BlobStream, AStreamThatOutlivesItsRecordRaisesInsteadOfTouchingFreedMemory)
{
    TOEDataSet* ds = NewDataSet("SELECT id, tx FROM " + table + " ORDER BY id");
    ds->Open();
    std::unique_ptr<TStream> stream = ds->CreateBlobStream(ds->FieldByName("tx"), bmRead);
    ASSERT_NE(stream, nullptr);
    char text[5] = {};
    EXPECT_EQ(stream->Read(text, 4), 4);
    EXPECT_STREQ(text, "firs");
    EXPECT_EQ(stream->Size(), 10);

    ds->Close();
    EXPECT_THROW(stream->Read(text, 4), RIDIZOrurori);
    EXPECT_THROW(stream->Write("x", 1), RIDIZOrurori);

    ds->Open();
    std::unique_ptr<TStream> held = ds->CreateBlobStream(ds->FieldByName("tx"), bmRead);
    delete ds;
    EXPECT_THROW(held->Size(), RIDIZOrurori);
}

TEST_P(BlobStream, WritingMarksTheFieldPresentEvenWithoutBytes)
{
    TOEDataSet* ds = NewDataSet("SELECT id, tx FROM " + table + " ORDER BY id");
    ds->SetEditable(true);
    // Cached: cancelling shows the cache's record again (without a cache and without bookmarks,
    // restoring a cancelled edit is the editing work's old-value buffer).
    ds->SetCached(true);
    ds->Open();
    ds->Next();
    TField* tx = ds->FieldByName("tx");
    ASSERT_TRUE(tx->IsNull());
    int changes = 0;
    tx->SetOnChange([&](TField*) { ++changes; });
    ds->Edit();
    auto stream = ds->CreateBlobStream(tx, bmWrite);
    stream->Write("", 0);
    EXPECT_FALSE(tx->IsNull()) << "an empty text is a value";
    EXPECT_EQ(tx->AsString(), "");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ds->Modified());
    stream->Write("new", 3);
    EXPECT_EQ(tx->AsString(), "new");
    stream.reset();
    ds->Cancel();
    EXPECT_TRUE(tx->IsNull()) << "cancelled: the record shows the row as it was";
}

// Only where it means something: see SetUp.
INSTANTIATE_TEST_SUITE_P(Databases, BlobStream, ::testing::Values(TestDatabase::Sqlite),
                         [](const ::testing::TestParamInfo<TestDatabase>& info) {
                             return DatabaseName(info.param);
                         });
