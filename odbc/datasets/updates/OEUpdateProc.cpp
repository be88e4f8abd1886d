// TOEUpdateProc: a dataset's rows written through stored procedures.
#include "odbc/datasets/updates/OEUpdateProc.h"

#include "odbc/datasets/OEParams.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/datasets/updates/UpdateParams.h"
#include "platform/core/Filer.h"

TOEUpdateProc::TOEUpdateProc(TComponent* owner) : TOEUpdateObject(owner)
{
    for (auto& query : queries_) {
        query = std::make_unique<TCustomOEQuery>(this);
        query->SetUniDirectional(true);
    }
}

TOEUpdateProc::~TOEUpdateProc()
{
    if (dataSet_ != nullptr && dataSet_->UpdateObject() == this)
        dataSet_->SetUpdateObject(nullptr);
    for (auto& query : queries_)
        query.reset();
}

const std::string& TOEUpdateProc::GetProcIndex(int index) const
{
    return queries_.at(static_cast<std::size_t>(index))->StoredProc();
}

void TOEUpdateProc::SetProcIndex(int index, const std::string& name)
{
    queries_.at(static_cast<std::size_t>(index))->SetStoredProc(name);
}

TOEParams& TOEUpdateProc::GetParamsIndex(int index)
{
    TCustomOEQuery& query = *queries_.at(static_cast<std::size_t>(index));
    // Parameters made from the catalog need the connection.
    if (dataSet_ != nullptr && dataSet_->hDbc() != query.hDbc())
        query.SetHdbc(dataSet_->hDbc());
    return static_cast<TOEParams&>(query.Params());
}

void TOEUpdateProc::SetParamsIndex(int index, const TOEParams& params)
{
    GetParamsIndex(index).Assign(params);
}

bool TOEUpdateProc::GetImplemented(TUpdateKind kind)
{
    return !GetProcIndex(kind).empty();
}

TCustomOEQuery& TOEUpdateProc::GetQuery(TUpdateKind kind)
{
    TCustomOEQuery& query = *queries_.at(kind);
    if (dataSet_ != nullptr && dataSet_->hDbc() != query.hDbc())
        query.SetHdbc(dataSet_->hDbc());
    return query;
}

void TOEUpdateProc::SetParams(TUpdateKind kind)
{
    if (dataSet_ == nullptr)
        return;
    FillUpdateParams(*dataSet_, GetQuery(kind).Params());
}

void TOEUpdateProc::ExecSQL(TUpdateKind kind)
{
    TCustomOEQuery& query = GetQuery(kind);
    query.Prepare();
    query.ExecSQL();
    // The row counts as written only once the procedure has run to its end.
    while (query.NextResultSet()) {
    }
}

void TOEUpdateProc::Apply(TUpdateKind kind)
{
    SetParams(kind);
    ExecSQL(kind);
}

void TOEUpdateProc::Notification(TComponent* component, TOperation operation)
{
    TOEUpdateObject::Notification(component, operation);
    if (operation == opRemove && component == dataSet_)
        dataSet_ = nullptr;
}

void TOEUpdateProc::DefineProperties(TFiler& filer)
{
    TOEUpdateObject::DefineProperties(filer);
    const char* const procs[] = {"ModifyProc", "InsertProc", "DeleteProc"};
    const char* const params[] = {"ModifyParams", "InsertParams", "DeleteParams"};
    for (int index = 0; index < 3; ++index)
        DefineTextProperty(filer, procs[index], GetProcIndex(index),
                           [this, index](const std::string& name) { SetProcIndex(index, name); });
    for (int index = 0; index < 3; ++index)
        DefineSubProperties(filer, params[index], queries_[static_cast<std::size_t>(index)]->Params());
}
