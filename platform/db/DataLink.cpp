#include "platform/db/DataLink.h"

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"

#include <algorithm>

TDataLink::~TDataLink()
{
    // No notification: the derived part is gone already.
    if (dataSource_ != nullptr)
        dataSource_->RemoveLink(this);
    dataSource_ = nullptr;
}

void TDataLink::SetDataSource(TDataSource* source)
{
    if (source == dataSource_)
        return;
    if (dataSource_ != nullptr)
        dataSource_->RemoveLink(this);
    dataSource_ = source;
    if (dataSource_ != nullptr)
        dataSource_->AddLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const
{
    return dataSource_ != nullptr ? dataSource_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool value)
{
    if (readOnly_ == value)
        return;
    readOnly_ = value;
    UpdateState();
}

void TDataLink::SetBufferCount(int value)
{
    value = std::max(value, 1);
    if (bufferCount_ == value)
        return;
    bufferCount_ = value;
    if (TDataSet* dataSet = DataSet()) {
        dataSet->UpdateBufferCount();
        if (active_)
            UpdateRange();
    }
}

int TDataLink::ActiveRecord() const
{
    TDataSet* dataSet = DataSet();
    if (dataSet == nullptr || dataSource_->State() == dsSetKey)
        return 0;
    return dataSet->ActiveRecord() - firstRecord_;
}

int TDataLink::RecordCount() const
{
    TDataSet* dataSet = DataSet();
    if (dataSet == nullptr || !active_)
        return 0;
    if (dataSource_->State() == dsSetKey)
        return 1;
    return std::clamp(dataSet->BufferRecordCount() - firstRecord_, 0, bufferCount_);
}

bool TDataLink::Edit()
{
    if (!readOnly_ && dataSource_ != nullptr)
        dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord()
{
    updating_ = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{updating_};
    UpdateData();
}

void TDataLink::UpdateState()
{
    const TDataSetState state = dataSource_ != nullptr ? dataSource_->State() : dsInactive;
    SetActive(state != dsInactive);
    SetEditing((state == dsEdit || state == dsInsert || state == dsSetKey) && !readOnly_);
}

void TDataLink::SetActive(bool value)
{
    if (active_ == value)
        return;
    active_ = value;
    if (value)
        UpdateRange();
    else
        firstRecord_ = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool value)
{
    if (editing_ == value)
        return;
    editing_ = value;
    EditingChanged();
}

// Keeps the dataset's active record inside the records this link shows.
void TDataLink::UpdateRange()
{
    TDataSet* dataSet = DataSet();
    if (dataSet == nullptr)
        return;
    const int active = dataSet->ActiveRecord();
    const int lo = std::max(active - bufferCount_ + 1, 0);
    const int hi = std::min(std::max(dataSet->BufferCount() - bufferCount_, 0), active);
    firstRecord_ = std::clamp(firstRecord_, lo, std::max(lo, hi));
}

void TDataLink::DataEvent(TDataEvent event, TField* field, int info)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (event == deDisabledStateChange) {
        SetActive(info != 0);
        if (info == 0)
            SetEditing(false);
        return;
    }
    if (!active_)
        return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_)
            RecordChanged(field);
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        int count = 0;
        if (dataSource_->State() != dsSetKey) {
            const int active = DataSet()->ActiveRecord();
            const int first = firstRecord_ + (event == deDataSetScroll ? info : 0);
            const int last = first + bufferCount_ - 1;
            if (active > last)
                count = active - last;
            else if (active < first)
                count = active - first;
            firstRecord_ = first + count;
        }
        if (event == deDataSetChange)
            DataSetChanged();
        else if (event == deDataSetScroll)
            DataSetScrolled(count);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    default:
        break;
    }
}
