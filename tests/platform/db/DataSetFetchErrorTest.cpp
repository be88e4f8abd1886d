#include "DataSetTestSupport.h"
#include "platform/core/Exception.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"

#include <gtest/gtest.h>

#include <memory>

using Log = std::vector<std::string>;

// A fetch that fails half-way: the calculated field's handler throws for one record, as a driver
// error would in the middle of GetRecord (the cursor has moved, the record is not in the window).
class FetchError : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FillPeople(ds, 3);
        ds.AddField(std::make_unique<TField>("id", ftInteger));
        ds.AddField(std::make_unique<TField>("name", ftString, 10));
        ds.AddField(std::make_unique<TField>("twice", ftInteger, 0, fkCalculated));
        ds.SetOnCalcFields([this](TDataSet* d) {
            const int id = d->FieldByName("id")->AsInteger();
            if (id == failOn)
                throw Exception("fetch failed");
            d->FieldByName("twice")->SetAsInteger(2 * id);
        });
        source.SetDataSet(&ds);
        link.SetDataSource(&source);
        ds.SetAfterScroll([this](TDataSet*) { ++afterScrolls; });
    }
    std::vector<int> Ids()
    {
        std::vector<int> ids;
        for (int row = 0; row < ds.RowCount(); ++row)
            ids.push_back(ds.Cell(row, 0).AsInteger());
        return ids;
    }
    MemDataSet ds;
    TDataSource source;
    RecordingLink link;
    int failOn = 0;
    int afterScrolls = 0;
};

TEST_F(FetchError, AFailedNextLeavesTheCursorToBePositionedAgainBeforeADelete)
{
    ds.Open();
    link.Take();
    afterScrolls = 0;
    failOn = 2;
    EXPECT_THROW(ds.Next(), Exception);
    failOn = 0;
    EXPECT_EQ(CurrentId(ds), 1) << "the window still shows the first record";
    EXPECT_EQ(link.Take(), (Log{"check", "scrolled 0"})) << "the links hear of the move that failed";
    EXPECT_EQ(afterScrolls, 1);

    ds.Delete();
    EXPECT_EQ(Ids(), (std::vector<int>{2, 3})) << "the record shown is the one deleted";
    EXPECT_EQ(CurrentId(ds), 2);
}

TEST_F(FetchError, AFailedEditAfterAFailedPriorWritesTheRecordShown)
{
    ds.Open();
    ds.Last();
    failOn = 2;
    EXPECT_THROW(ds.Prior(), Exception);
    failOn = 0;
    ASSERT_EQ(CurrentId(ds), 3);
    ds.Edit();
    ds.FieldByName("name")->SetAsString("changed");
    ds.Post();
    EXPECT_EQ(ds.Cell(2, 1).AsString(), "changed");
    EXPECT_EQ(ds.Cell(1, 1).AsString(), "n2");
}

TEST_F(FetchError, AFailedFirstOrLastStillTellsTheLinksOfTheEmptiedWindow)
{
    ds.Open();
    ds.Next();
    link.Take();
    afterScrolls = 0;
    failOn = 1;
    EXPECT_THROW(ds.First(), Exception);
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(link.Take(), (Log{"check", "changed"}));
    EXPECT_EQ(afterScrolls, 1);

    failOn = 3;
    EXPECT_THROW(ds.Last(), Exception);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(link.Take(), (Log{"check", "changed"}));
    EXPECT_EQ(afterScrolls, 2);

    failOn = 0;
    ds.First();
    EXPECT_EQ(CurrentId(ds), 1) << "the dataset works again once the fetch does";
}

TEST(PositioningError, AFailedPositioningIsRepeatedBeforeTheNextFetch)
{
    MemDataSet ds;
    FillPeople(ds, 5);
    TDataSource source;
    source.SetDataSet(&ds);
    RecordingLink grid;
    grid.SetBufferCount(3);
    grid.SetDataSource(&source);
    ds.Open(); // window 1 2 3, the cursor on 3, the first one active
    ds.FailNextPositioning();
    EXPECT_THROW(ds.Edit(), EDatabaseError) << "the cursor moved to 1 before the failure";
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.MoveBy(3), 3);
    EXPECT_EQ(CurrentId(ds), 4) << "the next record after the window, not after where the cursor was left";
}
