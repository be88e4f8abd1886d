#pragma once
// TCustomOEDataSet: the dataset over one THstmt. It builds its statement text from Table, StoredProc
// or SQL, executes it when opened, describes the result columns as field definitions, and serves rows
// to the dataset model straight from the ODBC cursor or from a client-side row cache (Cached). It
// offers bookmarks, Locate, Lookup, FindRecord, filtering through OnFilterRecord, a master dataset
// whose fields fill its parameters, and the next result set of a statement.
//
// The implementation is spread by concern:
//   CustomOEDataSet.cpp        construction, properties, statement text, opening and closing
//   OEDataSetRecords.cpp       the record layout and moving values between statement and records
//   OEDataSetCursor.cpp        fetching, the row cache, GetRecord, bookmarks, moves and counting
//   OEDataSetSearch.cpp        filter, Locate, Lookup, FindRecord
//   OEDataSetParams.cpp        the parameters (of the text, of a stored procedure, from a master),
//                              their buffers and binding (OEParams.h), output values read back
//   OEDataSetEditing.cpp       posting, inserting, deleting and refreshing rows, old values, the
//                              statement's confirmations and the update object
//   OEDataSetCachedUpdates.cpp changes kept in the cache until ApplyUpdates, CancelUpdates or
//                              RevertRecord
//   OEDataSetStreaming.cpp     the properties TOEDataSet and TOEQuery stream alike
//
// Record buffer, one block laid out at open (RecordBufferSize bytes plus the bookmark block):
//   slot of column 1 .. slot of column N   each ending in its presence byte (see below)
//   record info (RecInfoOffset)            bookmark reference (pointer-sized), bookmark flag (1),
//                                          update status (1), cache index (4, signed, -1 unset)
//   calculated fields (CalcFieldsOffset)   each at its field offset: DataSize bytes, presence byte
//   bookmark block (RecordBufferSize)      BookmarkSize bytes
// The bookmark reference points at the block when the record has a bookmark and is null when it has
// none (a cursor without bookmarks, or a row the driver could not mark); a record without a bookmark
// is never stored, looked up or compared by its bookmark. Such a record keeps in its block where the
// cursor stood when it was read instead (a numbering of the rows the dataset keeps while it fetches),
// so that the cursor can be moved back to it by a relative fetch.
//
// Slot sizes (data and a presence byte: 0 null, 1 present, 2 not read yet):
//   blob column (the statement fetches it whole)   9: a pointer to the record's memory stream
//   ftString                                       the text inline (with a row cache up to the
//                                                  column's characters in bytes, without one all of
//                                                  it) and a zero, or the number (4) of the
//                                                  dataset's overflow copy of a longer text
//   ftSmallint, ftWord, ftBoolean                  3
//   ftInteger                                      5
//   ftLargeint (SQL_BIGINT)                        9: all 64 bits
//   ftFloat, ftCurrency, ftDate, ftTime, ftDateTime 9
//   ftBytes                                        precision + 5: the bytes, their length (4)
//   ftBlob, ftMemo not fetched whole               257
//   any other type                                 1: never read, never written back
// The layout differs from the class library's where it holds pointers (a blob slot of 9 bytes
// instead of 5, record info of 14 bytes instead of 10), where BIGINT keeps 64 bits instead of 32,
// where ftBytes keeps its length, so that binary values with zero bytes in them are written back
// whole, and where text is kept inline only up to the column's width in characters: a field's size
// counts UTF-8 bytes (up to four per character), and a slot that wide for every record would make a
// row cache of mostly ASCII text four times larger than its rows (without a cache the dataset holds
// only a few records, whose slots take the whole text). Overflow copies never change once made (a new
// value gets a new copy), so records are copied byte for byte, and they all go when the dataset
// closes.
#include "odbc/base/OcihError.h"
#include "odbc/datasets/RecordPool.h"
#include "odbc/handles/Values.h"
#include "platform/core/StringList.h"
#include "platform/core/Variant.h"
#include "platform/db/DataSet.h"
#include "platform/db/Params.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class EODBC;
class TCustomOEDataSet;
class TDataSetHstmt;
class TMemoryStream;
class TOEBlobStream;
class TOEDataLink;
class TOEParams;
class THdbc;
class THstmt;
class TOEUpdateObject;

// Before a row is written back: apply false leaves it unwritten (and counts it as written).
using TOEUpdateRecordEvent = std::function<void(TCustomOEDataSet* dataSet, TUpdateKind kind, bool& apply)>;
// A cached row whose write failed: raise false counts it as written and goes on with the next. Every
// failure of a write comes here: a driver's error, and the library's own (a row changed or deleted by
// another user, "Row not found: ..."), which comes as an EODBC with one record and no SQLSTATE. A
// failure raised by OnUpdateRecord does not.
using TOEUpdateErrorEvent =
    std::function<void(TCustomOEDataSet* dataSet, EODBC& e, TUpdateKind kind, bool& raise)>;

enum TOEDataSetState : std::uint8_t
{
    dsNotExtended,
    dsLocate,
    dsCachedUpdates
};

enum TOELocateOption : std::uint8_t
{
    loPrefix,
    loSubString
};

class TCustomOEDataSet : public TDataSet
{
public:
    // The statement is made by CreateHstmt; the first THdbc among owner's components becomes its
    // connection.
    explicit TCustomOEDataSet(TComponent* owner = nullptr);
    // A dataset class that needs its own statement class passes it here (the class library's
    // CreateHstmt, which C++ cannot dispatch from a constructor).
    TCustomOEDataSet(TComponent* owner, std::unique_ptr<THstmt> statement);
    // Closes with errors suppressed.
    ~TCustomOEDataSet() override;

    // ---- Properties
    THdbc* hDbc() const;
    // Closes first.
    void SetHdbc(THdbc* connection);
    TDataSetHstmt& hStmt() { return *hStmt_; }
    THstmt& Hstmt() { return *statement_; }
    const std::string& SQL() const { return sql_; }
    // Each closes first, hands the text to the statement and unprepares. SQL empties Table and
    // StoredProc; Table empties StoredProc; StoredProc empties Table.
    void SetSQL(const std::string& text);
    const std::string& Table() const { return table_; }
    void SetTable(const std::string& name);
    const std::string& StoredProc() const { return storedProc_; }
    void SetStoredProc(const std::string& name);
    // Raises RIDIZOrurori "Circular Reference to DataSource" for a source that leads back here.
    void SetDataSource(TDataSource* source);
    bool ParamCheck() const { return paramCheck_; }
    void SetParamCheck(bool value) { paramCheck_ = value; }
    bool Editable() const { return editable_; }
    void SetEditable(bool value);
    TOELocateOption LocateOption() const { return locateOption_; }
    void SetLocateOption(TOELocateOption value) { locateOption_ = value; }
    bool LocateInsert() const { return locateInsert_; }
    void SetLocateInsert(bool value) { locateInsert_ = value; }
    bool Cached() const { return cached_; }
    // Closes first. A cached dataset reads its rows through a forward-only cursor into its cache.
    void SetCached(bool value);
    bool CachedUpdates() const { return cachedUpdates_; }
    void SetCachedUpdates(bool value);
    bool AllFetched() const { return allFetched_; }
    TOEDataSetState ExtendedState() const { return extendedState_; }

    // ---- Statement
    bool Prepared() const { return prepared_; }
    void SetPrepared(bool value);
    // Builds the statement text and prepares it; raises RIDIZOrurori "SQL-, Table- or
    // StoredProc-Property must be set." when there is none.
    void Prepare();
    void UnPrepare();
    // Binds the parameters, executes and reads output parameters back.
    void ExecSQL();
    void AbortQuery();
    // Reads the whole result into the cache.
    void FetchAll();
    // Moves to the statement's next result set, without executing again; false when there is none.
    bool NextResultSet();
    void RefreshResults();
    // Reopens with the master's current values (when the master is open). While cached updates wait,
    // the dataset stays as it is (its changes belong to its records, and go only when it closes); it
    // reopens once ApplyUpdates or CancelUpdates leaves nothing waiting.
    void RefreshParams();
    // The statement is terminated, which closes the dataset and unprepares it (through the hook of
    // hStmt). Nothing while loading: no statement exists yet, and the streamed Active stays.
    void DesignClose();
    // Rows the last UPDATE, INSERT or DELETE touched, -1 when unknown.
    std::int32_t GetRowsAffected();

    // ---- Parameters
    TParams& Params();
    // Each parameter of value is given to this dataset's parameter of the same name, when it has one.
    void SetParams(const TParams& value);
    TParam* ParamByName(const std::string& name);
    int ParamCount();
    const TStringList& GetParamNames();

    // ---- Moves (true when the row asked for exists)
    bool MoveAbsolute(std::int32_t n);
    bool MoveRelative(std::int32_t n);

    // ---- Writing rows back
    // OnRefreshRecord's sender is the statement.
    using TNotifyEvent = std::function<void(TComponent* sender)>;
    TOEUpdateObject* UpdateObject() const { return updateObject_; }
    // Keeps the link symmetric: the previous object is detached, the new one leaves any other dataset.
    void SetUpdateObject(TOEUpdateObject* object);
    void SetOnUpdateRecord(TOEUpdateRecordEvent handler) { onUpdateRecord_ = std::move(handler); }
    void SetOnUpdateError(TOEUpdateErrorEvent handler) { onUpdateError_ = std::move(handler); }
    void SetOnRefreshRecord(TNotifyEvent handler) { onRefreshRecord_ = std::move(handler); }
    // With CachedUpdates: writes the modified, then the inserted, then the deleted records (those
    // whose status is in statuses). A write that fails and is raised stays pending, as do the
    // records after it. A key that was deleted and inserted again meets its old row in that order
    // (a unique violation); the deletions go first with ApplyUpdates(UpdateStatusBit(usDeleted)),
    // then ApplyUpdates().
    void ApplyUpdates(TUpdateStatusSet statuses = kAllUpdateStatuses);
    // With CachedUpdates: drops the pending changes (old values back, inserted records gone, deleted
    // records back at their places).
    void CancelUpdates(TUpdateStatusSet statuses = kAllUpdateStatuses);
    // With CachedUpdates: drops the current record's pending change.
    void RevertRecord();
    // Posts a pending edit, then ApplyUpdates.
    void FlushBuffers();
    // Without Cached: true from the first posted edit until the dataset closes.
    bool UpdatesPending() const { return !updateBuffers_.empty() || pendingInserts_ > 0 || editPosted_; }
    bool GetUpdatesPending() const { return UpdatesPending(); }
    TUpdateStatus UpdateStatus() override;
    static constexpr TUpdateStatusSet kAllUpdateStatuses =
        UpdateStatusBit(usModified) | UpdateStatusBit(usInserted) | UpdateStatusBit(usDeleted);

    // ---- Overrides of the dataset model
    bool Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options) override;
    Variant Lookup(const std::string& keyFields, const Variant& keyValues,
                   const std::string& resultFields) override;
    bool FindRecord(bool restart, bool goForward) override;
    void SetFiltered(bool value) override;
    void SetOnFilterRecord(TFilterRecordEvent handler) override;
    void SetBlockReadSize(int value) override;
    std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;
    bool GetCurrentRecord(TRecordBuffer buffer) override;
    void GetDetailLinkFields(std::vector<TField*>& masterFields, std::vector<TField*>& detailFields) override;
    bool IsSequenced() override { return false; }
    bool GetFieldData(TField* field, void* buffer) override;
    void SetFieldData(TField* field, const void* buffer) override;
    bool GetFieldText(TField* field, std::string& text) override;
    bool BookmarkValid(const void* bookmark) override { return bookmark != nullptr; }
    int CompareBookmarks(const void* a, const void* b) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;

    // ---- Record layout (known while open)
    TFieldType FieldType(int col) const;
    int FieldSize(int col) const;
    int FieldOffset(int col) const;
    int RecordBufferSize() const { return recordBufferSize_; }
    int RecInfoOffset() const { return recInfoOffset_; }
    int CalcFieldsOffset() const { return calcFieldsOffset_; }

protected:
    // ---- Record buffers
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    void ClearCalcFields(TRecordBuffer buffer) override;
    int GetRecordSize() override { return recInfoOffset_; }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
    bool HasBookmark(TRecordBuffer buffer) override;
    void GetBookmarkData(TRecordBuffer buffer, void* data) override;
    void SetBookmarkData(TRecordBuffer buffer, const void* data) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;

    // ---- Cursor
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() override { return cursorOpen_; }
    void InternalInitFieldDefs() override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalGotoBookmark(const void* bookmark) override;
    void InternalSetToRecord(TRecordBuffer buffer) override;

    // ---- Writing rows back (immediately through the statement, or into the cache)
    void InternalPost() override;
    void InternalAddRecord(TRecordBuffer buffer, bool append) override;
    void InternalDelete() override;
    void InternalRefresh() override;
    void InternalCancel() override;
    // The old values: the record before an edit or a delete.
    void DoBeforeEdit() override;
    void DoBeforeDelete() override;
    void DoAfterPost() override;
    void DoAfterCancel() override;
    void DoAfterDelete() override;
    // The statement's confirmations of its generated INSERT, UPDATE, DELETE and refresh (bound at
    // construction); true lets the statement go on. OnUpdateRecord decides first, then an update
    // object that handles the kind writes the row itself.
    virtual bool DoInsert(TComponent* sender, const std::string& defaultMsg);
    virtual bool DoUpdate(TComponent* sender, const std::string& defaultMsg);
    virtual bool DoDelete(TComponent* sender, const std::string& defaultMsg);
    virtual bool DoRefresh(TComponent* sender, const std::string& defaultMsg);
    virtual void DoUpdateRecord(TUpdateKind kind, bool& apply);
    virtual void DoUpdateError(EODBC& e, TUpdateKind kind, bool& raise);
    // Immediately (not CachedUpdates): buffer is written through the statement. With CachedUpdates
    // buffer is not used: the cache's records of that kind are written (apply) or their changes
    // dropped.
    void UpdateRecords(TRecordBuffer buffer, bool apply);
    void InsertRecords(TRecordBuffer buffer, bool apply);
    void DeleteRecords(TRecordBuffer buffer, bool apply);
    // Reads buffer's row again through the statement.
    void RefreshRecords(TRecordBuffer buffer);
    // The statement's OnRowCount (with the row-count method rcCustom): the cache's row count after
    // fetching everything; -1 when not Cached.
    virtual std::int32_t DoRowCount(TComponent* sender);

    // ---- Properties the model asks for
    bool GetCanModify() override { return editable_; }
    TDataSource* GetDataSource() const override;
    int GetRecordCount() override;
    int GetRecNo() override;
    void SetRecNo(int value) override;

    // ---- For the editing, query and parameter work
    // The record the fields read and write, by the extended state and the dataset's state; null in
    // browse mode on an empty dataset.
    TRecordBuffer GetActiveBuffer();
    // Copies the columns (and, withInfo, the bookmark and its flag) and the calculated fields.
    void CopyBuffer(TRecordBuffer source, TRecordBuffer dest, bool withInfo);
    // Moves result column col of rowset row row into the record / the record's column into row 1.
    void ToField(int col, std::uint64_t row, TRecordBuffer buffer);
    // Every column of rowset row row into the record, through the cells TakeCells found.
    void ReadRow(std::uint64_t row, TRecordBuffer buffer);
    // Where the statement's cells are now; taken after each fetch (a fetch may widen a cell).
    void TakeCells();
    void FromField(int col, TRecordBuffer buffer);
    std::uint8_t& UpdateStatusOf(TRecordBuffer buffer);
    std::int32_t CacheIndexOf(TRecordBuffer buffer) const;
    void SetCacheIndex(TRecordBuffer buffer, std::int32_t index);
    // The record's bookmark bytes, empty when it has none.
    TBookmark BookmarkOf(TRecordBuffer buffer);
    // A record buffer for the cache: bookmark flag 0, the next bookmark number, status 0, index -1.
    TRecordBuffer AllocCacheBuffer();
    TRecordBuffer GetCacheBuffer();
    // The update buffer whose bookmark equals bookmark (made and appended when create is set).
    TRecordBuffer FindUpdateBuffer(const TBookmark& bookmark, bool create);
    bool RecordDeleted(const TBookmark& bookmark, bool valid);
    TRecordBuffer RecordUpdated(const TBookmark& bookmark);
    void UnBind() { paramsBound_ = false; }
    void CreateParams();
    void BindParams();
    void ReadOEParams();
    // The parameters of the statement text's markers, described by the driver where it can.
    void CreateSQLParams();
    // The parameters of StoredProc, from the catalog.
    void CreateProcParams();
    // The driver's description of marker (the statement's own guess on a driver without
    // SQLDescribeParam); a failure gives the defaults and stops describing for the rest of the rebuild.
    void DescribeOneParam(std::uint16_t marker, std::int16_t& sqlType, SqlULen& size, std::int16_t& scale,
                          std::int16_t& nullable, bool& describing);

    // A component named in a stream, found among the owner's components when loading ends.
    void SetStreamedHdbc(const std::string& name) { streamedHdbc_ = name; }
    void SetStreamedDataSource(const std::string& name) { streamedDataSource_ = name; }
    // "UpdateObject": the object's name, found among the owner's components when loading ends.
    void DefineUpdateObjectProperty(TFiler& filer);
    // The streamed properties TOEDataSet and TOEQuery share: hDbc and hStmt, which come first, and
    // those after each one's statement text (DataSource to CachedUpdates, UpdateObject among them,
    // then the dataset model's).
    void DefineStatementProperties(TFiler& filer);
    void DefineDataSetProperties(TFiler& filer);

    std::vector<TRecordBuffer>& CacheBuffers() { return cacheBuffers_; }
    std::vector<TRecordBuffer>& UpdateBuffers() { return updateBuffers_; }
    std::vector<TBookmark>& DeletedBookmarks() { return deletedBookmarks_; }
    std::int32_t CachePosition() const { return cachePosition_; }
    void SetCachePosition(std::int32_t position) { cachePosition_ = position; }
    std::int32_t ApplyIndex() const { return applyIndex_; }
    void SetApplyIndex(std::int32_t index) { applyIndex_ = index; }
    void SetExtendedState(TOEDataSetState state) { extendedState_ = state; }
    TRecordBuffer OldValueBuffer() const { return oldValueBuffer_; }
    std::int32_t PendingInserts() const { return pendingInserts_; }
    void SetPendingInserts(std::int32_t count) { pendingInserts_ = count; }

private:
    friend class TDataSetHstmt;
    friend class TOEBlobStream;
    friend class TOEDataLink;

    struct Column
    {
        TFieldType type = ftUnknown;
        bool blob = false;      // fetched whole by the statement: the slot holds a memory stream
        std::int16_t cType = 0; // the statement's C type of the column
        int precision = 0;      // bytes of a value: the statement's text or binary cell, else column size
        int inlineText = 0;     // ftString: bytes kept in the slot itself
        int offset = 0;         // of the slot
        int size = 1;           // of the slot, its presence byte included
        bool formatted = false; // the statement formats the column's text (FormatStyle)
    };
    // Bookmark reference (pointer), bookmark flag, update status, cache index.
    static constexpr int kRecInfoSize = 14;
    enum class Fetch
    {
        Next,
        First,
        Last,
        Prior,
        Absolute,
        Relative,
        Bookmark
    };

    void Construct(std::unique_ptr<THstmt> statement);
    void DescribeColumns();
    void FreeSingleBuffers();
    // A zero-filled record from the pool with an empty stream in each blob slot.
    TRecordBuffer NewRecord();
    // The blob streams of a record that goes (before its memory goes back to the pool).
    void ReleaseRecord(TRecordBuffer buffer);
    // Frees every record of buffers and empties it.
    void FreeRecordBuffers(std::vector<TRecordBuffer>& buffers);
    void FreeCache();
    void SetParamsFromCursor();
    // RefreshParams, when it was held back by waiting changes and nothing waits any more.
    void CatchUpWithMaster();
    void FillParamsFromMaster(TDataSet& master);
    TDataSet* MasterDataSet() const;

    // The fetch primitives, through the statement or the cache; true when a row is current after.
    bool FetchRow(Fetch kind, std::int32_t n = 0, const void* bookmark = nullptr);
    bool FetchCache(Fetch kind, std::int32_t n, const void* bookmark);
    void FillCache(std::int32_t want);
    void GotoCachePosition(std::int32_t n);
    // The current row's bookmark: the cache record's number, or the statement's bookmark.
    TBookmark AllocBookmark();
    // Fills buffer with the current row (cache record, update buffer or cursor row 1).
    void LoadRecord(TRecordBuffer buffer, const TBookmark& bookmark);
    bool FilterAccepted(const TBookmark& bookmark);
    // The rows from the first again after the filter changed, read anew unless CachedUpdates.
    void ShowFilteredAgain();
    bool LocateRecord(const std::string& keyFields, const Variant& keyValues, TLocateOptions options);
    bool KeyMatches(TField& field, const Variant& value, TLocateOptions options);
    // Shows the found record in buffer as the current one (through its bookmark when it has one).
    void GotoFound(TRecordBuffer buffer, bool scrollEvents);
    void MoveTo(Fetch kind, std::int32_t n, bool& ok);
    // The cursor position of fetches without bookmarks (see cursorRun_).
    void TrackCursor(Fetch kind, std::int32_t n, bool ok);
    void StorePosition(TRecordBuffer buffer) const;
    bool AtPosition(TRecordBuffer buffer) const;
    void MoveCursorTo(TRecordBuffer buffer);

    // Slot access.
    std::uint8_t& Presence(TRecordBuffer buffer, const Column& c) const;
    TMemoryStream* BlobStream(TRecordBuffer buffer, const Column& c) const;
    void SetBookmarkRef(TRecordBuffer buffer, bool present);
    // Reads the record's deferred blob on its row; raises when the cursor cannot come back to it (a
    // cached dataset), the value staying not read.
    void LoadDeferredBlob(TRecordBuffer buffer, int col);
    // The text of an ftString slot / storing one (cut at the column's byte size, on a character).
    std::string_view TextValue(TRecordBuffer buffer, const Column& c) const;
    void StoreTextValue(TRecordBuffer buffer, const Column& c, const char* text, std::size_t length);
    // Blob streams handed out hold the dataset and their record; they are told when the record goes.
    void AttachBlobStream(TOEBlobStream* stream);
    void DetachBlobStream(TOEBlobStream* stream);
    void DetachBlobStreams(TRecordBuffer record);
    TMemoryStream* BlobStreamOf(TRecordBuffer record, TField* field);
    void SetBlobPresent(TRecordBuffer record, TField* field);
    // Frees the parameters' buffers and definitions (the parameters stay).
    void FreeParamBuffers();

    // ---- Writing rows back (OEDataSetEditing.cpp, OEDataSetCachedUpdates.cpp)
    // Puts values into row 1 of the statement, marks the row with flag, pushes the target and runs
    // write. old, when given, goes in first as the row the database holds, so that an UPDATE or
    // DELETE is keyed on the key values the row has there, not on whatever row 1 held before.
    void WriteRecord(TRecordBuffer values, TRecordBuffer old, std::uint16_t flag, void (THstmt::*write)());
    // OnUpdateRecord, then the update object; true lets the statement write the row.
    bool ConfirmWrite(TUpdateKind kind);
    // An immediate write of record: on failure, and after an insert, the statement's row 1 holds
    // values that are not the row the cursor stands on; it is read again (by bookmark), or what it
    // held before is put back.
    void WriteImmediately(TUpdateKind kind, TRecordBuffer record);
    // LocateInsert: the key columns and the new row's key values, found before the row is written.
    void PrepareLocateInsert();
    void StoreEdit(TRecordBuffer record);
    void StoreInsert(TRecordBuffer record);
    // A cached write inside the error guard: a failure of the write (an EODBC, or the library's own
    // RIDIZOrurori such as a row conflict) goes to OnUpdateError, and unless that clears raise it is
    // raised again with the record still pending.
    void GuardedWrite(TUpdateKind kind, TRecordBuffer values, TRecordBuffer old, std::uint16_t flag,
                      void (THstmt::*write)());
    // The cache without its record at index / with record at index; the cache position stays on its
    // record (or, when that goes, on the one after it, in range).
    void RemoveCacheRecord(std::int32_t index, bool inserted);
    void InsertCacheRecord(std::int32_t index, TRecordBuffer record);
    // A deleted record's place: its cache index, and the record that followed it (an inserted record
    // that goes again hands that on to the record after it). Where CancelUpdates puts it back.
    void KeepDeletedPlace(TRecordBuffer old, std::int32_t index);
    std::int32_t RestoredIndex(TRecordBuffer old);
    // The bookmark number of a cache record / of the one after index (0: none, all rows read).
    std::int32_t CacheNumberOf(TRecordBuffer record);
    std::int32_t FollowerOf(std::int32_t index);
    void FreeUpdateBuffer(TRecordBuffer buffer);
    // The cache position on the record with bookmark, else the nearest record there is.
    void KeepCachePosition(const TBookmark& bookmark);
    // The statement was terminated from outside the dataset (its connection was lost or dropped)
    // while cached updates wait: true keeps the dataset open on its cache, without a cursor.
    bool KeepOpenWithoutCursor();
    // Executes the statement again for the columns the cached records are written through.
    void ReviveCursor();

    std::unique_ptr<THstmt> statement_;
    std::unique_ptr<TDataSetHstmt> hStmt_;
    bool cursorOpen_ = false;
    std::string sql_;
    std::string table_;
    std::string storedProc_;
    std::unique_ptr<TOEDataLink> dataLink_;
    bool paramCheck_ = true;
    std::unique_ptr<TOEParams> params_;
    TStringList paramNameList_;
    bool prepared_ = false;
    bool editable_ = false;
    bool paramsChanged_ = false;
    bool paramsBound_ = false;
    // The statement text was read from a form resource: its parameters are made once loading ends.
    bool textRead_ = false;
    TOELocateOption locateOption_ = loPrefix;
    bool locateInsert_ = false;
    bool cached_ = false;
    bool allFetched_ = false;
    std::int32_t cachePosition_ = 0;
    std::int32_t bookmarkCounter_ = 0;
    bool cachedUpdates_ = false;
    std::int32_t pendingInserts_ = 0;
    bool findFiltering_ = false;
    TOEDataSetState extendedState_ = dsNotExtended;
    bool switchingResults_ = false;
    int recordBufferSize_ = 0;
    int calcFieldsOffset_ = 0;
    int recInfoOffset_ = 0;
    TRecordBuffer filterBuffer_ = nullptr;
    TRecordBuffer oldValueBuffer_ = nullptr;
    TRecordBuffer locateBuffer_ = nullptr;
    std::int32_t applyIndex_ = 0;
    std::vector<TRecordBuffer> updateBuffers_;
    std::vector<TRecordBuffer> cacheBuffers_;
    std::vector<TBookmark> deletedBookmarks_;
    std::string locateKeys_;
    Variant locateValues_ = Variant::Null();

    std::vector<Column> columns_;
    // Per column, where its rowset's cells and indicators are after the last fetch (null value for a
    // column ReadRow leaves to ToField).
    struct Cells
    {
        const std::uint8_t* value = nullptr;
        const SqlLen* ind = nullptr;
        SqlLen width = 0;
    };
    std::vector<Cells> cells_;
    bool hasBlobColumns_ = false;
    TRecordPool pool_;
    // Texts longer than their slot's inline part, by number - 1; kept until the dataset closes.
    std::vector<std::string> overflow_;
    // Where the cursor stands, for records without a bookmark: a numbering of rows (kFromStart counts
    // from the first row as 1, kFromEnd from the last row as kLastAnchor, 0 is unknown) and the row in
    // it (one before the first row, or one after the last, when a fetch ran off an end).
    std::uint32_t cursorRun_ = 0;
    std::int32_t cursorPos_ = 0;
    // While set, a record re-read without a bookmark is taken from here (the record a search found).
    TRecordBuffer foundBuffer_ = nullptr;
    std::vector<TOEBlobStream*> blobStreams_;
    // Component names read from a stream, resolved once loading ends.
    std::string streamedHdbc_;
    std::string streamedDataSource_;
    std::string streamedUpdateObject_;

    TOEUpdateObject* updateObject_ = nullptr;
    TOEUpdateRecordEvent onUpdateRecord_;
    TOEUpdateErrorEvent onUpdateError_;
    TNotifyEvent onRefreshRecord_;
    // During cached write-back: the record being written and its values from before the change
    // (none for an inserted record).
    TRecordBuffer applyRecord_ = nullptr;
    TRecordBuffer applyOldRecord_ = nullptr;
    class CachedWriteScope;
    // The write being guarded failed in OnUpdateRecord, not in writing the row.
    bool updateRecordFailed_ = false;
    // Each deleted record waiting in an update buffer, with the bookmark number of the cache record
    // that followed it (0: none).
    std::vector<std::pair<TRecordBuffer, std::int32_t>> deletedFollowers_;
    // Without Cached, an edit was posted since the dataset opened: a record without a bookmark keeps no
    // update buffer to say so.
    bool editPosted_ = false;
    // DesignClose is terminating the statement: the dataset closes whatever waits.
    bool designClosing_ = false;
    // A master's move was not followed while cached updates waited.
    bool behindMaster_ = false;
    // The statement went while cached updates waited; the next ApplyUpdates executes it again.
    bool cursorLost_ = false;
};
