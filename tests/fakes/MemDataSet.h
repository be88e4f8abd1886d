#pragma once
// An in-memory dataset for tests: rows in a vector, the dataset model's hooks implemented over them
// with a record layout like the ODBC datasets' (a slot per column ending in a presence byte, blob
// slots holding a reference to a memory stream the buffer owns, a record-info block, the
// calculated-field area). Options make it a cursor without bookmarks or a forward-only one, and a
// master source makes it a detail that shows the rows whose detail field equals the master's.
//
// Tests read what the model did through the counters and the hook log.
#include "platform/core/MemoryStream.h"
#include "platform/core/Variant.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSet.h"

#include <memory>
#include <string>
#include <vector>

class MemDataSet : public TDataSet
{
public:
    explicit MemDataSet(TComponent* owner = nullptr);
    ~MemDataSet() override;

    // Columns, while closed. size: text width or byte count.
    void AddColumn(const std::string& name, TFieldType type, int size = 0, bool required = false);
    // A row of column values in column order (while closed or open; an open set sees it on the
    // next fetch).
    void AddRow(const std::vector<Variant>& values);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // The stored value of a row's column, whatever the dataset shows.
    Variant Cell(int row, int column) const;

    // Options, while closed.
    void SetBookmarks(bool value) { bookmarks_ = value; }
    void SetForwardOnly(bool value) { forwardOnly_ = value; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    // The next InternalSetToRecord moves the cursor and then raises, as a driver can fail after
    // the move.
    void FailNextPositioning() { failPositioning_ = true; }
    // Rows shown are those whose detailField equals masterField of source's dataset.
    void SetMasterSource(TDataSource* source, const std::string& masterField, const std::string& detailField);

    // What the model did.
    int InternalFirstCalls() const { return internalFirstCalls_; }
    int LiveBuffers() const { return liveBuffers_; }
    int BuffersAtInternalClose() const { return buffersAtClose_; }
    std::vector<std::string>& HookLog() { return hookLog_; }

    std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;
    bool GetFieldData(TField* field, void* buffer) override;
    void SetFieldData(TField* field, const void* buffer) override;
    bool GetCurrentRecord(TRecordBuffer buffer) override;
    int CompareBookmarks(const void* a, const void* b) override;
    bool BookmarkValid(const void* bookmark) override;
    void SetFiltered(bool value) override;
    void SetOnFilterRecord(TFilterRecordEvent handler) override;

protected:
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    void ClearCalcFields(TRecordBuffer buffer) override;
    int GetRecordSize() override { return recInfoOffset_; }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
    void GetBookmarkData(TRecordBuffer buffer, void* data) override;
    void SetBookmarkData(TRecordBuffer buffer, const void* data) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() override { return cursorOpen_; }
    void InternalInitFieldDefs() override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalGotoBookmark(const void* bookmark) override;
    void InternalSetToRecord(TRecordBuffer buffer) override;
    void InternalPost() override;
    void InternalAddRecord(TRecordBuffer buffer, bool append) override;
    void InternalDelete() override;
    bool GetCanModify() override { return !readOnly_; }
    TDataSource* GetDataSource() const override;
    int GetRecordCount() override;
    int GetRecNo() override;
    void DoBeforeEdit() override;
    void DoBeforeDelete() override;

private:
    struct Column
    {
        std::string name;
        TFieldType type;
        int size;
        bool required;
        int offset;   // of the slot
        int slotSize; // data (or stream reference) and presence byte
    };
    struct Row
    {
        std::int32_t id;
        std::vector<Variant> values;
    };
    class MasterLink;
    class BlobStream;

    TRecordBuffer RecordBuffer() const;
    bool IsBlobColumn(const Column& c) const;
    TMemoryStream* Stream(TRecordBuffer buffer, const Column& c) const;
    std::int32_t RowId(TRecordBuffer buffer) const;
    void SetRowId(TRecordBuffer buffer, std::int32_t id) const;
    void LoadRow(TRecordBuffer buffer, const Row& row);
    void StoreRow(TRecordBuffer buffer, Row& row) const;
    void CopyBuffer(TRecordBuffer from, TRecordBuffer to) const;
    bool Visible(const Row& row);
    bool FilterAccepts(const Row& row);
    int IndexOfId(std::int32_t id) const;
    void MasterChanged();

    std::vector<Column> columns_;
    std::vector<Row> rows_;
    std::int32_t nextId_ = 1;
    int cursor_ = -1; // -1 before the first row, rows_.size() after the last
    bool cursorOpen_ = false;
    bool bookmarks_ = true;
    bool forwardOnly_ = false;
    bool readOnly_ = false;
    bool failPositioning_ = false;
    int recInfoOffset_ = 0;
    int calcOffset_ = 0;
    int bufferSize_ = 0;
    TRecordBuffer filterBuffer_ = nullptr;
    TRecordBuffer oldBuffer_ = nullptr;

    std::unique_ptr<MasterLink> masterLink_;
    std::string masterField_, detailField_;

    int internalFirstCalls_ = 0;
    int liveBuffers_ = 0;
    int buffersAtClose_ = -1;
    std::vector<std::string> hookLog_;
};
