// TOEUpdateProc: a dataset's rows written through stored procedures.
#include "odbc/datasets/updates/OEUpdateProc.h"

#include "odbc/datasets/OEParams.h"
#include "odbc/datasets/OEQuery.h"
#include "platform/core/Filer.h"

TOEUpdateProc::TOEUpdateProc(TComponent* owner) : TOEQueryUpdateObject(owner)
{
    for (auto& query : queries_)
        query = NewQuery();
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
    // Parameters made from the catalog need the connection.
    TCustomOEQuery& query = OnDataSetConnection(*queries_.at(static_cast<std::size_t>(index)));
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
    return OnDataSetConnection(*queries_.at(kind));
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

void TOEUpdateProc::DefineProperties(TFiler& filer)
{
    TOEQueryUpdateObject::DefineProperties(filer);
    const char* const procs[] = {"ModifyProc", "InsertProc", "DeleteProc"};
    const char* const params[] = {"ModifyParams", "InsertParams", "DeleteParams"};
    for (int index = 0; index < 3; ++index)
        DefineTextProperty(filer, procs[index], GetProcIndex(index),
                           [this, index](const std::string& name) { SetProcIndex(index, name); });
    // Each kind's parameters as a collection of their own, after the procedures: the parameters
    // stored are those that stand, whatever naming the procedure made of them.
    for (int index = 0; index < 3; ++index) {
        auto& kindParams = static_cast<TOEParams&>(queries_[static_cast<std::size_t>(index)]->Params());
        kindParams.DefineParamsProperty(filer, params[index]);
    }
}
