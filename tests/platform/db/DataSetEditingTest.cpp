#include "DataSetTestSupport.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/HandleException.h"

#include <gtest/gtest.h>

using Events = std::vector<std::string>;

class Editing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FillPeople(ds, 3);
        ds.Open();
        log.Attach(ds);
    }
    EventLog log; // outlives the set, whose destructor still closes it
    MemDataSet ds;
};

TEST_F(Editing, EditPostWritesTheRowWithEventsInOrder)
{
    ds.Next();
    log.Take();
    ds.Edit();
    EXPECT_EQ(ds.State(), dsEdit);
    ds.FieldByName("name")->SetAsString("two");
    ds.Post();
    EXPECT_EQ(log.Take(), (Events{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost"}));
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.Cell(1, 1).AsString(), "two");
    EXPECT_EQ(ds.FieldByName("name")->AsString(), "two");
    EXPECT_EQ(CurrentId(ds), 2);
    EXPECT_EQ(ds.HookLog().back(), "InternalPost edit");
}

TEST_F(Editing, CancelDropsTheEdit)
{
    ds.Edit();
    ds.FieldByName("name")->SetAsString("zzz");
    ds.Cancel();
    EXPECT_EQ(log.Take(), (Events{"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));
    EXPECT_EQ(ds.FieldByName("name")->AsString(), "n1");
    EXPECT_EQ(ds.Cell(0, 1).AsString(), "n1");
}

TEST_F(Editing, InsertPutsTheRecordBeforeTheCurrentOne)
{
    ds.Next();
    log.Take();
    ds.Insert();
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_TRUE(ds.FieldByName("id")->IsNull()) << "a new record starts empty";
    ds.FieldByName("id")->SetAsInteger(10);
    ds.Post();
    EXPECT_EQ(log.Take(), (Events{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll",
                                  "BeforePost", "AfterPost"}));
    EXPECT_EQ(CurrentId(ds), 10);
    ASSERT_EQ(ds.RowCount(), 4);
    EXPECT_EQ(ds.Cell(1, 0).AsInteger(), 10);
    ds.Next();
    EXPECT_EQ(CurrentId(ds), 2) << "the record that was current follows the new one";
}

TEST(EditingRequired, PostLeavesRequiredChecksToTheDataset)
{
    MemDataSet ds;
    ds.AddColumn("id", ftInteger, 0, true);
    ds.Open();
    EXPECT_TRUE(ds.FieldByName("id")->Required());
    ds.Append();
    ds.Post();
    ASSERT_EQ(ds.RowCount(), 1);
    EXPECT_TRUE(ds.Cell(0, 0).IsNull()) << "the model posts a null required field; the cursor may refuse it";
}

TEST_F(Editing, AppendAddsAtTheEnd)
{
    ds.Append();
    ds.FieldByName("id")->SetAsInteger(4);
    ds.Post();
    EXPECT_EQ(ds.Cell(3, 0).AsInteger(), 4);
    EXPECT_EQ(CurrentId(ds), 4);
    ds.Prior();
    EXPECT_EQ(CurrentId(ds), 3);
}

TEST_F(Editing, InsertIntoAnEmptySetAndCancelAnInsert)
{
    MemDataSet empty;
    FillPeople(empty, 0);
    empty.Open();
    empty.Insert();
    EXPECT_FALSE(empty.IsEmpty()) << "the new record is there while inserting";
    empty.FieldByName("id")->SetAsInteger(1);
    empty.Post();
    EXPECT_EQ(empty.RowCount(), 1);
    EXPECT_EQ(CurrentId(empty), 1);

    ds.Next();
    ds.Insert();
    ds.FieldByName("id")->SetAsInteger(99);
    ds.Cancel();
    EXPECT_EQ(ds.RowCount(), 3);
    EXPECT_EQ(CurrentId(ds), 2) << "cancelling an insert returns to the record it stood before";
    log.Take();
    ds.Insert();
    ds.Delete();
    EXPECT_EQ(log.Take(), (Events{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll",
                                  "BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}))
        << "deleting an unposted insert cancels it";
}

TEST_F(Editing, DeleteRemovesTheRowAndShowsTheNext)
{
    ds.Delete();
    EXPECT_EQ(log.Take(), (Events{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(ds.RowCount(), 2);
    EXPECT_EQ(CurrentId(ds), 2);
}

TEST_F(Editing, EditOnAnEmptySetInsertsAndEditTwiceIsOneEdit)
{
    ds.Edit();
    ds.Edit();
    EXPECT_EQ(log.Take(), (Events{"BeforeEdit", "AfterEdit"}));
    ds.Cancel();
    MemDataSet empty;
    FillPeople(empty, 0);
    empty.Open();
    empty.Edit();
    EXPECT_EQ(empty.State(), dsInsert);
}

TEST_F(Editing, CheckBrowseModePostsAModifiedRecordAndCancelsAnUntouchedOne)
{
    ds.Edit();
    ds.FieldByName("name")->SetAsString("a");
    ds.Next(); // scrolling leaves edit mode through CheckBrowseMode
    EXPECT_EQ(ds.Cell(0, 1).AsString(), "a");
    EXPECT_EQ(CurrentId(ds), 2);
    ds.Edit();
    log.Take();
    ds.Next();
    EXPECT_EQ(log.Take(), (Events{"BeforeCancel", "AfterCancel", "BeforeScroll", "AfterScroll"}));
}

namespace {

// Refuses the first posts, as a locked row would.
class FailingPost : public MemDataSet
{
public:
    int failures = 0;

protected:
    void InternalPost() override
    {
        if (failures-- > 0)
            throw EDatabaseError("locked");
        MemDataSet::InternalPost();
    }
};

} // namespace

TEST(PostError, TheHandlerChoosesFailRetryOrAbort)
{
    struct Case
    {
        const char* what;
        TDataAction action;
        bool posted;
        bool raisesDatabaseError;
        bool raisesAbort;
    };
    const Case cases[] = {
        {"fail passes the error on", daFail, false, true, false},
        {"retry posts again", daRetry, true, false, false},
        {"abort unwinds silently", daAbort, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FailingPost ds;
        FillPeople(ds, 1);
        ds.Open();
        ds.Edit();
        ds.FieldByName("name")->SetAsString("x");
        ds.failures = 1;
        int calls = 0;
        ds.SetOnPostError([&](TDataSet*, EDatabaseError& e, TDataAction& action) {
            ++calls;
            EXPECT_EQ(e.Message(), "locked");
            action = c.action;
        });
        bool dbError = false, aborted = false;
        try {
            ds.Post();
        } catch (const EAbort&) {
            aborted = true;
        } catch (const EDatabaseError&) {
            dbError = true;
        }
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(dbError, c.raisesDatabaseError);
        EXPECT_EQ(aborted, c.raisesAbort);
        EXPECT_EQ(ds.Cell(0, 1).AsString() == "x", c.posted);
        EXPECT_EQ(ds.State(), c.posted ? dsBrowse : dsEdit) << "a failed post stays in edit mode";
    }
}

TEST_F(Editing, AppendRecordAndInsertRecordPostInOneStep)
{
    ds.AppendRecord({Variant(7), Variant("seven")});
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.Cell(3, 1).AsString(), "seven");
    EXPECT_EQ(CurrentId(ds), 7);
    ds.First();
    ds.InsertRecord({Variant(0)});
    EXPECT_EQ(ds.Cell(0, 0).AsInteger(), 0);
    EXPECT_TRUE(ds.Cell(0, 1).IsNull());
    EXPECT_EQ(ds.HookLog().back(), "InternalAddRecord insert");
}

TEST(EditingReadOnly, RefusedWithTheClassLibrarysMessage)
{
    MemDataSet ds;
    FillPeople(ds, 1);
    ds.SetReadOnly(true);
    ds.Open();
    for (auto op : {&TDataSet::Edit, &TDataSet::Insert, &TDataSet::Append}) {
        try {
            (ds.*op)();
            FAIL();
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), "Cannot modify a read-only dataset");
        }
        EXPECT_EQ(ds.State(), dsBrowse);
    }
}

// Calculated fields and old values: the temporary states.
class CalcFields : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ds.AddColumn("qty", ftInteger);
        ds.AddColumn("price", ftFloat);
        ds.AddRow({Variant(2), Variant(1.5)});
        ds.AddRow({Variant(3), Variant(2.0)});
        ds.AddField(std::make_unique<TField>("qty", ftInteger));
        ds.AddField(std::make_unique<TField>("price", ftFloat));
        ds.AddField(std::make_unique<TField>("total", ftFloat, 0, fkCalculated));
        ds.AddField(std::make_unique<TField>("label", ftString, 8, fkCalculated));
        ds.SetOnCalcFields([this](TDataSet* d) {
            states.push_back(d->State());
            d->FieldByName("total")->SetAsFloat(d->FieldByName("qty")->AsInteger() *
                                                d->FieldByName("price")->AsFloat());
            d->FieldByName("label")->SetAsString("q" + d->FieldByName("qty")->AsString());
        });
    }
    MemDataSet ds;
    std::vector<TDataSetState> states;
};

TEST_F(CalcFields, LaidOutAfterTheDataAndComputedForEveryRecord)
{
    ds.Open();
    EXPECT_EQ(ds.CalcFieldsSize(), (8 + 1) + (9 + 1));
    EXPECT_EQ(ds.FieldByName("total")->Offset(), 0);
    EXPECT_EQ(ds.FieldByName("label")->Offset(), 9);
    EXPECT_EQ(ds.FieldByName("total")->FieldNo(), -1);
    EXPECT_DOUBLE_EQ(ds.FieldByName("total")->AsFloat(), 3.0);
    EXPECT_EQ(ds.FieldByName("label")->AsString(), "q2");
    ds.Next();
    EXPECT_DOUBLE_EQ(ds.FieldByName("total")->AsFloat(), 6.0);
    for (TDataSetState s : states)
        EXPECT_EQ(s, dsCalcFields);
    EXPECT_THROW(ds.FieldByName("total")->SetAsFloat(1), EDatabaseError) << "not outside a write state";
}

TEST_F(CalcFields, ChangingADataFieldRecalculatesAndOnlyCalculatedFieldsAreWritable)
{
    ds.SetOnCalcFields([](TDataSet* d) {
        d->FieldByName("total")->SetAsFloat(d->FieldByName("qty")->AsInteger() * 10.0);
        EXPECT_THROW(d->FieldByName("qty")->SetAsInteger(1), EDatabaseError);
    });
    ds.Open();
    ds.Edit();
    ds.FieldByName("qty")->SetAsInteger(5);
    EXPECT_DOUBLE_EQ(ds.FieldByName("total")->AsFloat(), 50.0);
    EXPECT_EQ(ds.State(), dsEdit) << "the temporary state is restored";
    EXPECT_TRUE(ds.Modified()) << "recalculating keeps the record modified";
    ds.SetAutoCalcFields(false);
    ds.FieldByName("qty")->SetAsInteger(6);
    EXPECT_DOUBLE_EQ(ds.FieldByName("total")->AsFloat(), 50.0) << "no recalculation without AutoCalcFields";
}

TEST_F(CalcFields, OldValueShowsTheRecordBeforeTheEdit)
{
    ds.Open();
    ds.Edit();
    ds.FieldByName("qty")->SetAsInteger(9);
    EXPECT_EQ(ds.FieldByName("qty")->OldValue().AsInteger(), 2);
    EXPECT_EQ(ds.FieldByName("qty")->AsInteger(), 9);
    EXPECT_EQ(ds.State(), dsEdit);
    ds.Post();
    ds.Edit();
    EXPECT_EQ(ds.FieldByName("qty")->OldValue().AsInteger(), 9);
}

TEST_F(CalcFields, FilterSeesEachRecordInTheFilterState)
{
    ds.Open();
    std::vector<TDataSetState> seen;
    ds.SetOnFilterRecord([&](TDataSet* d, bool& accept) {
        seen.push_back(d->State());
        accept = d->FieldByName("qty")->AsInteger() == 3;
    });
    ds.SetFiltered(true);
    EXPECT_EQ(ds.FieldByName("qty")->AsInteger(), 3);
    ASSERT_FALSE(seen.empty());
    for (TDataSetState s : seen)
        EXPECT_EQ(s, dsFilter);
    EXPECT_EQ(ds.State(), dsBrowse);
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecordCount(), 1);
}

TEST(NewValue, WritesAndReadsTheActiveRecordInTheNewValueState)
{
    MemDataSet ds;
    FillPeople(ds, 1);
    ds.Open();
    ds.Edit();
    ds.FieldByName("name")->SetNewValue(Variant("nv"));
    EXPECT_EQ(ds.FieldByName("name")->NewValue().AsString(), "nv");
    EXPECT_EQ(ds.FieldByName("name")->AsString(), "nv");
    EXPECT_EQ(ds.State(), dsEdit);
}

TEST(FilterErrors, GoToTheApplicationsHandlerAndKeepTheAnswerSoFar)
{
    std::vector<std::string> shown;
    auto previous = SetHandleExceptionHook([&](TComponent* sender, const std::exception& e) {
        shown.push_back((sender != nullptr ? sender->Name() : std::string("?")) + ": " + e.what());
    });
    MemDataSet ds;
    ds.SetName("People");
    FillPeople(ds, 3);
    ds.SetOnFilterRecord([](TDataSet* d, bool& accept) {
        const int id = d->FieldByName("id")->AsInteger();
        accept = id != 1;
        if (id == 2)
            throw EDatabaseError("bad row");
    });
    ds.SetFiltered(true);
    ds.Open();
    SetHandleExceptionHook(std::move(previous));
    EXPECT_EQ(CurrentId(ds), 2) << "the row counts as the handler had decided before it failed";
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], "People: bad row");
}
