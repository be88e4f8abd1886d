// TOEQueryUpdateObject: an update object's queries, its dataset and the link between the two.
#include "odbc/datasets/updates/OEQueryUpdateObject.h"

#include "odbc/datasets/OEQuery.h"
#include "odbc/datasets/updates/UpdateParams.h"

TOEQueryUpdateObject::~TOEQueryUpdateObject()
{
    if (dataSet_ != nullptr && dataSet_->UpdateObject() == this)
        dataSet_->SetUpdateObject(nullptr);
}

std::unique_ptr<TCustomOEQuery> TOEQueryUpdateObject::NewQuery()
{
    auto query = std::make_unique<TCustomOEQuery>(this);
    query->SetUniDirectional(true);
    return query;
}

TCustomOEQuery& TOEQueryUpdateObject::OnDataSetConnection(TCustomOEQuery& query) const
{
    if (dataSet_ != nullptr && dataSet_->hDbc() != query.hDbc())
        query.SetHdbc(dataSet_->hDbc());
    return query;
}

void TOEQueryUpdateObject::SetParams(TUpdateKind kind)
{
    if (dataSet_ == nullptr)
        return;
    FillUpdateParams(*dataSet_, GetQuery(kind).Params());
}

void TOEQueryUpdateObject::Apply(TUpdateKind kind)
{
    SetParams(kind);
    ExecSQL(kind);
}

void TOEQueryUpdateObject::Notification(TComponent* component, TOperation operation)
{
    TOEUpdateObject::Notification(component, operation);
    if (operation == opRemove && component == dataSet_)
        dataSet_ = nullptr;
}
