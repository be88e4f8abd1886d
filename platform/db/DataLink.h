#pragma once
// A data link: the client end of a data source. A control or a detail dataset derives from it and
// overrides the notifications it cares about. A link with a BufferCount above 1 shows that many
// records of the dataset's window (ActiveRecord is its own index of the active one).
#include "platform/db/DBTypes.h"

class TDataSet;
class TDataSource;
class TField;

class TDataLink
{
public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    // Leaves its data source (no notification reaches the derived part any more).
    virtual ~TDataLink();

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    // The source has an open dataset.
    bool Active() const { return active_; }
    // The dataset is in edit or insert mode (and the link is not read-only).
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int value);
    int ActiveRecord() const;
    // Records this link shows (at most BufferCount).
    int RecordCount() const;
    // Asks the source to put the dataset into edit mode; true when it is editing afterwards.
    bool Edit();
    // UpdateData, with RecordChanged held back while it runs.
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // distance: how many buffers the window moved (negative forward).
    virtual void DataSetScrolled(int distance)
    {
        (void)distance;
        DataSetChanged();
    }
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    // field is null for a change of the whole record.
    virtual void RecordChanged(TField* field) { (void)field; }
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    friend class TDataSet;

    void DataEvent(TDataEvent event, TField* field, int info);
    void UpdateState();
    void SetActive(bool value);
    void SetEditing(bool value);
    void UpdateRange();

    TDataSource* dataSource_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
    int bufferCount_ = 1;
    int firstRecord_ = 0;
};

// The link through which a detail dataset follows its master; it names the detail dataset so that
// circular master-detail chains can be found.
class TDetailDataLink : public TDataLink
{
public:
    virtual TDataSet* GetDetailDataSet() { return nullptr; }
};
