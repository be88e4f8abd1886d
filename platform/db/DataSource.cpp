#include "platform/db/DataSource.h"

#include "platform/db/DataLink.h"
#include "platform/db/DataSet.h"
#include "platform/db/DatabaseError.h"

#include <algorithm>

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource()
{
    // Links are other objects, alive and whole: telling them is no virtual call on this one.
    while (!links_.empty())
        links_.back()->SetDataSource(nullptr);
    if (dataSet_ != nullptr)
        dataSet_->RemoveDataSource(this);
    dataSet_ = nullptr;
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == dataSet_)
        return;
    if (dataSet != nullptr && IsLinkedTo(dataSet))
        DatabaseError("Circular datalinks are not allowed", this);
    if (dataSet_ != nullptr)
        dataSet_->RemoveDataSource(this);
    dataSet_ = dataSet;
    if (dataSet_ != nullptr)
        dataSet_->AddDataSource(this);
    UpdateState();
}

bool TDataSource::IsLinkedTo(const TDataSet* dataSet) const
{
    for (TDataLink* link : links_) {
        auto* detail = dynamic_cast<TDetailDataLink*>(link);
        if (detail == nullptr)
            continue;
        TDataSet* detailSet = detail->GetDetailDataSet();
        if (detailSet == nullptr)
            continue;
        if (detailSet == dataSet)
            return true;
        for (TDataSource* source : detailSet->dataSources_)
            if (source != this && source->IsLinkedTo(dataSet))
                return true;
    }
    return false;
}

void TDataSource::Edit()
{
    if (autoEdit_ && state_ == dsBrowse && dataSet_ != nullptr)
        dataSet_->Edit();
}

void TDataSource::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && dataSet_ != nullptr && component == dataSet_)
        SetDataSet(nullptr);
}

void TDataSource::UpdateState()
{
    const TDataSetState state = dataSet_ != nullptr ? dataSet_->State() : dsInactive;
    if (state == state_)
        return;
    state_ = state;
    NotifyLinks(deUpdateState, nullptr, 0);
    if (onStateChange_)
        onStateChange_(this);
}

void TDataSource::DataEvent(TDataEvent event, TField* field, int info)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (event == deDisabledStateChange) {
        // Controls are disabled: the state is taken silently, the links only learn whether data
        // is there.
        state_ = dataSet_ != nullptr ? dataSet_->State() : dsInactive;
        NotifyLinks(event, field, info);
        return;
    }
    if (state_ == dsInactive)
        return;
    NotifyLinks(event, field, info);
    switch (event) {
    case deFieldChange:
        if (onDataChange_)
            onDataChange_(this, field);
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (onDataChange_)
            onDataChange_(this, nullptr);
        break;
    case deUpdateRecord:
        if (onUpdateData_)
            onUpdateData_(this);
        break;
    default:
        break;
    }
}

void TDataSource::NotifyLinks(TDataEvent event, TField* field, int info)
{
    // A link may leave (or another join) while it is told.
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end())
            link->DataEvent(event, field, info);
}

void TDataSource::AddLink(TDataLink* link)
{
    links_.push_back(link);
    if (dataSet_ != nullptr)
        dataSet_->UpdateBufferCount();
}

void TDataSource::RemoveLink(TDataLink* link)
{
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
    if (dataSet_ != nullptr)
        dataSet_->UpdateBufferCount();
}
