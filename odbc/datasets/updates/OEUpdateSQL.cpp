// TOEUpdateSQL: a dataset's rows written through three SQL texts of the user's own.
#include "odbc/datasets/updates/OEUpdateSQL.h"

#include "odbc/base/OcihError.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/datasets/updates/UpdateParams.h"
#include "platform/core/Filer.h"

TOEUpdateSQL::TOEUpdateSQL(TComponent* owner) : TOEUpdateObject(owner)
{
    for (int index = 0; index < static_cast<int>(sql_.size()); ++index)
        sql_[static_cast<std::size_t>(index)].SetOnChange([this, index] { SQLChanged(index); });
}

TOEUpdateSQL::~TOEUpdateSQL()
{
    if (dataSet_ != nullptr && dataSet_->UpdateObject() == this)
        dataSet_->SetUpdateObject(nullptr);
    for (auto& query : queries_)
        query.reset();
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
        query = std::make_unique<TCustomOEQuery>(this);
        query->SetUniDirectional(true);
        query->SetSQL(sql_[kind]);
    }
    if (dataSet_ != nullptr && dataSet_->hDbc() != query->hDbc())
        query->SetHdbc(dataSet_->hDbc());
    return *query;
}

void TOEUpdateSQL::SQLChanged(int index)
{
    std::unique_ptr<TCustomOEQuery>& query = queries_.at(static_cast<std::size_t>(index));
    if (!query)
        return;
    query->Params().Clear();
    query->SetSQL(sql_[static_cast<std::size_t>(index)]);
}

void TOEUpdateSQL::SetParams(TUpdateKind kind)
{
    if (dataSet_ == nullptr)
        return;
    TCustomOEQuery& query = GetQuery(kind);
    FillUpdateParams(*dataSet_, query.Params());
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

void TOEUpdateSQL::Apply(TUpdateKind kind)
{
    SetParams(kind);
    ExecSQL(kind);
}

void TOEUpdateSQL::Notification(TComponent* component, TOperation operation)
{
    TOEUpdateObject::Notification(component, operation);
    if (operation == opRemove && component == dataSet_)
        dataSet_ = nullptr;
}

void TOEUpdateSQL::DefineProperties(TFiler& filer)
{
    TOEUpdateObject::DefineProperties(filer);
    const char* const names[] = {"ModifySQL", "InsertSQL", "DeleteSQL"};
    for (int index = 0; index < 3; ++index)
        DefineLinesProperty(filer, names[index], sql_[static_cast<std::size_t>(index)],
                            [this, index](const TStringList& lines) { SetSQLIndex(index, lines); });
}
