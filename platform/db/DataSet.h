#pragma once
// The dataset model: a cursor over records, seen through a window of record buffers, with fields,
// editing, bookmarks and notifications to data sources. A concrete dataset (the ODBC datasets, the
// tests' in-memory dataset) lays out its record buffers and implements the protected hooks; the
// model calls them at the class library's usual points and keeps the window, the state and the
// notifications.
//
// The window: BufferCount() buffers (the largest BufferCount of the active data links, at least
// 1) plus one spare, and a separate calculation buffer, all made by AllocRecordBuffer when the
// dataset opens and given back to FreeRecordBuffer before InternalClose. ActiveBuffer() is the
// record the fields show. The model tracks which window buffer the cursor stands on and, before
// relying on the cursor, moves it there by the buffer's bookmark flag: bfCurrent and bfInserted
// through InternalSetToRecord, bfBOF through InternalFirst, bfEOF through InternalLast.
//
// Opening never calls InternalFirst: after InternalOpen the window is filled with GetRecord(gmNext),
// so a forward-only cursor works as long as nothing moves backward.
//
// Streaming: DefineProperties declares Active, Filtered and AutoCalcFields. While the dataset is
// being loaded from a stream, Active is only remembered and the dataset opens in Loaded, once every
// property (including those of sub-objects and parameters, which may close or reconfigure it) has
// been read.
//
// C++ notes: the base constructor and destructor make no virtual calls. A concrete dataset's
// destructor calls Close() first, while its hooks still exist; the base destructor only lets go of
// its data sources and destroys the fields. Record buffers are plain bytes; slots inside them are
// read and written with memcpy.
#include "platform/core/Component.h"
#include "platform/core/Variant.h"
#include "platform/db/DBTypes.h"
#include "platform/db/FieldDefs.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class EDatabaseError;
class TDataSet;
class TDataSource;
class TField;
class TStream;

using TDataSetNotifyEvent = std::function<void(TDataSet* dataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* dataSet, EDatabaseError& e, TDataAction& action)>;
using TFilterRecordEvent = std::function<void(TDataSet* dataSet, bool& accept)>;

class TDataSet : public TComponent
{
public:
    explicit TDataSet(TComponent* owner = nullptr);
    ~TDataSet() override;

    // ---- Opening and state
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    bool Active() const { return state_ != dsInactive; }
    // While loading (csLoading), only remembered for Loaded.
    void SetActive(bool value);
    TDataSetState State() const { return state_; }
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return activeRecord_ >= recordCount_; }
    // A field of the record was changed in this edit.
    bool Modified() const { return modified_; }
    bool CanModify() { return GetCanModify(); }
    // "Cannot perform this operation on a closed dataset" / "... on an open dataset".
    void CheckActive() const;
    void CheckInactive() const;
    // Posts (when modified) or cancels a pending edit or insert; raises when closed.
    void CheckBrowseMode();

    // ---- Navigation
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to distance records; returns how far it went (negative backward). Never fetches
    // past EOF or BOF.
    int MoveBy(int distance);
    int RecordCount() { return GetRecordCount(); }
    int RecNo() { return GetRecNo(); }
    void RecNo(int value) { SetRecNo(value); }
    // Re-reads the window around the cursor's record. rmExact: the record must be found again
    // ("Record not found" otherwise); without it the current, next or prior record is taken and
    // the window is emptied when none is left. rmCenter puts the record in the middle.
    void Resync(TResyncMode mode);
    // The cursor's position is unknown: the next positioning goes through the hooks again.
    void CursorPosChanged() { currentRecord_ = -1; }
    // Puts the cursor on the active record.
    void UpdateCursorPos();

    // ---- Bookmarks
    bool BookmarkAvailable() const;
    // BookmarkSize bytes of the active record, or empty when it has none.
    TBookmark Bookmark() const;
    // Nothing for an empty bookmark.
    void GotoBookmark(const TBookmark& bookmark);
    void SetBookmark(const TBookmark& bookmark) { GotoBookmark(bookmark); }
    void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
    int BookmarkSize() const { return bookmarkSize_; }
    virtual bool BookmarkValid(const void* bookmark);
    // <0, 0, >0; both null is 0, exactly one null 1 (never called for absent bookmarks by the
    // model).
    virtual int CompareBookmarks(const void* a, const void* b);

    // ---- Editing
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    void Refresh();
    // Asks the data links to write their controls' values into the record.
    void UpdateRecord();
    // Adds a record in one step: values in field order (fewer values leave the rest as
    // InitRecord made them), posted through InternalAddRecord.
    void InsertRecord(const std::vector<Variant>& values) { AddRecord(values, false); }
    void AppendRecord(const std::vector<Variant>& values) { AddRecord(values, true); }

    // ---- Fields
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const;
    TField* FindField(const std::string& name) const;
    // Raises "Field 'X' not found".
    TField* FieldByName(const std::string& name) const;
    TField* FieldByNumber(int fieldNo) const;
    // A persistent field, owned by the dataset from now on (only while closed).
    TField* AddField(std::unique_ptr<TField> field);
    // The fields named in a ';'-separated list, in that order; raises for a missing name.
    std::vector<TField*> GetFieldList(const std::string& fieldNames) const;
    // One name: that field's value; several (';'-separated): an array of their values.
    Variant FieldValues(const std::string& fieldNames) const;
    void SetFieldValues(const std::string& fieldNames, const Variant& values);
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    const TFieldDefs& FieldDefs() const { return fieldDefs_; }
    // The fields were made from the field definitions at this open (no persistent fields).
    bool DefaultFields() const { return defaultFields_; }
    // Bytes of the calculated-field area; known after BindFields.
    int CalcFieldsSize() const { return calcFieldsSize_; }

    // ---- Calculated fields
    bool AutoCalcFields() const { return autoCalcFields_; }
    void SetAutoCalcFields(bool value) { autoCalcFields_ = value; }
    // Clears the calculated fields of buffer and runs OnCalcFields on it; the caller has put the
    // dataset into dsCalcFields. While it runs, CalcBuffer() is buffer.
    void CalculateFields(TRecordBuffer buffer);
    // CalculateFields in a temporary dsCalcFields state, when the dataset has calculated fields.
    void GetCalcFields(TRecordBuffer buffer);
    // The buffer being calculated, or the dataset's own calculation buffer.
    TRecordBuffer CalcBuffer() const { return calcTarget_; }

    // ---- Controls and notifications
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ != 0; }
    // Tells the data sources (and their links) about event; deFieldChange also marks the record
    // modified, recalculates and runs the field's OnChange.
    virtual void DataEvent(TDataEvent event, TField* field, int info);
    void DataEvent(TDataEvent event, TField* field) { DataEvent(event, field, 0); }
    void DataEvent(TDataEvent event, int info = 0) { DataEvent(event, nullptr, info); }
    // Whether following source's chain of master datasets leads back to this dataset.
    bool IsLinkedTo(const TDataSource* source) const;
    TDataSource* DataSource() const { return GetDataSource(); }
    bool Found() const { return found_; }

    // ---- Search, filter and other overridable services
    virtual bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options);
    virtual Variant Lookup(const std::string& keyFields, const Variant& keyValues,
                           const std::string& resultFields);
    virtual bool FindRecord(bool restart, bool goForward);
    bool FindFirst() { return FindRecord(true, true); }
    bool FindLast() { return FindRecord(true, false); }
    bool FindNext() { return FindRecord(false, true); }
    bool FindPrior() { return FindRecord(false, false); }
    bool Filtered() const { return filtered_; }
    virtual void SetFiltered(bool value);
    const TFilterRecordEvent& OnFilterRecord() const { return onFilterRecord_; }
    virtual void SetOnFilterRecord(TFilterRecordEvent handler);
    int BlockReadSize() const { return blockReadSize_; }
    virtual void SetBlockReadSize(int value);
    virtual std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);
    virtual bool GetCurrentRecord(TRecordBuffer buffer);
    virtual void GetDetailLinkFields(std::vector<TField*>& masterFields, std::vector<TField*>& detailFields);
    virtual TUpdateStatus UpdateStatus();
    virtual bool IsSequenced();
    // Field data of the record the dataset's state selects. buffer may be null (ask for
    // presence only); false when the value is null.
    virtual bool GetFieldData(TField* field, void* buffer) = 0;
    virtual void SetFieldData(TField* field, const void* buffer) = 0;
    // The text of a string field as GetFieldData's native form holds it (the bytes before the first
    // zero, at most Size of them); false, and no text, when the value is null. A dataset that keeps
    // its text whole elsewhere gives it from there without the native form in between.
    virtual bool GetFieldText(TField* field, std::string& text);

    // ---- Events
    void SetBeforeOpen(TDataSetNotifyEvent h) { beforeOpen_ = std::move(h); }
    void SetAfterOpen(TDataSetNotifyEvent h) { afterOpen_ = std::move(h); }
    void SetBeforeClose(TDataSetNotifyEvent h) { beforeClose_ = std::move(h); }
    void SetAfterClose(TDataSetNotifyEvent h) { afterClose_ = std::move(h); }
    void SetBeforeInsert(TDataSetNotifyEvent h) { beforeInsert_ = std::move(h); }
    void SetAfterInsert(TDataSetNotifyEvent h) { afterInsert_ = std::move(h); }
    void SetBeforeEdit(TDataSetNotifyEvent h) { beforeEdit_ = std::move(h); }
    void SetAfterEdit(TDataSetNotifyEvent h) { afterEdit_ = std::move(h); }
    void SetBeforePost(TDataSetNotifyEvent h) { beforePost_ = std::move(h); }
    void SetAfterPost(TDataSetNotifyEvent h) { afterPost_ = std::move(h); }
    void SetBeforeCancel(TDataSetNotifyEvent h) { beforeCancel_ = std::move(h); }
    void SetAfterCancel(TDataSetNotifyEvent h) { afterCancel_ = std::move(h); }
    void SetBeforeDelete(TDataSetNotifyEvent h) { beforeDelete_ = std::move(h); }
    void SetAfterDelete(TDataSetNotifyEvent h) { afterDelete_ = std::move(h); }
    void SetBeforeScroll(TDataSetNotifyEvent h) { beforeScroll_ = std::move(h); }
    void SetAfterScroll(TDataSetNotifyEvent h) { afterScroll_ = std::move(h); }
    void SetOnCalcFields(TDataSetNotifyEvent h) { onCalcFields_ = std::move(h); }
    void SetOnNewRecord(TDataSetNotifyEvent h) { onNewRecord_ = std::move(h); }
    void SetOnEditError(TDataSetErrorEvent h) { onEditError_ = std::move(h); }
    void SetOnPostError(TDataSetErrorEvent h) { onPostError_ = std::move(h); }
    void SetOnDeleteError(TDataSetErrorEvent h) { onDeleteError_ = std::move(h); }

    // ---- Streaming
    void DefineProperties(TFiler& filer) override;
    // Opens the dataset when the stream said Active. A failure is raised, or, while designing,
    // shown through InternalHandleException.
    void Loaded() override;

    // ---- Temporary states: a read or write in another state (dsCalcFields, dsFilter, dsOldValue,
    // dsNewValue) with notifications held back. SetTempState returns the state to restore.
    TDataSetState SetTempState(TDataSetState state);
    void RestoreState(TDataSetState saved);

protected:
    // ---- Record buffers (the concrete dataset's layout)
    virtual TRecordBuffer AllocRecordBuffer() = 0;
    // Frees buffer and sets it to nullptr; nothing for nullptr.
    virtual void FreeRecordBuffer(TRecordBuffer& buffer) = 0;
    virtual void InternalInitRecord(TRecordBuffer buffer) = 0;
    virtual void ClearCalcFields(TRecordBuffer buffer);
    virtual int GetRecordSize() = 0;
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) = 0;
    // Whether buffer holds a bookmark at all: a cursor without bookmarks, or a row the driver could
    // not mark, leaves its records without one, and such a record gives an empty Bookmark().
    virtual bool HasBookmark(TRecordBuffer buffer)
    {
        (void)buffer;
        return true;
    }
    virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) = 0;
    // Copy BookmarkSize bytes out of / into the buffer's bookmark.
    virtual void GetBookmarkData(TRecordBuffer buffer, void* data) = 0;
    virtual void SetBookmarkData(TRecordBuffer buffer, const void* data) = 0;
    // Fills buffer with the current, next or prior record of the cursor.
    virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) = 0;

    // ---- Cursor
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual bool IsCursorOpen() = 0;
    virtual void InternalInitFieldDefs() = 0;
    // Before the first record / after the last one.
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    // bookmark is null for a record without one.
    virtual void InternalGotoBookmark(const void* bookmark) = 0;
    virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
    virtual void InternalRefresh();
    // Called inside a catch block for an exception that must not pass; the default shows it
    // through the application's HandleException.
    virtual void InternalHandleException();

    // ---- Writing
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalCancel() {}
    virtual void InternalPost() = 0;
    virtual void InternalAddRecord(TRecordBuffer buffer, bool append) = 0;
    virtual void InternalDelete() = 0;

    // ---- Properties a dataset answers
    virtual bool GetCanModify() { return true; }
    virtual TDataSource* GetDataSource() const { return nullptr; }
    virtual int GetRecordCount() { return -1; }
    virtual int GetRecNo() { return -1; }
    virtual void SetRecNo(int value) { (void)value; }

    // ---- Event steps (an override calls the base to run the user's handler)
    virtual void DoBeforeOpen();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoAfterClose();
    virtual void DoBeforeInsert();
    virtual void DoAfterInsert();
    virtual void DoBeforeEdit();
    virtual void DoAfterEdit();
    virtual void DoBeforePost();
    virtual void DoAfterPost();
    virtual void DoBeforeCancel();
    virtual void DoAfterCancel();
    virtual void DoBeforeDelete();
    virtual void DoAfterDelete();
    virtual void DoBeforeScroll();
    virtual void DoAfterScroll();
    virtual void DoOnCalcFields();
    virtual void DoOnNewRecord();

    // ---- Services for concrete datasets
    // InternalInitRecord, ClearCalcFields, bookmark flag bfInserted.
    virtual void InitRecord(TRecordBuffer buffer);
    void SetBookmarkSize(int size) { bookmarkSize_ = size; }
    TRecordBuffer ActiveBuffer() const;
    // Window buffer i (0 .. BufferCount(); the last is the spare).
    TRecordBuffer Buffers(int index) const { return buffers_[static_cast<size_t>(index)]; }
    int BufferCount() const { return bufferCount_; }
    // Records held in the window, the active one's index, the one the cursor is on (-1: unknown).
    int BufferRecordCount() const { return recordCount_; }
    int ActiveRecord() const { return activeRecord_; }
    int CurrentRecord() const { return currentRecord_; }
    void SetState(TDataSetState state);
    void SetModified(bool value) { modified_ = value; }
    void SetFound(bool value) { found_ = value; }
    // "Cannot modify a read-only dataset" unless CanModify.
    void CheckCanModify();
    // Makes a field for every definition whose type is known.
    void CreateFields();
    // Binding: every data field takes its FieldNo from the definition of its name (raising when
    // none matches or the type differs); calculated and lookup fields get their offsets in the
    // calculated-field area and CalcFieldsSize is summed. Unbinding resets both.
    void BindFields(bool binding);
    void DestroyFields();
    // The window buffers (re)made for count records; used when data links ask for more.
    void SetBufferCount(int count);
    void UpdateBufferCount();
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    void ClearBuffers();

private:
    friend class TDataSource;
    friend class TDataLink;

    void OpenCursor();
    void CloseCursor();
    void FreeWindow();
    void SetCurrentRecord(int index);
    // GetRecord(buffer, mode, doCheck) == grOK; an exception leaves the cursor's position unknown.
    bool FetchInto(TRecordBuffer buffer, TGetMode mode, bool doCheck = true);
    void MoveBuffer(int curIndex, int newIndex);
    void ActivateBuffers();
    void SetBufListSize(int size);
    void CheckOperation(void (TDataSet::*operation)(), const TDataSetErrorEvent& errorEvent);
    void BeginInsertAppend();
    void EndInsertAppend();
    void AddRecord(const std::vector<Variant>& values, bool append);
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);
    void FireEvent(const TDataSetNotifyEvent& handler)
    {
        if (handler)
            handler(this);
    }
    void CallInternalEdit() { InternalEdit(); }
    void CallInternalPost() { InternalPost(); }
    void CallInternalDelete() { InternalDelete(); }

    TDataSetState state_ = dsInactive;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    bool found_ = false;
    bool defaultFields_ = false;
    bool autoCalcFields_ = true;
    bool filtered_ = false;
    bool streamedActive_ = false;
    int blockReadSize_ = 0;
    int bookmarkSize_ = 0;
    int calcFieldsSize_ = 0;

    std::vector<TRecordBuffer> buffers_;
    int bufferCount_ = 0;
    int recordCount_ = 0;
    int activeRecord_ = 0;
    int currentRecord_ = -1;
    TRecordBuffer calcBuffer_ = nullptr;
    TRecordBuffer calcTarget_ = nullptr;

    int disableCount_ = 0;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;

    std::vector<std::unique_ptr<TField>> fields_;
    TFieldDefs fieldDefs_;
    std::vector<TDataSource*> dataSources_;

    TDataSetNotifyEvent beforeOpen_, afterOpen_, beforeClose_, afterClose_, beforeInsert_, afterInsert_,
        beforeEdit_, afterEdit_, beforePost_, afterPost_, beforeCancel_, afterCancel_, beforeDelete_,
        afterDelete_, beforeScroll_, afterScroll_, onCalcFields_, onNewRecord_;
    TDataSetErrorEvent onEditError_, onPostError_, onDeleteError_;
    TFilterRecordEvent onFilterRecord_;
};
