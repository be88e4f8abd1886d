#include "DataSetTestSupport.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"

#include <gtest/gtest.h>

TEST(DataSetOpen, EmptySetIsAtBothEndsAndScrollsNowhere)
{
    EventLog log;
    MemDataSet ds;
    FillPeople(ds, 0);
    log.Attach(ds);
    ds.Open();
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"BeforeOpen", "AfterOpen"}))
        << "no AfterScroll when empty";
    EXPECT_EQ(ds.FieldByName("id")->AsString(), "") << "an empty set reads as null";
    EXPECT_TRUE(ds.FieldByName("id")->IsNull());
    ds.Next();
    ds.Prior();
    EXPECT_EQ(ds.MoveBy(3), 0);
    EXPECT_THROW(ds.Delete(), EDatabaseError);
}

TEST(DataSetOpen, FullSetStartsOnTheFirstRecordWithoutInternalFirst)
{
    EventLog log;
    MemDataSet ds;
    FillPeople(ds, 3);
    log.Attach(ds);
    ds.Open();
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"BeforeOpen", "AfterOpen", "AfterScroll"}));
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(CurrentId(ds), 1);
    EXPECT_EQ(ds.InternalFirstCalls(), 0) << "opening fills the window with gmNext only";
    EXPECT_EQ(ds.LiveBuffers(), 2 + 1 + 2) << "a window buffer and its spare, the calculation buffer, the "
                                              "set's own filter and old-value buffers";
}

TEST(DataSetOpen, CloseFreesTheWindowBeforeInternalClose)
{
    EventLog log;
    MemDataSet ds;
    FillPeople(ds, 3);
    ds.Open();
    log.Attach(ds);
    ds.Close();
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"BeforeClose", "AfterClose"}));
    EXPECT_EQ(ds.State(), dsInactive);
    EXPECT_EQ(ds.BuffersAtInternalClose(), 0);
    EXPECT_EQ(ds.LiveBuffers(), 0);
    EXPECT_THROW(ds.Next(), EDatabaseError);
}

TEST(DataSetNavigation, FirstNextPriorLastAndTheEnds)
{
    MemDataSet ds;
    FillPeople(ds, 4);
    ds.Open();
    std::vector<int> ids;
    while (!ds.Eof()) {
        ids.push_back(CurrentId(ds));
        ds.Next();
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(CurrentId(ds), 4) << "Next at the end stays on the last record";
    ds.Next();
    EXPECT_EQ(CurrentId(ds), 4);
    ds.Last();
    EXPECT_TRUE(ds.Eof());
    EXPECT_FALSE(ds.Bof());
    ids.clear();
    while (!ds.Bof()) {
        ids.push_back(CurrentId(ds));
        ds.Prior();
    }
    EXPECT_EQ(ids, (std::vector<int>{4, 3, 2, 1}));
    ds.First();
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(CurrentId(ds), 1);
    EXPECT_EQ(ds.InternalFirstCalls(), 1);
}

TEST(DataSetNavigation, MoveByAcrossAWindowOfThree)
{
    MemDataSet ds;
    FillPeople(ds, 10);
    TDataSource source;
    source.SetDataSet(&ds);
    RecordingLink grid;
    grid.SetBufferCount(3);
    grid.SetDataSource(&source);
    ds.Open();
    EXPECT_EQ(grid.RecordCount(), 3) << "the window holds as many records as the link shows";
    grid.Take();

    struct Step
    {
        int by;
        int moved;
        int id;
        int activeInLink;
        bool bof, eof;
    };
    const Step steps[] = {
        {1, 1, 2, 1, false, false},   {1, 1, 3, 2, false, false}, {1, 1, 4, 2, false, false}, // scrolls
        {5, 5, 9, 2, false, false},   {5, 1, 10, 2, false, true}, {-1, -1, 9, 1, false, false},
        {-8, -8, 1, 0, false, false}, {-1, 0, 1, 0, true, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE("MoveBy(" + std::to_string(s.by) + ") to " + std::to_string(s.id));
        EXPECT_EQ(ds.MoveBy(s.by), s.moved);
        EXPECT_EQ(CurrentId(ds), s.id);
        EXPECT_EQ(grid.ActiveRecord(), s.activeInLink);
        EXPECT_EQ(ds.Bof(), s.bof);
        EXPECT_EQ(ds.Eof(), s.eof);
    }
    grid.Take();
    ds.First();
    ds.MoveBy(2);
    ds.MoveBy(1);
    EXPECT_EQ(grid.Take(),
              (std::vector<std::string>{"check", "changed", "check", "scrolled 0", "check", "scrolled 1"}));
}

TEST(DataSetNavigation, ForwardOnlyCursorOpensAndReadsForward)
{
    MemDataSet ds;
    FillPeople(ds, 3);
    ds.SetForwardOnly(true);
    ds.Open();
    EXPECT_EQ(ds.InternalFirstCalls(), 0);
    EXPECT_EQ(CurrentId(ds), 1);
    ds.Next();
    ds.Next();
    EXPECT_EQ(CurrentId(ds), 3);
    ds.Prior();
    EXPECT_EQ(CurrentId(ds), 3) << "the cursor cannot go back: the record stays";
    EXPECT_TRUE(ds.Bof());
    ds.Next();
    EXPECT_TRUE(ds.Eof());
}

TEST(DataSetBookmarks, GotoBookmarkReturnsToTheRecordAndScrolls)
{
    EventLog log;
    MemDataSet ds;
    FillPeople(ds, 6);
    ds.Open();
    ds.MoveBy(3);
    const TBookmark mark = ds.Bookmark();
    ASSERT_EQ(mark.size(), 4u);
    ds.First();
    log.Attach(ds);
    ds.GotoBookmark(mark);
    EXPECT_EQ(CurrentId(ds), 4);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"BeforeScroll", "AfterScroll"}));
    ds.Next();
    EXPECT_EQ(CurrentId(ds), 5) << "the window continues after the bookmarked record";
    EXPECT_TRUE(ds.BookmarkValid(mark.data()));
    EXPECT_EQ(ds.CompareBookmarks(mark.data(), ds.Bookmark().data()), -1);

    ds.GotoBookmark(ds.Bookmark());
    const TBookmark gone = ds.Bookmark();
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(gone.data()));
    try {
        ds.GotoBookmark(gone);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Record not found");
    }
}

TEST(DataSetBookmarks, ACursorWithoutBookmarksHasNone)
{
    MemDataSet ds;
    FillPeople(ds, 3);
    ds.SetBookmarks(false);
    ds.Open();
    EXPECT_EQ(ds.BookmarkSize(), 0);
    ds.Next();
    EXPECT_TRUE(ds.Bookmark().empty());
    ds.GotoBookmark(ds.Bookmark());
    EXPECT_EQ(CurrentId(ds), 2) << "an absent bookmark goes nowhere";
    ds.Edit();
    ds.FieldByName("name")->SetAsString("x");
    ds.Post();
    EXPECT_EQ(ds.Cell(1, 1).AsString(), "x");
}

TEST(DataSetResync, ExactFindsTheRecordOrRaises)
{
    MemDataSet ds;
    FillPeople(ds, 5);
    ds.Open();
    ds.MoveBy(2);
    ds.Resync(rmExact);
    EXPECT_EQ(CurrentId(ds), 3);
    ds.Resync(rmExact | rmCenter);
    EXPECT_EQ(CurrentId(ds), 3);
}

TEST(DataSetResync, WithoutExactFallsToNextThenPriorThenEmpties)
{
    MemDataSet ds;
    FillPeople(ds, 3);
    ds.Open();
    ds.MoveBy(1);
    ds.Delete(); // record 2 goes: the next one takes its place
    EXPECT_EQ(CurrentId(ds), 3);
    ds.Delete(); // the last one goes: the prior one is shown
    EXPECT_EQ(CurrentId(ds), 1);
    ds.Delete();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
}

TEST(DataSetResync, CenterFillsNeighboursOnBothSides)
{
    MemDataSet ds;
    FillPeople(ds, 9);
    TDataSource source;
    source.SetDataSet(&ds);
    RecordingLink grid;
    grid.SetBufferCount(5);
    grid.SetDataSource(&source);
    ds.Open();
    ds.MoveBy(6);
    const TBookmark seven = ds.Bookmark();
    ds.First();
    ds.GotoBookmark(seven);
    EXPECT_EQ(CurrentId(ds), 7);
    EXPECT_EQ(grid.ActiveRecord(), 2) << "two records before it, two after";
    EXPECT_EQ(grid.RecordCount(), 5);
    ds.MoveBy(-2);
    EXPECT_EQ(CurrentId(ds), 5);
    EXPECT_EQ(grid.ActiveRecord(), 0) << "moved inside the window";
}

TEST(DataSetNavigation, NextIntoAWindowWithRoomLandsOnTheNewRecord)
{
    MemDataSet ds;
    FillPeople(ds, 2);
    TDataSource source;
    source.SetDataSet(&ds);
    RecordingLink grid;
    grid.SetBufferCount(3);
    grid.SetDataSource(&source);
    ds.Open();
    ds.Next();
    EXPECT_EQ(CurrentId(ds), 2);
    ds.AddRow({Variant(3), Variant("n3")}); // a row arrives after the window was filled
    EXPECT_EQ(ds.MoveBy(1), 1);
    EXPECT_EQ(CurrentId(ds), 3) << "the record moved to is the one shown";
    EXPECT_EQ(grid.RecordCount(), 3);
    EXPECT_FALSE(ds.Eof());
}
