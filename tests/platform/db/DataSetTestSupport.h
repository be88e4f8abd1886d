#pragma once
// Shared set-up for the dataset model tests: a small people table in the in-memory dataset, an
// event recorder, and a data link that records what it is told.
#include "fakes/MemDataSet.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSet.h"
#include "platform/db/Field.h"

#include <string>
#include <utility>
#include <vector>

// id Integer, name String(10); rows id = 1..count, name = "n<id>".
inline void FillPeople(MemDataSet& ds, int count)
{
    ds.AddColumn("id", ftInteger);
    ds.AddColumn("name", ftString, 10);
    for (int i = 1; i <= count; ++i)
        ds.AddRow({Variant(i), Variant("n" + std::to_string(i))});
}

inline int CurrentId(TDataSet& ds)
{
    return ds.FieldByName("id")->AsInteger();
}

// Every dataset event, in order, by name.
struct EventLog
{
    std::vector<std::string> events;

    void Attach(TDataSet& ds)
    {
        auto rec = [this](const char* name) {
            return [this, name](TDataSet*) { events.emplace_back(name); };
        };
        ds.SetBeforeOpen(rec("BeforeOpen"));
        ds.SetAfterOpen(rec("AfterOpen"));
        ds.SetBeforeClose(rec("BeforeClose"));
        ds.SetAfterClose(rec("AfterClose"));
        ds.SetBeforeInsert(rec("BeforeInsert"));
        ds.SetAfterInsert(rec("AfterInsert"));
        ds.SetBeforeEdit(rec("BeforeEdit"));
        ds.SetAfterEdit(rec("AfterEdit"));
        ds.SetBeforePost(rec("BeforePost"));
        ds.SetAfterPost(rec("AfterPost"));
        ds.SetBeforeCancel(rec("BeforeCancel"));
        ds.SetAfterCancel(rec("AfterCancel"));
        ds.SetBeforeDelete(rec("BeforeDelete"));
        ds.SetAfterDelete(rec("AfterDelete"));
        ds.SetBeforeScroll(rec("BeforeScroll"));
        ds.SetAfterScroll(rec("AfterScroll"));
        ds.SetOnNewRecord(rec("OnNewRecord"));
    }
    std::vector<std::string> Take() { return std::exchange(events, {}); }
};

// A link that records its notifications as text: "active 1", "changed", "scrolled -1",
// "record <field or *>", "editing 1", "update", "check".
class RecordingLink : public TDataLink
{
public:
    std::vector<std::string> log;
    std::vector<std::string> Take() { return std::exchange(log, {}); }
    using TDataLink::ActiveRecord;

protected:
    void ActiveChanged() override { log.push_back(std::string("active ") + (Active() ? "1" : "0")); }
    void DataSetChanged() override { log.emplace_back("changed"); }
    void DataSetScrolled(int distance) override { log.push_back("scrolled " + std::to_string(distance)); }
    void RecordChanged(TField* field) override
    {
        log.push_back("record " + (field != nullptr ? field->FieldName() : std::string("*")));
    }
    void EditingChanged() override { log.push_back(std::string("editing ") + (Editing() ? "1" : "0")); }
    void UpdateData() override { log.emplace_back("update"); }
    void CheckBrowseMode() override { log.emplace_back("check"); }
};
