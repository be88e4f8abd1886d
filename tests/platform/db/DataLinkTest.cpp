#include "DataSetTestSupport.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/FieldDataLink.h"

#include <gtest/gtest.h>

using Log = std::vector<std::string>;

class Links : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FillPeople(ds, 4);
        source.SetDataSet(&ds);
        link.SetDataSource(&source);
    }
    MemDataSet ds;
    TDataSource source;
    RecordingLink link;
};

TEST_F(Links, SeeOpenScrollChangeEditAndClose)
{
    ds.Open();
    EXPECT_EQ(link.Take(), (Log{"active 1"}));
    ds.Next();
    ds.Last();
    EXPECT_EQ(link.Take(), (Log{"check", "scrolled 1", "check", "changed"}))
        << "every move checks browse mode first; Next scrolls the one-record window, Last changes it";
    ds.Edit();
    ds.FieldByName("name")->SetAsString("x");
    ds.Post();
    EXPECT_EQ(link.Take(), (Log{"check", "editing 1", "record *", "record name", "update", "check",
                                "editing 0", "changed"}));
    ds.Close();
    EXPECT_EQ(link.Take(), (Log{"active 0"}));
    EXPECT_FALSE(link.Active());
}

TEST_F(Links, DataSourceFansOutStateAndDataEvents)
{
    std::vector<TDataSetState> states;
    int dataChanges = 0, fieldChanges = 0, updates = 0;
    source.SetOnStateChange([&](TComponent*) { states.push_back(source.State()); });
    source.SetOnDataChange([&](TDataSource*, TField* f) { (f ? fieldChanges : dataChanges)++; });
    source.SetOnUpdateData([&](TComponent*) { ++updates; });
    ds.Open();
    ds.Next();
    ds.Edit();
    ds.FieldByName("id")->SetAsInteger(5);
    ds.Post();
    ds.Close();
    EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse, dsEdit, dsBrowse, dsInactive}));
    EXPECT_EQ(fieldChanges, 1);
    EXPECT_EQ(dataChanges, 3) << "scroll, edit's record change, post's resync";
    EXPECT_EQ(updates, 1);
}

TEST_F(Links, DisableControlsDefersUntilEnabled)
{
    ds.Open();
    link.Take();
    ds.DisableControls();
    ds.DisableControls();
    ds.Next();
    ds.Edit();
    ds.FieldByName("name")->SetAsString("y");
    ds.Post();
    ds.Last();
    EXPECT_TRUE(link.Take().empty()) << "nothing reaches the links while disabled";
    ds.EnableControls();
    EXPECT_TRUE(link.Take().empty()) << "still disabled once";
    ds.EnableControls();
    EXPECT_EQ(link.Take(), (Log{"changed"})) << "one change for all of it";
}

TEST_F(Links, ReopeningWhileDisabledReachesTheLinksAsALayoutChange)
{
    TFieldDataLink nameLink;
    nameLink.SetFieldName("name");
    nameLink.SetDataSource(&source);
    ds.Open();
    TField* before = nameLink.Field();
    ASSERT_NE(before, nullptr);
    link.Take();
    ds.DisableControls();
    ds.Close();
    EXPECT_EQ(nameLink.Field(), nullptr) << "no link keeps a field of a closed set";
    ds.Open();
    ds.EnableControls();
    EXPECT_EQ(link.Take(), (Log{"active 0", "active 1", "changed"})) << "a layout change shows as a change";
    ASSERT_NE(nameLink.Field(), nullptr);
    EXPECT_EQ(nameLink.Field(), ds.FieldByName("name")) << "the field link found the new field";
}

TEST_F(Links, FieldDataLinkShowsEditsAndWritesBack)
{
    TFieldDataLink fl;
    std::string shown;
    std::string control = "typed";
    int editingChanges = 0;
    fl.SetOnDataChange([&](TFieldDataLink* l) { shown = l->Field() ? l->Field()->AsString() : "<none>"; });
    fl.SetOnUpdateData([&](TFieldDataLink* l) { l->Field()->SetAsString(control); });
    fl.SetOnEditingChange([&](TFieldDataLink*) { ++editingChanges; });
    fl.SetFieldName("name");
    fl.SetDataSource(&source);
    EXPECT_EQ(fl.Field(), nullptr);
    ds.Open();
    EXPECT_EQ(shown, "n1");
    ds.Next();
    EXPECT_EQ(shown, "n2");
    EXPECT_TRUE(fl.Edit());
    EXPECT_TRUE(fl.Editing());
    EXPECT_EQ(ds.State(), dsEdit);
    ds.Post();
    EXPECT_EQ(ds.Cell(1, 1).AsString(), "n2") << "not modified: nothing written";
    fl.Edit();
    fl.Modified();
    ds.Post();
    EXPECT_EQ(ds.Cell(1, 1).AsString(), "typed") << "modified: written when the record is posted";
    EXPECT_EQ(shown, "typed");
    fl.Edit();
    fl.Modified();
    shown.clear();
    fl.Reset();
    EXPECT_EQ(shown, "typed") << "reset shows the stored value";
    EXPECT_FALSE(fl.IsModified());
    EXPECT_GT(editingChanges, 0);
    ds.Cancel();

    fl.SetReadOnly(true);
    EXPECT_FALSE(fl.Edit());
    EXPECT_EQ(ds.State(), dsBrowse);
    fl.SetReadOnly(false);
    source.SetAutoEdit(false);
    EXPECT_FALSE(fl.Edit()) << "no AutoEdit: the source does not start editing";
}

TEST_F(Links, FieldDataLinkOnlyReactsToItsOwnField)
{
    TFieldDataLink fl;
    int changes = 0;
    fl.SetOnDataChange([&](TFieldDataLink*) { ++changes; });
    fl.SetFieldName("name");
    fl.SetDataSource(&source);
    ds.Open();
    changes = 0;
    ds.Edit();
    changes = 0;
    ds.FieldByName("id")->SetAsInteger(8);
    EXPECT_EQ(changes, 0);
    ds.FieldByName("name")->SetAsString("z");
    EXPECT_EQ(changes, 1);
    ds.Cancel();
}

TEST_F(Links, AWindowAsLargeAsTheLargestLink)
{
    ds.Open();
    RecordingLink grid;
    grid.SetBufferCount(3);
    grid.SetDataSource(&source);
    EXPECT_EQ(grid.RecordCount(), 3);
    grid.SetDataSource(nullptr);
    EXPECT_EQ(link.RecordCount(), 1);
    EXPECT_EQ(CurrentId(ds), 1);
    ds.Next();
    EXPECT_EQ(CurrentId(ds), 2);
}

TEST(DetailLink, DetailFollowsTheMasterAndCircularLinksAreRefused)
{
    MemDataSet master;
    FillPeople(master, 3);
    TDataSource masterSource;
    masterSource.SetDataSet(&master);

    MemDataSet detail;
    detail.AddColumn("person", ftInteger);
    detail.AddColumn("item", ftString, 5);
    detail.AddRow({Variant(1), Variant("a")});
    detail.AddRow({Variant(2), Variant("b")});
    detail.AddRow({Variant(2), Variant("c")});
    detail.SetMasterSource(&masterSource, "id", "person");
    EXPECT_EQ(detail.DataSource(), &masterSource);

    master.Open();
    detail.Open();
    auto items = [&] {
        std::string s;
        for (detail.First(); !detail.Eof(); detail.Next())
            s += detail.FieldByName("item")->AsString();
        return s;
    };
    EXPECT_EQ(items(), "a");
    master.Next();
    EXPECT_EQ(items(), "bc") << "a master scroll reopens the detail";
    master.Next();
    EXPECT_TRUE(detail.IsEmpty());

    EXPECT_TRUE(detail.IsLinkedTo(&masterSource) == false);
    TDataSource detailSource;
    detailSource.SetDataSet(&detail);
    EXPECT_TRUE(master.IsLinkedTo(&detailSource)) << "detail's chain leads back to the master";
    EXPECT_THROW(master.SetMasterSource(&detailSource, "id", "person"), EDatabaseError);
    try {
        masterSource.SetDataSet(&detail);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Circular datalinks are not allowed")
            << "the master's source would feed its own detail";
    }
    EXPECT_EQ(masterSource.DataSet(), &master);
}

TEST(LinkLifetime, ADatasetGoingFirstLeavesItsSourcesAndLinksEmpty)
{
    TDataSource source;
    TFieldDataLink fl;
    RecordingLink link;
    auto ds = std::make_unique<MemDataSet>();
    FillPeople(*ds, 2);
    source.SetDataSet(ds.get());
    fl.SetDataSource(&source);
    fl.SetFieldName("id");
    link.SetDataSource(&source);
    ds->Open();
    ASSERT_NE(fl.Field(), nullptr);
    link.Take();
    ds.reset(); // closes in its own destructor, then the base lets go of the source
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(source.State(), dsInactive);
    EXPECT_EQ(fl.Field(), nullptr);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.Take(), (Log{"active 0"}));
}

TEST(LinkLifetime, LinksAndSourcesGoingFirstAreForgotten)
{
    MemDataSet ds;
    FillPeople(ds, 5);
    ds.Open();
    {
        TDataSource source;
        source.SetDataSet(&ds);
        RecordingLink grid;
        grid.SetBufferCount(4);
        grid.SetDataSource(&source);
        EXPECT_EQ(grid.RecordCount(), 4);
    }
    ds.Next();
    EXPECT_EQ(CurrentId(ds), 2);
    ds.Close();
}
