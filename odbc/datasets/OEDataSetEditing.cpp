// TCustomOEDataSet: posting, inserting, deleting and refreshing rows, the old values of a record, and
// the statement's confirmations through which OnUpdateRecord and the update object take part.
//
// A row goes to the database through the statement: the record is moved into row 1 of its column
// buffers and the statement's DoInsert, DoUpdate, DoDelete or DoRefresh runs, which asks back here
// (DoInsert ... DoRefresh below) before it writes through the cursor or its generated statements.
// Without CachedUpdates that happens at once, inside Post and Delete; with it the changes wait in the
// row cache (OEDataSetCachedUpdates.cpp).
#include "odbc/datasets/CustomOEDataSet.h"

#include "odbc/base/OcihText.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEUpdateObject.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/Filer.h"

namespace {

// A record for a moment, given back however the scope ends.
class ScratchRecord
{
public:
    ScratchRecord(TRecordBuffer buffer, std::function<void(TRecordBuffer&)> free)
        : buffer_(buffer), free_(std::move(free))
    {
    }
    ~ScratchRecord() { free_(buffer_); }
    ScratchRecord(const ScratchRecord&) = delete;
    ScratchRecord& operator=(const ScratchRecord&) = delete;
    TRecordBuffer Get() const { return buffer_; }

private:
    TRecordBuffer buffer_;
    std::function<void(TRecordBuffer&)> free_;
};

} // namespace

// ---- The update object

void TCustomOEDataSet::SetUpdateObject(TOEUpdateObject* object)
{
    if (object == updateObject_)
        return;
    if (updateObject_ != nullptr) {
        if (updateObject_->GetDataSet() == this)
            updateObject_->SetDataSet(nullptr);
        updateObject_->RemoveFreeNotification(this);
    }
    updateObject_ = object;
    if (object != nullptr) {
        TCustomOEDataSet* other = object->GetDataSet();
        if (other != nullptr && other != this)
            other->SetUpdateObject(nullptr);
        object->SetDataSet(this);
        // An object of another owner may go first: this dataset must not keep it.
        object->FreeNotification(this);
    }
}

void TCustomOEDataSet::DefineUpdateObjectProperty(TFiler& filer)
{
    TOEUpdateObject* object = updateObject_;
    filer.DefineProperty(
        "UpdateObject", [this](TReader& r) { streamedUpdateObject_ = r.ReadString(); },
        [object](TWriter& w) { w.WriteString(object->Name()); },
        object != nullptr && !object->Name().empty());
}

// ---- The statement's confirmations

bool TCustomOEDataSet::ConfirmWrite(TUpdateKind kind)
{
    bool apply = true;
    try {
        DoUpdateRecord(kind, apply);
    } catch (...) {
        updateRecordFailed_ = true;
        throw;
    }
    if (apply && updateObject_ != nullptr && updateObject_->GetImplemented(kind)) {
        updateObject_->Apply(kind);
        apply = false;
    }
    return apply;
}

bool TCustomOEDataSet::DoInsert(TComponent* sender, const std::string& defaultMsg)
{
    (void)sender;
    (void)defaultMsg;
    return ConfirmWrite(ukInsert);
}

bool TCustomOEDataSet::DoUpdate(TComponent* sender, const std::string& defaultMsg)
{
    (void)sender;
    (void)defaultMsg;
    return ConfirmWrite(ukModify);
}

bool TCustomOEDataSet::DoDelete(TComponent* sender, const std::string& defaultMsg)
{
    (void)sender;
    (void)defaultMsg;
    return ConfirmWrite(ukDelete);
}

bool TCustomOEDataSet::DoRefresh(TComponent* sender, const std::string& defaultMsg)
{
    (void)defaultMsg;
    if (onRefreshRecord_)
        onRefreshRecord_(sender);
    return true;
}

void TCustomOEDataSet::DoUpdateRecord(TUpdateKind kind, bool& apply)
{
    apply = true;
    if (onUpdateRecord_)
        onUpdateRecord_(this, kind, apply);
}

void TCustomOEDataSet::DoUpdateError(EODBC& e, TUpdateKind kind, bool& raise)
{
    raise = true;
    if (onUpdateError_)
        onUpdateError_(this, e, kind, raise);
}

// ---- Moving a record to the database

void TCustomOEDataSet::WriteRecord(TRecordBuffer values, TRecordBuffer old, std::uint16_t flag,
                                   void (THstmt::*write)())
{
    const int columns = static_cast<int>(columns_.size());
    if (old != nullptr) {
        for (int col = 1; col <= columns; ++col)
            FromField(col, old);
        statement_->KeepRowAsFetched(1);
    }
    if (values != old)
        for (int col = 1; col <= columns; ++col)
            FromField(col, values);
    statement_->SetRowFlag(1, flag);
    hStmt_->Target().SetProperties();
    (statement_.get()->*write)();
}

void TCustomOEDataSet::WriteImmediately(TUpdateKind kind, TRecordBuffer record)
{
    // What row 1 holds now is the row the cursor stands on. A record with a bookmark finds that row
    // again by it; for one without, row 1 is kept aside to be put back.
    std::unique_ptr<ScratchRecord> cursorRow;
    const bool refetch = !cached_ && HasBookmark(record);
    if (!cached_ && !refetch) {
        cursorRow = std::make_unique<ScratchRecord>(AllocRecordBuffer(),
                                                    [this](TRecordBuffer& b) { FreeRecordBuffer(b); });
        for (int col = 1; col <= static_cast<int>(columns_.size()); ++col)
            ToField(col, 1, cursorRow->Get());
    }
    const auto restoreCursorRow = [&] {
        if (cached_)
            return;
        if (refetch) {
            InternalSetToRecord(record);
        } else {
            for (int col = 1; col <= static_cast<int>(columns_.size()); ++col)
                FromField(col, cursorRow->Get());
            statement_->KeepRowAsFetched(1);
        }
        CursorPosChanged();
    };
    try {
        switch (kind) {
        case ukModify:
            UpdateRecords(record, true);
            break;
        case ukInsert:
            InsertRecords(record, true);
            break;
        case ukDelete:
            DeleteRecords(record, true);
            break;
        }
    } catch (...) {
        locateKeys_.clear();
        locateValues_ = Variant::Null();
        // The failure is what the caller must hear about, not a failure to read the row again.
        try {
            restoreCursorRow();
        } catch (...) {
        }
        throw;
    }
    // An insert wrote the new row from row 1, which the cursor's own row does not hold.
    if (kind == ukInsert)
        restoreCursorRow();
}

void TCustomOEDataSet::PrepareLocateInsert()
{
    locateKeys_.clear();
    locateValues_ = Variant::Null();
    if (cached_ || !locateInsert_)
        return;
    // Found before the row is written: a failure here must not leave a row in the table that a
    // second Post would insert again.
    std::string keys = hStmt_->Target().GetPrimaryCols();
    if (keys.empty()) {
        try {
            hStmt_->Target().SetProperties();
            statement_->DeterminePrimaryCols();
            keys = statement_->GetPrimaryColNames();
        } catch (const RIDIZOrurori&) {
            keys.clear();
        }
    }
    if (keys.empty())
        throw RIDIZOrurori("Cannot detect primary columns to locate inserted row.");
    keys.pop_back();
    locateValues_ = FieldValues(keys);
    locateKeys_ = keys;
}

// ---- Posting, deleting, refreshing

void TCustomOEDataSet::InternalPost()
{
    Log(2, "TCustomOEDataSet.InternalPost");
    const bool editing = State() == dsEdit;
    TRecordBuffer active = ActiveBuffer();
    if (editing)
        InternalSetToRecord(active);
    else
        PrepareLocateInsert();
    if (!cachedUpdates_)
        WriteImmediately(editing ? ukModify : ukInsert, active);
    if (editing)
        StoreEdit(active);
    else
        StoreInsert(active);
}

void TCustomOEDataSet::InternalAddRecord(TRecordBuffer buffer, bool append)
{
    Log(2, "TCustomOEDataSet.InternalAddRecord");
    // The cache position decides where a cached record goes.
    (void)append;
    PrepareLocateInsert();
    if (!cachedUpdates_)
        WriteImmediately(ukInsert, buffer);
    StoreInsert(buffer);
}

void TCustomOEDataSet::StoreEdit(TRecordBuffer record)
{
    if (cached_) {
        TRecordBuffer cacheRecord = GetCacheBuffer();
        if (cachedUpdates_ && UpdateStatusOf(cacheRecord) == usUnmodified) {
            // The values from before the first edit are the old values until the change is applied.
            CopyBuffer(cacheRecord, FindUpdateBuffer(BookmarkOf(cacheRecord), true), true);
            UpdateStatusOf(cacheRecord) = usModified;
        }
        CopyBuffer(record, cacheRecord, false);
    } else {
        editPosted_ = true;
        if (TRecordBuffer kept = FindUpdateBuffer(BookmarkOf(record), true))
            CopyBuffer(record, kept, true);
    }
}

void TCustomOEDataSet::StoreInsert(TRecordBuffer record)
{
    if (!cached_)
        return;
    TRecordBuffer cacheRecord = AllocCacheBuffer();
    const auto count = static_cast<std::int32_t>(cacheBuffers_.size());
    const std::int32_t index = cachePosition_ > 0 ? std::min(cachePosition_ - 1, count) : count;
    InsertCacheRecord(index, cacheRecord);
    if (cachedUpdates_) {
        UpdateStatusOf(cacheRecord) = usInserted;
        ++pendingInserts_;
    }
    CopyBuffer(record, cacheRecord, false);
    cachePosition_ = index + 1;
}

void TCustomOEDataSet::InternalDelete()
{
    Log(2, "TCustomOEDataSet.InternalDelete");
    TRecordBuffer active = ActiveBuffer();
    InternalSetToRecord(active);
    const TBookmark bookmark = cached_ ? TBookmark{} : BookmarkOf(active);
    if (!cachedUpdates_)
        WriteImmediately(ukDelete, active);
    if (!cached_) {
        if (!bookmark.empty())
            deletedBookmarks_.push_back(bookmark);
        return;
    }
    TRecordBuffer record = GetCacheBuffer();
    const std::int32_t index = cachePosition_ - 1;
    bool inserted = false;
    if (cachedUpdates_) {
        const std::uint8_t status = UpdateStatusOf(record);
        if (status == usInserted) {
            // Never written: deleting it leaves nothing to do.
            --pendingInserts_;
            inserted = true;
        } else {
            TRecordBuffer old = FindUpdateBuffer(BookmarkOf(record), true);
            if (status == usUnmodified)
                CopyBuffer(record, old, true);
            UpdateStatusOf(old) = usDeleted;
            KeepDeletedPlace(old, index);
        }
    }
    RemoveCacheRecord(index, inserted);
}

void TCustomOEDataSet::InternalRefresh()
{
    Log(2, "TCustomOEDataSet.InternalRefresh");
    if (IsEmpty())
        return;
    TRecordBuffer active = ActiveBuffer();
    InternalSetToRecord(active);
    if (!cachedUpdates_)
        RefreshRecords(active);
    if (cached_)
        CopyBuffer(active, GetCacheBuffer(), false);
    else if (TRecordBuffer kept = RecordUpdated(BookmarkOf(active)))
        CopyBuffer(active, kept, false);
}

void TCustomOEDataSet::RefreshRecords(TRecordBuffer buffer)
{
    WriteRecord(buffer, buffer, rfRefresh, &THstmt::DoRefresh);
    for (int col = 1; col <= static_cast<int>(columns_.size()); ++col)
        ToField(col, 1, buffer);
}

void TCustomOEDataSet::InternalCancel()
{
    // The window's record gets its values from before the edit back: a record without a bookmark is
    // shown again from the window, not read from the cursor.
    if (State() == dsEdit && oldValueBuffer_ != nullptr)
        CopyBuffer(oldValueBuffer_, ActiveBuffer(), false);
}

// ---- Old values

void TCustomOEDataSet::DoBeforeEdit()
{
    if (oldValueBuffer_ != nullptr)
        CopyBuffer(ActiveBuffer(), oldValueBuffer_, true);
    TDataSet::DoBeforeEdit();
}

void TCustomOEDataSet::DoBeforeDelete()
{
    if (oldValueBuffer_ != nullptr)
        CopyBuffer(ActiveBuffer(), oldValueBuffer_, true);
    TDataSet::DoBeforeDelete();
}

void TCustomOEDataSet::DoAfterCancel()
{
    if (oldValueBuffer_ != nullptr)
        InitRecord(oldValueBuffer_);
    locateKeys_.clear();
    locateValues_ = Variant::Null();
    TDataSet::DoAfterCancel();
}

void TCustomOEDataSet::DoAfterDelete()
{
    if (oldValueBuffer_ != nullptr)
        InitRecord(oldValueBuffer_);
    TDataSet::DoAfterDelete();
}

void TCustomOEDataSet::DoAfterPost()
{
    if (oldValueBuffer_ != nullptr)
        InitRecord(oldValueBuffer_);
    TDataSet::DoAfterPost();
    if (cached_ || !locateInsert_ || locateKeys_.empty())
        return;
    const std::string keys = std::move(locateKeys_);
    const Variant values = std::move(locateValues_);
    locateKeys_.clear();
    locateValues_ = Variant::Null();
    // Only a new cursor shows the new row.
    RefreshResults();
    Locate(keys, values, 0);
}

TUpdateStatus TCustomOEDataSet::UpdateStatus()
{
    if (!cachedUpdates_)
        return TDataSet::UpdateStatus();
    if (IsEmpty())
        return usUnmodified;
    InternalSetToRecord(ActiveBuffer());
    if (cachePosition_ < 1 || cachePosition_ > static_cast<std::int32_t>(cacheBuffers_.size()))
        return usUnmodified;
    return static_cast<TUpdateStatus>(UpdateStatusOf(GetCacheBuffer()));
}
