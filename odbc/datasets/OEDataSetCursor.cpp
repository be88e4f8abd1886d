// TCustomOEDataSet: fetching through the statement or the row cache, GetRecord, bookmarks, moves and
// counting.
#include "odbc/datasets/CustomOEDataSet.h"

#include "odbc/base/OcihText.h"
#include "odbc/statements/Hstmt.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kFromStart = 1;
constexpr std::uint32_t kFromEnd = 2;
constexpr std::int32_t kLastAnchor = 1 << 30;

// Restores a statement's row-count method when a borrowed one is done.
class RowCountMethodScope
{
public:
    RowCountMethodScope(THstmt& statement, TRowCountMethod method)
        : statement_(statement), saved_(statement.RowCountMethod())
    {
        statement_.SetRowCountMethod(method);
    }
    ~RowCountMethodScope() { statement_.SetRowCountMethod(saved_); }
    RowCountMethodScope(const RowCountMethodScope&) = delete;
    RowCountMethodScope& operator=(const RowCountMethodScope&) = delete;

private:
    THstmt& statement_;
    TRowCountMethod saved_;
};

} // namespace

// ---- The row cache

TRecordBuffer TCustomOEDataSet::AllocCacheBuffer()
{
    // A new record is all zeros, empty blob streams in its blob slots: what InitRecord would leave
    // of it but for the bookmark flag, which is set here; every slot is written from its row next.
    TRecordBuffer buffer = NewRecord();
    SetBookmarkFlag(buffer, bfCurrent);
    const std::int32_t number = ++bookmarkCounter_;
    SetBookmarkData(buffer, &number);
    UpdateStatusOf(buffer) = usUnmodified;
    SetCacheIndex(buffer, -1);
    return buffer;
}

void TCustomOEDataSet::FillCache(std::int32_t want)
{
    if (allFetched_)
        return;
    auto count = [this] { return static_cast<std::int32_t>(cacheBuffers_.size()); };
    while (!(want >= 0 && count() >= want)) {
        if (!statement_->FetchNext())
            break;
        // A fetch that succeeded brought at least one row, also from a driver that never fills the
        // rows-fetched counter.
        const SqlULen rows = std::max<SqlULen>(statement_->GetRowsFetched(), 1);
        TakeCells();
        for (SqlULen r = 1; r <= rows; ++r) {
            // A row the driver could not fetch (or reports deleted) is no record, as without the cache.
            if (!statement_->GetRowValid(r))
                continue;
            TRecordBuffer buffer = AllocCacheBuffer();
            cacheBuffers_.push_back(buffer);
            ReadRow(r, buffer);
        }
    }
    allFetched_ = !(want >= 0 && count() >= want);
}

void TCustomOEDataSet::GotoCachePosition(std::int32_t n)
{
    auto count = [this] { return static_cast<std::int32_t>(cacheBuffers_.size()); };
    if (n >= 0) {
        if (n > count())
            FillCache(n);
        cachePosition_ = n > count() ? count() + 1 : n;
    } else {
        FillCache(-1);
        cachePosition_ = -n <= count() ? count() + n + 1 : 0;
    }
}

bool TCustomOEDataSet::FetchCache(Fetch kind, std::int32_t n, const void* bookmark)
{
    switch (kind) {
    case Fetch::Next:
        GotoCachePosition(cachePosition_ + 1);
        break;
    case Fetch::First:
        GotoCachePosition(1);
        break;
    case Fetch::Last:
        GotoCachePosition(-1);
        break;
    case Fetch::Prior:
        if (cachePosition_ >= 1)
            GotoCachePosition(cachePosition_ - 1);
        break;
    case Fetch::Absolute:
        GotoCachePosition(n);
        break;
    case Fetch::Relative:
        // A move back past the first row stands before it (a negative position would count from the
        // end of the cache).
        if (cachePosition_ + n < 1)
            cachePosition_ = 0;
        else
            GotoCachePosition(cachePosition_ + n);
        break;
    case Fetch::Bookmark: {
        std::int32_t number = 0;
        std::memcpy(&number, bookmark, sizeof number);
        const auto found = std::find_if(cacheBuffers_.begin(), cacheBuffers_.end(), [&](TRecordBuffer b) {
            std::int32_t own = 0;
            GetBookmarkData(b, &own);
            return own == number;
        });
        if (found == cacheBuffers_.end())
            throw RIDIZOrurori("Bookmark not found in cache.");
        cachePosition_ = static_cast<std::int32_t>(found - cacheBuffers_.begin()) + 1;
        break;
    }
    }
    return cachePosition_ >= 1 && cachePosition_ <= static_cast<std::int32_t>(cacheBuffers_.size());
}

TRecordBuffer TCustomOEDataSet::GetCacheBuffer()
{
    if (cachePosition_ < 1 || cachePosition_ > static_cast<std::int32_t>(cacheBuffers_.size()))
        throw RIDIZOrurori("Current record not found in cache.");
    return cacheBuffers_[static_cast<size_t>(cachePosition_ - 1)];
}

// ---- Fetch primitives

bool TCustomOEDataSet::FetchRow(Fetch kind, std::int32_t n, const void* bookmark)
{
    if (cached_)
        return FetchCache(kind, n, bookmark);
    bool ok = false;
    switch (kind) {
    case Fetch::Next:
        ok = statement_->FetchNext();
        break;
    case Fetch::First:
        ok = statement_->FetchFirst();
        break;
    case Fetch::Last:
        ok = statement_->FetchLast();
        break;
    case Fetch::Prior:
        ok = statement_->FetchPrev();
        break;
    case Fetch::Absolute:
        ok = statement_->FetchAbsolute(n);
        break;
    case Fetch::Relative:
        ok = statement_->FetchRelative(n);
        break;
    case Fetch::Bookmark:
        ok = statement_->FetchBookmark(bookmark);
        break;
    }
    TrackCursor(kind, n, ok);
    return ok;
}

// ---- Cursor positions for records without bookmarks

void TCustomOEDataSet::TrackCursor(Fetch kind, std::int32_t n, bool ok)
{
    auto beforeFirst = [this] {
        cursorRun_ = kFromStart;
        cursorPos_ = 0;
    };
    // Counted from the end: the number of the last row from the start may not be known.
    auto afterLast = [this] {
        cursorRun_ = kFromEnd;
        cursorPos_ = kLastAnchor + 1;
    };
    switch (kind) {
    case Fetch::Next:
        // A fetch that runs off the end leaves the cursor one after the last row.
        if (cursorRun_ != 0)
            ++cursorPos_;
        break;
    case Fetch::Prior:
        if (cursorRun_ != 0)
            cursorPos_ = cursorRun_ == kFromStart ? std::max(cursorPos_ - 1, 0) : cursorPos_ - 1;
        break;
    case Fetch::First:
        cursorRun_ = kFromStart;
        cursorPos_ = ok ? 1 : 0;
        break;
    case Fetch::Last:
        if (ok) {
            cursorRun_ = kFromEnd;
            cursorPos_ = kLastAnchor;
        } else {
            beforeFirst();
        }
        break;
    case Fetch::Absolute:
        if (ok && n > 0) {
            cursorRun_ = kFromStart;
            cursorPos_ = n;
        } else if (ok) {
            cursorRun_ = kFromEnd;
            cursorPos_ = kLastAnchor + n + 1;
        } else if (n < 1) {
            beforeFirst();
        } else {
            afterLast();
        }
        break;
    case Fetch::Relative:
        if (ok) {
            if (cursorRun_ != 0)
                cursorPos_ += n;
        } else if (n < 0) {
            beforeFirst();
        } else {
            afterLast();
        }
        break;
    case Fetch::Bookmark:
        cursorRun_ = 0;
        break;
    }
}

void TCustomOEDataSet::StorePosition(TRecordBuffer buffer) const
{
    std::uint8_t* block = buffer + recordBufferSize_;
    std::memcpy(block, &cursorRun_, sizeof cursorRun_);
    std::memcpy(block + sizeof cursorRun_, &cursorPos_, sizeof cursorPos_);
}

bool TCustomOEDataSet::AtPosition(TRecordBuffer buffer) const
{
    std::uint32_t run = 0;
    std::int32_t pos = 0;
    const std::uint8_t* block = buffer + recordBufferSize_;
    std::memcpy(&run, block, sizeof run);
    std::memcpy(&pos, block + sizeof run, sizeof pos);
    return run != 0 && run == cursorRun_ && pos == cursorPos_;
}

void TCustomOEDataSet::MoveCursorTo(TRecordBuffer buffer)
{
    std::uint32_t run = 0;
    std::int32_t pos = 0;
    const std::uint8_t* block = buffer + recordBufferSize_;
    std::memcpy(&run, block, sizeof run);
    std::memcpy(&pos, block + sizeof run, sizeof pos);
    if (run == 0 || run != cursorRun_ || pos == cursorPos_)
        return;
    const std::int32_t delta = pos - cursorPos_;
    if (delta < 0 && statement_->CursorType() == 0)
        return; // a forward-only cursor cannot go back
    if (delta == 1)
        FetchRow(Fetch::Next);
    else if (delta == -1)
        FetchRow(Fetch::Prior);
    else
        FetchRow(Fetch::Relative, delta);
}

// ---- Bookmarks

TBookmark TCustomOEDataSet::AllocBookmark()
{
    if (cached_)
        return BookmarkOf(GetCacheBuffer());
    // A driver's bookmark may be shorter than the records' bookmark block (PostgreSQL's has 4 bytes):
    // padded with zeros, every bookmark the dataset keeps and compares has BookmarkSize bytes.
    TBookmark bookmark = statement_->GetBookmark();
    if (!bookmark.empty() && bookmark.size() < static_cast<std::size_t>(BookmarkSize()))
        bookmark.resize(static_cast<std::size_t>(BookmarkSize()), 0);
    return bookmark;
}

int TCustomOEDataSet::CompareBookmarks(const void* a, const void* b)
{
    if (a == nullptr && b == nullptr)
        return 0;
    if (a == nullptr || b == nullptr)
        return 1;
    const int c = std::memcmp(a, b, static_cast<size_t>(BookmarkSize()));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool TCustomOEDataSet::RecordDeleted(const TBookmark& bookmark, bool valid)
{
    if (cached_)
        return false;
    if (!valid)
        return true;
    if (bookmark.empty())
        return false;
    return std::any_of(deletedBookmarks_.begin(), deletedBookmarks_.end(),
                       [&](const TBookmark& d) { return CompareBookmarks(d.data(), bookmark.data()) == 0; });
}

TRecordBuffer TCustomOEDataSet::RecordUpdated(const TBookmark& bookmark)
{
    if (bookmark.empty())
        return nullptr;
    for (TRecordBuffer buffer : updateBuffers_)
        if (HasBookmark(buffer) && CompareBookmarks(buffer + recordBufferSize_, bookmark.data()) == 0)
            return buffer;
    return nullptr;
}

TRecordBuffer TCustomOEDataSet::FindUpdateBuffer(const TBookmark& bookmark, bool create)
{
    if (TRecordBuffer found = RecordUpdated(bookmark))
        return found;
    if (!create || bookmark.empty())
        return nullptr;
    TRecordBuffer buffer = AllocRecordBuffer();
    SetBookmarkData(buffer, bookmark.data());
    SetBookmarkFlag(buffer, bfCurrent);
    UpdateStatusOf(buffer) = usUnmodified;
    SetCacheIndex(buffer, -1);
    updateBuffers_.push_back(buffer);
    return buffer;
}

void TCustomOEDataSet::InternalGotoBookmark(const void* bookmark)
{
    if (bookmark != nullptr)
        FetchRow(Fetch::Bookmark, 0, bookmark);
}

void TCustomOEDataSet::InternalSetToRecord(TRecordBuffer buffer)
{
    if (buffer == nullptr)
        return;
    if (HasBookmark(buffer))
        InternalGotoBookmark(buffer + recordBufferSize_);
    else if (!cached_)
        MoveCursorTo(buffer);
}

// ---- Records

TRecordBuffer TCustomOEDataSet::GetActiveBuffer()
{
    // A record being calculated or filtered is the one its handlers look at, whatever else goes on.
    switch (State()) {
    case dsCalcFields:
        return CalcBuffer();
    case dsFilter:
        return filterBuffer_;
    default:
        break;
    }
    switch (extendedState_) {
    case dsLocate:
        return locateBuffer_;
    case dsCachedUpdates:
        // The record being written back (a deleted one lives in its update buffer), and in
        // dsOldValue its values from before the change; an inserted record has none.
        return State() == dsOldValue ? applyOldRecord_ : applyRecord_;
    case dsNotExtended:
        break;
    }
    switch (State()) {
    case dsBrowse:
        return IsEmpty() ? nullptr : ActiveBuffer();
    case dsOldValue:
        return oldValueBuffer_;
    default:
        return ActiveBuffer();
    }
}

void TCustomOEDataSet::LoadRecord(TRecordBuffer buffer, const TBookmark& bookmark)
{
    if (cached_) {
        CopyBuffer(GetCacheBuffer(), buffer, true);
        return;
    }
    if (TRecordBuffer updated = RecordUpdated(bookmark)) {
        CopyBuffer(updated, buffer, true);
        return;
    }
    TakeCells();
    ReadRow(1, buffer);
    SetBookmarkFlag(buffer, bfCurrent);
    if (bookmark.empty()) {
        std::memset(buffer + recordBufferSize_, 0, static_cast<size_t>(BookmarkSize()));
        StorePosition(buffer);
        SetBookmarkRef(buffer, false);
    } else {
        std::memcpy(buffer + recordBufferSize_, bookmark.data(),
                    std::min(bookmark.size(), static_cast<size_t>(BookmarkSize())));
        SetBookmarkRef(buffer, true);
    }
    UpdateStatusOf(buffer) = usUnmodified;
    SetCacheIndex(buffer, -1);
}

TGetResult TCustomOEDataSet::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck)
{
    (void)doCheck;
    Log(2, "TCustomOEDataSet.GetRecord");
    TGetResult result = grOK;
    TBookmark bookmark;
    switch (mode) {
    case gmCurrent: {
        TRecordBuffer active = foundBuffer_ != nullptr ? foundBuffer_ : GetActiveBuffer();
        if (active == nullptr || GetBookmarkFlag(active) == bfBOF || GetBookmarkFlag(active) == bfEOF)
            result = grError;
        else if (RecordDeleted(BookmarkOf(active), true))
            result = grError;
        else if (cached_ &&
                 (cachePosition_ < 1 || cachePosition_ > static_cast<std::int32_t>(cacheBuffers_.size())))
            result = grError; // an empty cache, or a position on no record

        break;
    }
    case gmNext:
    case gmPrior: {
        if (mode == gmPrior && !cached_ && statement_->CursorType() == 0)
            return grError; // a forward-only cursor cannot go back
        const Fetch kind = mode == gmNext ? Fetch::Next : Fetch::Prior;
        for (;;) {
            if (!FetchRow(kind)) {
                result = mode == gmNext ? grEOF : grBOF;
                break;
            }
            // A cache record is read by its position: its bookmark is not needed to load, filter or
            // check it for deletion.
            if (cached_) {
                if (FilterAccepted(bookmark))
                    break;
                continue;
            }
            bookmark = AllocBookmark();
            if (!RecordDeleted(bookmark, statement_->GetRowValid(1)) && FilterAccepted(bookmark))
                break;
        }
        break;
    }
    }
    if (result != grOK) {
        InitRecord(buffer);
        return result;
    }
    if (mode == gmCurrent) {
        bookmark = AllocBookmark();
        TRecordBuffer shown = foundBuffer_ != nullptr ? foundBuffer_ : GetActiveBuffer();
        // No bookmark to look the row up by: the record shown (or the one a search found) is the
        // current one while the cursor stands where it was read; elsewhere the cursor's row is.
        if (bookmark.empty() &&
            (foundBuffer_ != nullptr || cached_ || AtPosition(shown) || cursorRun_ == 0)) {
            CopyBuffer(shown, buffer, true);
            return grOK;
        }
    }
    LoadRecord(buffer, bookmark);
    GetCalcFields(buffer);
    return grOK;
}

bool TCustomOEDataSet::GetCurrentRecord(TRecordBuffer buffer)
{
    return GetRecord(buffer, gmCurrent, false) == grOK;
}

// ---- Moves

void TCustomOEDataSet::InternalFirst()
{
    FetchRow(Fetch::First);
    FetchRow(Fetch::Prior);
}

void TCustomOEDataSet::InternalLast()
{
    FetchRow(Fetch::Last);
    FetchRow(Fetch::Next);
}

void TCustomOEDataSet::MoveTo(Fetch kind, std::int32_t n, bool& ok)
{
    CheckBrowseMode();
    DoBeforeScroll();
    ok = FetchRow(kind, n);
    if (!ok) {
        if (n < 1)
            FetchRow(Fetch::Next);
        else
            FetchRow(Fetch::Prior);
    }
    Resync(rmExact | rmCenter);
    DoAfterScroll();
}

bool TCustomOEDataSet::MoveAbsolute(std::int32_t n)
{
    if (IsEmpty())
        return true;
    bool ok = false;
    MoveTo(Fetch::Absolute, n, ok);
    return ok;
}

bool TCustomOEDataSet::MoveRelative(std::int32_t n)
{
    if (IsEmpty() || n == 0)
        return true;
    InternalSetToRecord(ActiveBuffer());
    bool ok = false;
    MoveTo(Fetch::Relative, n, ok);
    return ok;
}

void TCustomOEDataSet::FetchAll()
{
    if (allFetched_)
        return;
    CheckBrowseMode();
    FetchRow(Fetch::Last);
    CursorPosChanged();
}

// ---- Counting

int TCustomOEDataSet::GetRecordCount()
{
    std::int64_t count = 0;
    // The driver's own count of a cursor that cannot scroll (the forward-only cursor a cache reads
    // through, or a driver without scrollable cursors such as mdbtools) is the rows fetched so far,
    // not the rows of the result: such a dataset counts for itself.
    const bool driverCounts =
        !cached_ && statement_->CursorType() != 0 && statement_->CursorAttributes() != 0;
    if (statement_->RowCountMethod() == rcFunction && !driverCounts) {
        if (cached_) {
            // Reading the rest into the cache leaves the cache position, and so the cursor, alone.
            FillCache(-1);
            count = static_cast<std::int64_t>(cacheBuffers_.size());
        } else {
            RowCountMethodScope counting(*statement_, rcSelect);
            count = statement_->GetRowCount();
        }
    } else {
        count = statement_->GetRowCount();
    }
    return static_cast<int>(std::clamp<std::int64_t>(count, -1, 0x7FFFFFFF));
}

std::int32_t TCustomOEDataSet::DoRowCount(TComponent* sender)
{
    (void)sender;
    if (!cached_)
        return -1;
    FetchAll();
    return static_cast<std::int32_t>(cacheBuffers_.size());
}

int TCustomOEDataSet::GetRecNo()
{
    if (!cached_)
        return TDataSet::GetRecNo();
    CheckActive();
    InternalSetToRecord(ActiveBuffer());
    return cachePosition_;
}

void TCustomOEDataSet::SetRecNo(int value)
{
    if (cached_ && value != cachePosition_)
        MoveAbsolute(value);
}
