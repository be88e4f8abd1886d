#pragma once
// TOEUpdateSQL: an update object holding three SQL texts, one per kind of change (ModifySQL,
// InsertSQL, DeleteSQL). A kind whose text has a line is written by running that text through a
// query of its own on the dataset's connection, its parameters filled from the row being written
// ("OLD_" + a field name: the value before the change; a field name: the current value). A kind with
// no text is left to the dataset's generated statement.
#include "odbc/datasets/OEUpdateObject.h"
#include "platform/core/StringList.h"

#include <array>
#include <memory>

class TCustomOEQuery;

class TOEUpdateSQL : public TOEUpdateObject
{
public:
    explicit TOEUpdateSQL(TComponent* owner = nullptr);
    // Detaches from the dataset that names it as its UpdateObject.
    ~TOEUpdateSQL() override;

    TCustomOEDataSet* GetDataSet() const override { return dataSet_; }
    void SetDataSet(TCustomOEDataSet* dataSet) override { dataSet_ = dataSet; }
    // True when that kind's text has at least one line.
    bool GetImplemented(TUpdateKind kind) override;
    // SetParams, then ExecSQL.
    void Apply(TUpdateKind kind) override;

    TStringList& SQL(TUpdateKind kind) { return GetSQLIndex(kind); }
    void SetSQL(TUpdateKind kind, const TStringList& lines) { SetSQLIndex(kind, lines); }
    TStringList& GetSQLIndex(int index);
    void SetSQLIndex(int index, const TStringList& lines);
    TStringList& ModifySQL() { return GetSQLIndex(ukModify); }
    TStringList& InsertSQL() { return GetSQLIndex(ukInsert); }
    TStringList& DeleteSQL() { return GetSQLIndex(ukDelete); }
    // That kind's query, made on first use from its text, on the dataset's connection.
    TCustomOEQuery& Query(TUpdateKind kind) { return GetQuery(kind); }
    TCustomOEQuery& GetQuery(TUpdateKind kind);
    // The query's parameters from the attached dataset's row being written; nothing without one.
    void SetParams(TUpdateKind kind);
    // Prepares and executes that kind's query. A statement that touches no row raises: the row it
    // was written for is not there as it was read (changed or deleted by another user).
    void ExecSQL(TUpdateKind kind);

    // Forgets the attached dataset when it goes.
    void Notification(TComponent* component, TOperation operation) override;
    void DefineProperties(TFiler& filer) override;
    std::string ClassName() const override { return "TOEUpdateSQL"; }

private:
    // A text changed: a query made from it takes the new text, and its parameters from it.
    void SQLChanged(int index);

    TCustomOEDataSet* dataSet_ = nullptr;
    std::array<std::unique_ptr<TCustomOEQuery>, 3> queries_;
    std::array<TStringList, 3> sql_;
};
