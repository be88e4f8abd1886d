// TCustomOEDataSet: writing the records back, at once or, with CachedUpdates, the changes kept in the
// row cache until ApplyUpdates writes them or CancelUpdates and RevertRecord drop them.
//
// With CachedUpdates a modified record has status usModified and its values from before the first
// edit in an update buffer of the same bookmark; an inserted record has status usInserted and counts
// in PendingInserts; a deleted record leaves the cache and waits in an update buffer of status
// usDeleted that keeps its place: the cache index it had, and the record that followed it. A change is only
// taken off that list once it has been written: one that fails stays pending, with every change after it.
#include "odbc/datasets/CustomOEDataSet.h"

#include "odbc/base/OcihText.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/statements/Hstmt.h"

#include <sql.h>

#include <algorithm>

namespace {

bool Has(TUpdateStatusSet statuses, TUpdateStatus status)
{
    return (statuses & UpdateStatusBit(status)) != 0;
}

} // namespace

// ---- Writing the records of one kind

// The dataset is in dsCachedUpdates while it walks its cache; afterwards, however the walk ends, it
// goes back to the state it had and no record counts as being written.
class TCustomOEDataSet::CachedWriteScope
{
public:
    explicit CachedWriteScope(TCustomOEDataSet& ds) : ds_(ds), state_(ds.extendedState_)
    {
        ds_.extendedState_ = dsCachedUpdates;
    }
    CachedWriteScope(const CachedWriteScope&) = delete;
    CachedWriteScope& operator=(const CachedWriteScope&) = delete;
    ~CachedWriteScope()
    {
        ds_.extendedState_ = state_;
        ds_.applyRecord_ = nullptr;
        ds_.applyOldRecord_ = nullptr;
    }

private:
    TCustomOEDataSet& ds_;
    TOEDataSetState state_;
};

void TCustomOEDataSet::GuardedWrite(TUpdateKind kind, TRecordBuffer values, TRecordBuffer old,
                                    std::uint16_t flag, void (THstmt::*write)())
{
    // A connection lost at an earlier record (and let go by OnUpdateError) is made anew first; a
    // failure to do so leaves every change pending, whatever the handler would say.
    ReviveCursor();
    updateRecordFailed_ = false;
    try {
        WriteRecord(values, old, flag, write);
    } catch (EODBC& e) {
        bool raise = true;
        DoUpdateError(e, kind, raise);
        if (raise)
            throw;
    } catch (RIDIZOrurori& e) {
        // The library's own failures of a write (a row changed or deleted by another user, an update
        // object's statement that cannot run) are the handler's to decide as well; one raised by
        // OnUpdateRecord is the program's, not a failed write. The handler sees the text as an EODBC
        // without a diagnostic state; raised, it goes on as it came.
        if (updateRecordFailed_)
            throw;
        EODBC failure(statement_.get(), SQL_ERROR, {TErrorRec{std::string(), 0, e.Message()}});
        bool raise = true;
        DoUpdateError(failure, kind, raise);
        if (raise)
            throw;
    }
}

void TCustomOEDataSet::UpdateRecords(TRecordBuffer buffer, bool apply)
{
    if (!cachedUpdates_) {
        // The values the row has in the database are those from before this edit.
        WriteRecord(buffer, State() == dsEdit ? oldValueBuffer_ : nullptr, rfUpdate, &THstmt::DoUpdate);
        return;
    }
    const CachedWriteScope scope(*this);
    for (std::size_t i = 0; i < cacheBuffers_.size(); ++i) {
        TRecordBuffer record = cacheBuffers_[i];
        if (UpdateStatusOf(record) != usModified)
            continue;
        TRecordBuffer old = RecordUpdated(BookmarkOf(record));
        if (apply) {
            applyIndex_ = static_cast<std::int32_t>(i);
            applyRecord_ = record;
            applyOldRecord_ = old;
            GuardedWrite(ukModify, record, old != nullptr ? old : record, rfUpdate, &THstmt::DoUpdate);
        } else if (old != nullptr) {
            CopyBuffer(old, record, false);
        }
        UpdateStatusOf(record) = usUnmodified;
        FreeUpdateBuffer(old);
    }
}

void TCustomOEDataSet::InsertRecords(TRecordBuffer buffer, bool apply)
{
    if (!cachedUpdates_) {
        WriteRecord(buffer, nullptr, rfInsert, &THstmt::DoInsert);
        return;
    }
    const CachedWriteScope scope(*this);
    for (auto i = static_cast<std::int32_t>(cacheBuffers_.size()) - 1; i >= 0; --i) {
        TRecordBuffer record = cacheBuffers_[static_cast<std::size_t>(i)];
        if (UpdateStatusOf(record) != usInserted)
            continue;
        if (apply) {
            applyIndex_ = i;
            applyRecord_ = record;
            applyOldRecord_ = nullptr;
            GuardedWrite(ukInsert, record, nullptr, rfInsert, &THstmt::DoInsert);
            UpdateStatusOf(record) = usUnmodified;
        } else {
            RemoveCacheRecord(i, true);
        }
        --pendingInserts_;
    }
}

void TCustomOEDataSet::DeleteRecords(TRecordBuffer buffer, bool apply)
{
    if (!cachedUpdates_) {
        WriteRecord(buffer, buffer, rfDelete, &THstmt::DoDelete);
        return;
    }
    const CachedWriteScope scope(*this);
    // From the last deleted to the first: each goes back where it was when it was deleted.
    for (auto i = static_cast<std::int32_t>(updateBuffers_.size()) - 1; i >= 0; --i) {
        TRecordBuffer old = updateBuffers_[static_cast<std::size_t>(i)];
        if (UpdateStatusOf(old) != usDeleted)
            continue;
        if (apply) {
            // The deleted record is the one its handlers and the update object see.
            applyIndex_ = i;
            applyRecord_ = old;
            applyOldRecord_ = old;
            GuardedWrite(ukDelete, old, old, rfDelete, &THstmt::DoDelete);
        } else {
            TRecordBuffer restored = AllocCacheBuffer();
            InsertCacheRecord(RestoredIndex(old), restored);
            CopyBuffer(old, restored, false);
        }
        FreeUpdateBuffer(old);
    }
}

// ---- Applying, cancelling, reverting

void TCustomOEDataSet::ApplyUpdates(TUpdateStatusSet statuses)
{
    // A closed dataset has nothing waiting: its changes went when it closed.
    if (!cachedUpdates_ || !Active())
        return;
    Log(2, "TCustomOEDataSet.ApplyUpdates");
    ReviveCursor();
    if (Has(statuses, usModified))
        UpdateRecords(nullptr, true);
    if (Has(statuses, usInserted))
        InsertRecords(nullptr, true);
    if (Has(statuses, usDeleted))
        DeleteRecords(nullptr, true);
    CatchUpWithMaster();
}

void TCustomOEDataSet::CancelUpdates(TUpdateStatusSet statuses)
{
    if (!cachedUpdates_ || !Active())
        return;
    Log(2, "TCustomOEDataSet.CancelUpdates");
    if (State() == dsEdit || State() == dsInsert || State() == dsSetKey)
        Cancel();
    TBookmark current;
    if (!IsEmpty()) {
        InternalSetToRecord(ActiveBuffer());
        current = BookmarkOf(ActiveBuffer());
    }
    if (Has(statuses, usModified))
        UpdateRecords(nullptr, false);
    if (Has(statuses, usInserted))
        InsertRecords(nullptr, false);
    if (Has(statuses, usDeleted))
        DeleteRecords(nullptr, false);
    KeepCachePosition(current);
    Resync(0);
    CatchUpWithMaster();
}

void TCustomOEDataSet::RevertRecord()
{
    if (!cachedUpdates_)
        return;
    Log(2, "TCustomOEDataSet.RevertRecord");
    if (State() == dsEdit || State() == dsInsert || State() == dsSetKey)
        Cancel();
    if (IsEmpty())
        return;
    InternalSetToRecord(ActiveBuffer());
    TRecordBuffer record = GetCacheBuffer();
    switch (UpdateStatusOf(record)) {
    case usModified: {
        TRecordBuffer old = RecordUpdated(BookmarkOf(record));
        if (old != nullptr)
            CopyBuffer(old, record, false);
        UpdateStatusOf(record) = usUnmodified;
        FreeUpdateBuffer(old);
        break;
    }
    case usInserted:
        RemoveCacheRecord(cachePosition_ - 1, true);
        --pendingInserts_;
        break;
    default:
        break;
    }
    Resync(0);
}

void TCustomOEDataSet::FlushBuffers()
{
    CheckBrowseMode();
    ApplyUpdates();
}

// ---- The cache's records

std::int32_t TCustomOEDataSet::CacheNumberOf(TRecordBuffer record)
{
    std::int32_t number = 0;
    GetBookmarkData(record, &number);
    return number;
}

std::int32_t TCustomOEDataSet::FollowerOf(std::int32_t index)
{
    // The rows not read yet come after the cache's last record: the first of them follows it.
    FillCache(index + 2);
    const auto next = static_cast<std::size_t>(index) + 1;
    return next < cacheBuffers_.size() ? CacheNumberOf(cacheBuffers_[next]) : 0;
}

void TCustomOEDataSet::RemoveCacheRecord(std::int32_t index, bool inserted)
{
    TRecordBuffer record = cacheBuffers_[static_cast<std::size_t>(index)];
    if (inserted) {
        // Deleted records that stood before it stand before the record after it now.
        const std::int32_t number = CacheNumberOf(record);
        const std::int32_t next = FollowerOf(index);
        for (auto& [deleted, follower] : deletedFollowers_)
            if (follower == number)
                follower = next;
    }
    cacheBuffers_.erase(cacheBuffers_.begin() + index);
    FreeRecordBuffer(record);
    if (index < cachePosition_ - 1)
        --cachePosition_;
    cachePosition_ = std::min(cachePosition_, static_cast<std::int32_t>(cacheBuffers_.size()));
}

void TCustomOEDataSet::InsertCacheRecord(std::int32_t index, TRecordBuffer record)
{
    cacheBuffers_.insert(cacheBuffers_.begin() + index, record);
    if (cachePosition_ >= 1 && index <= cachePosition_ - 1)
        ++cachePosition_;
}

void TCustomOEDataSet::KeepDeletedPlace(TRecordBuffer old, std::int32_t index)
{
    SetCacheIndex(old, index);
    deletedFollowers_.emplace_back(old, FollowerOf(index));
    // Deleted records go back from the last deleted to the first: the list keeps that order.
    updateBuffers_.erase(std::remove(updateBuffers_.begin(), updateBuffers_.end(), old),
                         updateBuffers_.end());
    updateBuffers_.push_back(old);
}

std::int32_t TCustomOEDataSet::RestoredIndex(TRecordBuffer old)
{
    // Before the record that followed it when it was deleted (restoring from the last deleted to the
    // first, that record is back already), or last when none did.
    const auto count = static_cast<std::int32_t>(cacheBuffers_.size());
    const auto kept = std::find_if(deletedFollowers_.begin(), deletedFollowers_.end(),
                                   [old](const auto& entry) { return entry.first == old; });
    if (kept == deletedFollowers_.end())
        return std::clamp(CacheIndexOf(old), 0, count);
    if (kept->second == 0)
        return count;
    for (std::int32_t i = 0; i < count; ++i)
        if (CacheNumberOf(cacheBuffers_[static_cast<std::size_t>(i)]) == kept->second)
            return i;
    return std::clamp(CacheIndexOf(old), 0, count);
}

void TCustomOEDataSet::FreeUpdateBuffer(TRecordBuffer buffer)
{
    if (buffer == nullptr)
        return;
    deletedFollowers_.erase(std::remove_if(deletedFollowers_.begin(), deletedFollowers_.end(),
                                           [buffer](const auto& entry) { return entry.first == buffer; }),
                            deletedFollowers_.end());
    updateBuffers_.erase(std::remove(updateBuffers_.begin(), updateBuffers_.end(), buffer),
                         updateBuffers_.end());
    FreeRecordBuffer(buffer);
}

void TCustomOEDataSet::KeepCachePosition(const TBookmark& bookmark)
{
    const auto count = static_cast<std::int32_t>(cacheBuffers_.size());
    if (!bookmark.empty()) {
        for (std::int32_t i = 0; i < count; ++i) {
            if (CompareBookmarks(BookmarkOf(cacheBuffers_[static_cast<std::size_t>(i)]).data(),
                                 bookmark.data()) == 0) {
                cachePosition_ = i + 1;
                return;
            }
        }
    }
    cachePosition_ = count == 0 ? 0 : std::clamp(cachePosition_, 1, count);
}

// ---- A statement that went while changes waited

bool TCustomOEDataSet::KeepOpenWithoutCursor()
{
    if (designClosing_ || !cachedUpdates_ || !Active() || !UpdatesPending())
        return false;
    // The changes exist nowhere else. The rows not read yet went with the cursor.
    cursorLost_ = true;
    allFetched_ = true;
    return true;
}

void TCustomOEDataSet::ReviveCursor()
{
    if (!cursorLost_)
        return;
    Log(2, "TCustomOEDataSet.ReviveCursor");
    Prepare();
    ExecSQL();
    if (statement_->GetColCount() != static_cast<std::int16_t>(columns_.size()))
        throw RIDIZOrurori("The result columns changed while the dataset was open.");
    cursorLost_ = false;
}
