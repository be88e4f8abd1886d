#pragma once
// A data source connects one dataset to any number of data links (controls, detail datasets) and
// passes the dataset's events on to them, with its own state and change events.
#include "platform/core/Component.h"
#include "platform/db/DBTypes.h"

#include <functional>
#include <vector>

class TDataLink;
class TDataSet;
class TDataSource;
class TField;

using TNotifyEvent = std::function<void(TComponent* sender)>;
using TDataChangeEvent = std::function<void(TDataSource* sender, TField* field)>;

class TDataSource : public TComponent
{
public:
    explicit TDataSource(TComponent* owner = nullptr);
    // Links let go of this source, the dataset forgets it.
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    // Raises EDatabaseError "Circular datalinks are not allowed" when dataSet is (through its
    // detail links) a detail of this source already.
    void SetDataSet(TDataSet* dataSet);
    // The dataset's state as this source last saw it (dsInactive with no dataset).
    TDataSetState State() const { return state_; }
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool value) { autoEdit_ = value; }
    // Puts the dataset into edit mode when AutoEdit is set and it is browsing.
    void Edit();
    // Whether dataSet is reached through the detail links of this source.
    bool IsLinkedTo(const TDataSet* dataSet) const;

    int LinkCount() const { return static_cast<int>(links_.size()); }

    void SetOnStateChange(TNotifyEvent h) { onStateChange_ = std::move(h); }
    // Field is null for a change of the whole record or set.
    void SetOnDataChange(TDataChangeEvent h) { onDataChange_ = std::move(h); }
    void SetOnUpdateData(TNotifyEvent h) { onUpdateData_ = std::move(h); }

    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;

    void DataEvent(TDataEvent event, TField* field, int info);
    void NotifyLinks(TDataEvent event, TField* field, int info);
    void UpdateState();
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);

    TDataSet* dataSet_ = nullptr;
    TDataSetState state_ = dsInactive;
    bool autoEdit_ = true;
    std::vector<TDataLink*> links_;
    TNotifyEvent onStateChange_;
    TDataChangeEvent onDataChange_;
    TNotifyEvent onUpdateData_;
};
