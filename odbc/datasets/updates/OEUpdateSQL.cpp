// TOEUpdateSQL: a dataset's rows written through three SQL texts of the user's own.
#include "odbc/datasets/updates/OEUpdateSQL.h"

#include "odbc/base/OcihError.h"
#include "odbc/datasets/OEQuery.h"
#include "platform/core/Filer.h"

TOEUpdateSQL::TOEUpdateSQL(TComponent* owner) : TOEQueryUpdateObject(owner)
{
    for (int index = 0; index < static_cast<int>(sql_.size()); ++index)
        sql_[static_cast<std::size_t>(index)].SetOnChange([this, index] { SQLChanged(index); });
}

TStringList& TOEUpdateSQL::GetSQLIndex(int index)
{
    return sql_.at(static_cast<std::size_t>(index));
}

void TOEUpdateSQL::SetSQLIndex(int index, const TStringList& lines)
{
    GetSQLIndex(index).Assign(lines);
}

bool TOEUpdateSQL::GetImplemented(TUpdateKind kind)
{
    return GetSQLIndex(kind).Count() > 0;
}

TCustomOEQuery& TOEUpdateSQL::GetQuery(TUpdateKind kind)
{
    std::unique_ptr<TCustomOEQuery>& query = queries_.at(kind);
    if (!query) {
        query = NewQuery();
        query->SetSQL(sql_[kind]);
    }
    return OnDataSetConnection(*query);
}

void TOEUpdateSQL::SQLChanged(int index)
{
    std::unique_ptr<TCustomOEQuery>& query = queries_.at(static_cast<std::size_t>(index));
    if (!query)
        return;
    query->Params().Clear();
    query->SetSQL(sql_[static_cast<std::size_t>(index)]);
}

void TOEUpdateSQL::ExecSQL(TUpdateKind kind)
{
    TCustomOEQuery& query = GetQuery(kind);
    query.Prepare();
    query.ExecSQL();
    // Keyed on the values the row was read with, a statement that finds no row has written nothing;
    // taken for done, a cached change would be dropped unwritten.
    if (query.GetRowsAffected() == 0)
        throw RIDIZOrurori("Row not found: it was changed or deleted by another user.");
}

void TOEUpdateSQL::DefineProperties(TFiler& filer)
{
    TOEQueryUpdateObject::DefineProperties(filer);
    const char* const names[] = {"ModifySQL", "InsertSQL", "DeleteSQL"};
    for (int index = 0; index < 3; ++index)
        DefineLinesProperty(filer, names[index], sql_[static_cast<std::size_t>(index)],
                            [this, index](const TStringList& lines) { SetSQLIndex(index, lines); });
}
