#pragma once
// TOEUpdateSQL: an update object holding three SQL texts, one per kind of change (ModifySQL,
// InsertSQL, DeleteSQL). A kind whose text has a line is written by running that text through a
// query of its own on the dataset's connection, its parameters filled from the row being written
// ("OLD_" + a field name: the value before the change; a field name: the current value). A kind with
// no text is left to the dataset's generated statement.
#include "odbc/datasets/updates/OEQueryUpdateObject.h"
#include "platform/core/StringList.h"

#include <array>

class TOEUpdateSQL : public TOEQueryUpdateObject
{
public:
    explicit TOEUpdateSQL(TComponent* owner = nullptr);

    // True when that kind's text has at least one line.
    bool GetImplemented(TUpdateKind kind) override;

    TStringList& SQL(TUpdateKind kind) { return GetSQLIndex(kind); }
    void SetSQL(TUpdateKind kind, const TStringList& lines) { SetSQLIndex(kind, lines); }
    TStringList& GetSQLIndex(int index);
    void SetSQLIndex(int index, const TStringList& lines);
    TStringList& ModifySQL() { return GetSQLIndex(ukModify); }
    TStringList& InsertSQL() { return GetSQLIndex(ukInsert); }
    TStringList& DeleteSQL() { return GetSQLIndex(ukDelete); }
    // That kind's query, made on first use from its text, on the dataset's connection.
    TCustomOEQuery& GetQuery(TUpdateKind kind) override;
    // Prepares and executes that kind's query. A statement that touches no row raises: the row it
    // was written for is not there as it was read (changed or deleted by another user).
    void ExecSQL(TUpdateKind kind) override;

    void DefineProperties(TFiler& filer) override;
    std::string ClassName() const override { return "TOEUpdateSQL"; }

private:
    // A text changed: a query made from it takes the new text, and its parameters from it.
    void SQLChanged(int index);

    std::array<TStringList, 3> sql_;
};
