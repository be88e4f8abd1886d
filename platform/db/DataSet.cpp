#include "platform/db/DataSet.h"

#include "platform/core/StringUtils.h"
#include "platform/core/ValueScope.h"
#include "platform/db/ControlsOff.h"
#include "platform/db/DataLink.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/HandleException.h"
#include "platform/db/NativeData.h"
#include "platform/db/TempState.h"

#include "platform/core/Filer.h"
#include "platform/core/Stream.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet()
{
    // A concrete dataset has closed already (its hooks are gone by now); what is left are the
    // sources pointing here and the fields.
    while (!dataSources_.empty())
        dataSources_.back()->SetDataSet(nullptr);
    for (auto& field : fields_)
        field->dataSet_ = nullptr;
    fields_.clear();
}

// ---- Opening and closing

void TDataSet::SetActive(bool value)
{
    if (HasState(csLoading)) {
        streamedActive_ = value;
        return;
    }
    if (Active() == value)
        return;
    if (value) {
        DoBeforeOpen();
        enableEvent_ = deLayoutChange;
        try {
            OpenCursor();
        } catch (...) {
            try {
                CloseCursor();
            } catch (...) {
            }
            throw;
        }
        SetState(dsBrowse);
        DoAfterOpen();
        if (!IsEmpty())
            DoAfterScroll();
    } else {
        DoBeforeClose();
        SetState(dsInactive);
        CloseCursor();
        DoAfterClose();
    }
}

void TDataSet::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineProperty(
        "Active", [this](TReader& r) { SetActive(r.ReadBoolean()); },
        [](TWriter& w) { w.WriteBoolean(true); }, Active());
    filer.DefineProperty(
        "Filtered", [this](TReader& r) { SetFiltered(r.ReadBoolean()); },
        [](TWriter& w) { w.WriteBoolean(true); }, filtered_);
    filer.DefineProperty(
        "AutoCalcFields", [this](TReader& r) { SetAutoCalcFields(r.ReadBoolean()); },
        [](TWriter& w) { w.WriteBoolean(false); }, !autoCalcFields_);
}

void TDataSet::Loaded()
{
    TComponent::Loaded();
    if (!std::exchange(streamedActive_, false))
        return;
    try {
        SetActive(true);
    } catch (...) {
        if (!HasState(csDesigning))
            throw;
        InternalHandleException();
    }
}

void TDataSet::OpenCursor()
{
    defaultFields_ = fields_.empty();
    InternalOpen();
    // The record layout is known now: the window and the calculation buffer can be made.
    calcBuffer_ = AllocRecordBuffer();
    calcTarget_ = calcBuffer_;
    ClearBuffers();
    UpdateBufferCount();
    bof_ = true;
}

void TDataSet::CloseCursor()
{
    FreeWindow();
    InternalClose();
    bufferCount_ = 0;
    defaultFields_ = false;
}

void TDataSet::FreeWindow()
{
    ClearBuffers();
    SetBufListSize(0);
    bufferCount_ = 0;
    if (calcBuffer_ != nullptr)
        FreeRecordBuffer(calcBuffer_);
    calcBuffer_ = nullptr;
    calcTarget_ = nullptr;
}

void TDataSet::CheckActive() const
{
    if (state_ == dsInactive)
        DatabaseError("Cannot perform this operation on a closed dataset", this);
}

void TDataSet::CheckInactive() const
{
    if (state_ != dsInactive)
        DatabaseError("Cannot perform this operation on an open dataset", this);
}

void TDataSet::CheckCanModify()
{
    if (!CanModify())
        DatabaseError("Cannot modify a read-only dataset", this);
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(deCheckBrowseMode);
    switch (state_) {
    case dsEdit:
    case dsInsert:
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
        break;
    case dsSetKey:
        Post();
        break;
    default:
        break;
    }
}

void TDataSet::SetState(TDataSetState state)
{
    if (state_ != state) {
        state_ = state;
        modified_ = false;
        DataEvent(deUpdateState);
    }
}

TDataSetState TDataSet::SetTempState(TDataSetState state)
{
    const TDataSetState saved = state_;
    state_ = state;
    ++disableCount_;
    return saved;
}

void TDataSet::RestoreState(TDataSetState saved)
{
    state_ = saved;
    --disableCount_;
}

// ---- The window

TRecordBuffer TDataSet::ActiveBuffer() const
{
    if (buffers_.empty())
        return nullptr;
    return buffers_[static_cast<size_t>(activeRecord_)];
}

void TDataSet::SetBufListSize(int size)
{
    const auto wanted = static_cast<size_t>(size);
    while (buffers_.size() > wanted) {
        TRecordBuffer buffer = buffers_.back();
        buffers_.pop_back();
        FreeRecordBuffer(buffer);
    }
    while (buffers_.size() < wanted) {
        buffers_.push_back(nullptr);
        buffers_.back() = AllocRecordBuffer();
    }
}

void TDataSet::SetBufferCount(int count)
{
    count = std::max(count, 1);
    if (count == bufferCount_)
        return;
    if (bufferCount_ > count && recordCount_ > 0) {
        // Keep the active record and as many records before it as the links show.
        int delta = activeRecord_;
        for (TDataSource* source : dataSources_)
            for (TDataLink* link : source->links_)
                if (link->Active() && link->firstRecord_ < delta)
                    delta = link->firstRecord_;
        delta = std::max(delta, activeRecord_ - count + 1);
        for (int i = 0; i < count; ++i)
            MoveBuffer(i + delta, i);
        activeRecord_ -= delta;
        if (currentRecord_ != -1)
            currentRecord_ -= delta;
        if (currentRecord_ >= count)
            currentRecord_ = -1;
        recordCount_ = std::min(recordCount_ - delta, count);
        for (TDataSource* source : dataSources_)
            for (TDataLink* link : source->links_)
                if (link->Active())
                    link->firstRecord_ = std::max(0, link->firstRecord_ - delta);
    }
    SetBufListSize(count + 1);
    bufferCount_ = count;
    GetNextRecords();
    const int added = GetPriorRecords();
    for (TDataSource* source : dataSources_)
        for (TDataLink* link : source->links_)
            if (link->Active())
                link->firstRecord_ += added;
}

void TDataSet::UpdateBufferCount()
{
    if (calcBuffer_ == nullptr)
        return; // not open
    int wanted = 1;
    for (TDataSource* source : dataSources_)
        for (TDataLink* link : source->links_)
            wanted = std::max(wanted, link->BufferCount());
    SetBufferCount(wanted);
}

void TDataSet::ClearBuffers()
{
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = true;
    eof_ = true;
}

void TDataSet::ActivateBuffers()
{
    recordCount_ = 1;
    activeRecord_ = 0;
    currentRecord_ = 0;
    bof_ = false;
    eof_ = false;
}

void TDataSet::MoveBuffer(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    auto begin = buffers_.begin();
    if (curIndex < newIndex)
        std::rotate(begin + curIndex, begin + curIndex + 1, begin + newIndex + 1);
    else
        std::rotate(begin + newIndex, begin + curIndex, begin + curIndex + 1);
}

void TDataSet::SetCurrentRecord(int index)
{
    if (currentRecord_ == index)
        return;
    TRecordBuffer buffer = buffers_[static_cast<size_t>(index)];
    // Until the move has succeeded the cursor may be anywhere, also when the hook raises.
    currentRecord_ = -1;
    switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted:
        InternalSetToRecord(buffer);
        break;
    case bfBOF:
        InternalFirst();
        break;
    case bfEOF:
        InternalLast();
        break;
    }
    currentRecord_ = index;
}

void TDataSet::UpdateCursorPos()
{
    if (recordCount_ > 0)
        SetCurrentRecord(activeRecord_);
}

bool TDataSet::FetchInto(TRecordBuffer buffer, TGetMode mode, bool doCheck)
{
    try {
        return GetRecord(buffer, mode, doCheck) == grOK;
    } catch (...) {
        // The cursor may have moved before the fetch failed: the record at the cursor is no
        // longer the one the window says, and a later edit or delete must position it again.
        CursorPosChanged();
        throw;
    }
}

bool TDataSet::GetNextRecord()
{
    TGetMode mode = gmNext;
    if (recordCount_ > 0) {
        SetCurrentRecord(recordCount_ - 1);
        // An inserted record that is not posted yet stands at the cursor: the cursor's record
        // comes next, read as the current one.
        if (state_ == dsInsert && currentRecord_ == activeRecord_ &&
            GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
            mode = gmCurrent;
    }
    const bool ok = FetchInto(buffers_[static_cast<size_t>(recordCount_)], mode);
    if (ok) {
        if (recordCount_ == 0) {
            ActivateBuffers();
        } else if (recordCount_ < bufferCount_) {
            ++recordCount_;
        } else {
            MoveBuffer(0, recordCount_);
            if (activeRecord_ > 0)
                --activeRecord_; // it still names the same record
        }
        currentRecord_ = recordCount_ - 1;
    } else {
        CursorPosChanged();
    }
    return ok;
}

bool TDataSet::GetPriorRecord()
{
    if (recordCount_ > 0)
        SetCurrentRecord(0);
    const bool ok = FetchInto(buffers_[static_cast<size_t>(recordCount_)], gmPrior);
    if (ok) {
        if (recordCount_ == 0) {
            ActivateBuffers();
        } else {
            MoveBuffer(recordCount_, 0);
            if (recordCount_ < bufferCount_) {
                ++recordCount_;
                ++activeRecord_;
            }
        }
        currentRecord_ = 0;
    } else {
        CursorPosChanged();
    }
    return ok;
}

int TDataSet::GetNextRecords()
{
    int n = 0;
    while (recordCount_ < bufferCount_ && GetNextRecord())
        ++n;
    return n;
}

int TDataSet::GetPriorRecords()
{
    int n = 0;
    while (recordCount_ < bufferCount_ && GetPriorRecord())
        ++n;
    return n;
}

// ---- Navigation

void TDataSet::First()
{
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    // The links hear of the new window and AfterScroll runs even when filling it failed.
    std::exception_ptr failure;
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        failure = std::current_exception();
    }
    bof_ = true;
    DataEvent(deDataSetChange);
    DoAfterScroll();
    if (failure)
        std::rethrow_exception(failure);
}

void TDataSet::Last()
{
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    std::exception_ptr failure;
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        failure = std::current_exception();
    }
    eof_ = true;
    DataEvent(deDataSetChange);
    DoAfterScroll();
    if (failure)
        std::rethrow_exception(failure);
}

int TDataSet::MoveBy(int distance)
{
    CheckBrowseMode();
    int result = 0;
    DoBeforeScroll();
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        bof_ = false;
        eof_ = false;
        int scrolled = 0;
        // The links hear how far the window scrolled and AfterScroll runs even when a fetch fails.
        std::exception_ptr failure;
        try {
            while (distance > 0) {
                if (activeRecord_ < recordCount_ - 1) {
                    ++activeRecord_;
                } else {
                    const bool windowFull = recordCount_ >= bufferCount_;
                    if (!GetNextRecord()) {
                        eof_ = true;
                        break;
                    }
                    // A full window scrolled one buffer (the active index went down with it); a
                    // window with room grew: either way the new record becomes the active one.
                    if (windowFull)
                        --scrolled;
                    activeRecord_ = recordCount_ - 1;
                }
                --distance;
                ++result;
            }
            while (distance < 0) {
                if (activeRecord_ > 0) {
                    --activeRecord_;
                } else {
                    const bool windowFull = recordCount_ >= bufferCount_;
                    if (!GetPriorRecord()) {
                        bof_ = true;
                        break;
                    }
                    if (windowFull)
                        ++scrolled;
                    activeRecord_ = 0;
                }
                ++distance;
                --result;
            }
        } catch (...) {
            failure = std::current_exception();
        }
        DataEvent(deDataSetScroll, scrolled);
        DoAfterScroll();
        if (failure)
            std::rethrow_exception(failure);
    }
    return result;
}

void TDataSet::Resync(TResyncMode mode)
{
    TRecordBuffer spare = buffers_[static_cast<size_t>(recordCount_)];
    if (mode & rmExact) {
        CursorPosChanged();
        if (!FetchInto(spare, gmCurrent, true))
            DatabaseError("Record not found", this);
    } else if (!FetchInto(spare, gmCurrent, false) && !FetchInto(spare, gmNext, false) &&
               !FetchInto(spare, gmPrior, false)) {
        ClearBuffers();
        DataEvent(deDataSetChange);
        return;
    }
    int count = (mode & rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
    MoveBuffer(recordCount_, 0);
    ActivateBuffers();
    // The links hear of the new window even when filling it failed half-way.
    try {
        while (count > 0 && GetPriorRecord())
            --count;
        GetNextRecords();
        GetPriorRecords();
    } catch (...) {
        DataEvent(deDataSetChange);
        throw;
    }
    DataEvent(deDataSetChange);
}

// ---- Bookmarks

bool TDataSet::BookmarkAvailable() const
{
    auto* self = const_cast<TDataSet*>(this);
    return (state_ == dsBrowse || state_ == dsEdit || state_ == dsInsert) && !IsEmpty() &&
           self->GetBookmarkFlag(ActiveBuffer()) == bfCurrent && self->HasBookmark(ActiveBuffer());
}

TBookmark TDataSet::Bookmark() const
{
    TBookmark bookmark;
    if (bookmarkSize_ > 0 && BookmarkAvailable()) {
        bookmark.resize(static_cast<size_t>(bookmarkSize_));
        const_cast<TDataSet*>(this)->GetBookmarkData(ActiveBuffer(), bookmark.data());
    }
    return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark)
{
    if (bookmark.empty())
        return;
    CheckBrowseMode();
    DoBeforeScroll();
    InternalGotoBookmark(bookmark.data());
    Resync(rmExact | rmCenter);
    DoAfterScroll();
}

bool TDataSet::BookmarkValid(const void* bookmark)
{
    (void)bookmark;
    return false;
}

int TDataSet::CompareBookmarks(const void* a, const void* b)
{
    (void)a;
    (void)b;
    return 0;
}

// ---- Editing

void TDataSet::CheckOperation(void (TDataSet::*operation)(), const TDataSetErrorEvent& errorEvent)
{
    for (;;) {
        try {
            UpdateCursorPos();
            (this->*operation)();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (errorEvent)
                errorEvent(this, e, action);
            if (action == daFail)
                throw;
            if (action == daAbort)
                Abort();
        }
    }
}

void TDataSet::Edit()
{
    if (state_ == dsEdit || state_ == dsInsert)
        return;
    if (recordCount_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeEdit();
    CheckOperation(&TDataSet::CallInternalEdit, onEditError_);
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange);
    DoAfterEdit();
}

void TDataSet::BeginInsertAppend()
{
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeInsert();
    DoBeforeScroll();
}

void TDataSet::EndInsertAppend()
{
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        UpdateCursorPos();
        SetState(dsBrowse);
        Resync(0);
        throw;
    }
    modified_ = false;
    DataEvent(deDataSetChange);
    DoAfterInsert();
    DoAfterScroll();
}

void TDataSet::Insert()
{
    BeginInsertAppend();
    const TBookmark current = Bookmark();
    MoveBuffer(recordCount_, activeRecord_);
    TRecordBuffer buffer = ActiveBuffer();
    InitRecord(buffer);
    if (recordCount_ == 0)
        SetBookmarkFlag(buffer, bfBOF);
    else if (!current.empty())
        SetBookmarkData(buffer, current.data());
    if (recordCount_ < bufferCount_)
        ++recordCount_;
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Append()
{
    BeginInsertAppend();
    ClearBuffers();
    TRecordBuffer buffer = buffers_[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    recordCount_ = 1;
    bof_ = false;
    GetPriorRecords();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::UpdateRecord()
{
    if (!IsWriteState(state_))
        DatabaseError("Dataset not in edit or insert mode", this);
    DataEvent(deUpdateRecord);
}

void TDataSet::Post()
{
    UpdateRecord();
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    DataEvent(deCheckBrowseMode);
    DoBeforePost();
    CheckOperation(&TDataSet::CallInternalPost, onPostError_);
    SetState(dsBrowse);
    Resync(0);
    DoAfterPost();
}

void TDataSet::Cancel()
{
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    DataEvent(deCheckBrowseMode);
    DoBeforeCancel();
    const bool scrollEvents = state_ == dsInsert;
    if (scrollEvents)
        DoBeforeScroll();
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync(0);
    DoAfterCancel();
    if (scrollEvents)
        DoAfterScroll();
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) {
        Cancel();
        return;
    }
    if (recordCount_ == 0)
        DatabaseError("Cannot perform this operation on an empty dataset", this);
    DataEvent(deCheckBrowseMode);
    DoBeforeDelete();
    DoBeforeScroll();
    CheckOperation(&TDataSet::CallInternalDelete, onDeleteError_);
    SetState(dsBrowse);
    Resync(0);
    DoAfterDelete();
    DoAfterScroll();
}

void TDataSet::Refresh()
{
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync(0);
}

void TDataSet::AddRecord(const std::vector<Variant>& values, bool append)
{
    BeginInsertAppend();
    if (!append)
        UpdateCursorPos();
    ControlsOff controlsOff(*this);
    MoveBuffer(recordCount_, activeRecord_);
    try {
        TRecordBuffer buffer = ActiveBuffer();
        InitRecord(buffer);
        state_ = dsInsert;
        try {
            DoOnNewRecord();
            const int n = std::min<int>(static_cast<int>(values.size()), FieldCount());
            for (int i = 0; i < n; ++i)
                if (!values[static_cast<size_t>(i)].IsEmpty())
                    Fields(i)->SetAsVariant(values[static_cast<size_t>(i)]);
            DoBeforePost();
            InternalAddRecord(buffer, append);
        } catch (...) {
            state_ = dsBrowse;
            modified_ = false;
            throw;
        }
        state_ = dsBrowse;
        modified_ = false;
    } catch (...) {
        MoveBuffer(activeRecord_, recordCount_);
        throw;
    }
    Resync(0);
    DoAfterPost();
}

void TDataSet::InitRecord(TRecordBuffer buffer)
{
    InternalInitRecord(buffer);
    ClearCalcFields(buffer);
    SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::ClearCalcFields(TRecordBuffer buffer)
{
    (void)buffer;
}

void TDataSet::InternalRefresh() {}

void TDataSet::InternalHandleException()
{
    HandleCurrentException(this);
}

// ---- Fields

TField* TDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fields_[static_cast<size_t>(index)].get();
}

TField* TDataSet::FindField(const std::string& name) const
{
    for (const auto& field : fields_)
        if (SameText(field->FieldName(), name))
            return field.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const std::string& name) const
{
    TField* field = FindField(name);
    if (field == nullptr)
        DatabaseError("Field '" + name + "' not found", this);
    return field;
}

TField* TDataSet::FieldByNumber(int fieldNo) const
{
    for (const auto& field : fields_)
        if (field->FieldNo() == fieldNo)
            return field.get();
    return nullptr;
}

TField* TDataSet::AddField(std::unique_ptr<TField> field)
{
    CheckInactive();
    if (FindField(field->FieldName()) != nullptr)
        DatabaseError("Duplicate field name '" + field->FieldName() + "'", this);
    field->dataSet_ = this;
    fields_.push_back(std::move(field));
    return fields_.back().get();
}

std::vector<TField*> TDataSet::GetFieldList(const std::string& fieldNames) const
{
    std::vector<TField*> list;
    size_t pos = 0;
    while (pos <= fieldNames.size()) {
        size_t end = fieldNames.find(';', pos);
        if (end == std::string::npos)
            end = fieldNames.size();
        const std::string name = Trim(fieldNames.substr(pos, end - pos));
        if (!name.empty())
            list.push_back(FieldByName(name));
        pos = end + 1;
    }
    return list;
}

Variant TDataSet::FieldValues(const std::string& fieldNames) const
{
    const auto list = GetFieldList(fieldNames);
    if (list.size() == 1)
        return list[0]->AsVariant();
    std::vector<Variant> values;
    for (TField* field : list)
        values.push_back(field->AsVariant());
    return Variant::Array(std::move(values));
}

void TDataSet::SetFieldValues(const std::string& fieldNames, const Variant& values)
{
    const auto list = GetFieldList(fieldNames);
    if (list.size() == 1 && !values.IsArray()) {
        list[0]->SetAsVariant(values);
        return;
    }
    for (size_t i = 0; i < list.size(); ++i)
        list[i]->SetAsVariant(values[static_cast<int>(i)]);
}

void TDataSet::CreateFields()
{
    for (int i = 0; i < fieldDefs_.Count(); ++i) {
        const TFieldDef& def = fieldDefs_.Items(i);
        if (def.DataType == ftUnknown)
            continue;
        auto field = std::make_unique<TField>(def.Name, def.DataType, def.Size);
        field->SetRequired(def.Required);
        field->dataSet_ = this;
        fields_.push_back(std::move(field));
    }
}

void TDataSet::BindFields(bool binding)
{
    calcFieldsSize_ = 0;
    for (const auto& field : fields_) {
        if (!binding) {
            field->fieldNo_ = 0;
            field->offset_ = 0;
            continue;
        }
        if (field->FieldKind() != fkData) {
            field->fieldNo_ = -1;
            field->offset_ = calcFieldsSize_;
            calcFieldsSize_ += field->DataSize() + 1;
            continue;
        }
        const TFieldDef* def = fieldDefs_.Find(field->FieldName());
        if (def == nullptr)
            DatabaseError("Field '" + field->FieldName() + "' not found", this);
        if (def->DataType != field->DataType())
            DatabaseError("Type mismatch for field '" + field->FieldName() + "', expecting: " +
                              FieldTypeName(field->DataType()) + " actual: " + FieldTypeName(def->DataType),
                          this);
        field->fieldNo_ = def->FieldNo;
        if (field->IsBlob() || def->DataType == ftString || def->DataType == ftBytes ||
            def->DataType == ftVarBytes || def->DataType == ftFixedChar)
            field->size_ = def->Size;
    }
}

void TDataSet::DestroyFields()
{
    for (auto& field : fields_)
        field->dataSet_ = nullptr;
    fields_.clear();
}

// ---- Calculated fields

void TDataSet::CalculateFields(TRecordBuffer buffer)
{
    ValueScope<TRecordBuffer> calculating(calcTarget_, buffer);
    ClearCalcFields(buffer);
    DoOnCalcFields();
}

void TDataSet::GetCalcFields(TRecordBuffer buffer)
{
    if (calcFieldsSize_ <= 0)
        return;
    TempState calculating(*this, dsCalcFields);
    CalculateFields(buffer);
}

// ---- Notifications

void TDataSet::DisableControls()
{
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
    }
    ++disableCount_;
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0) {
        if (disableState_ != state_)
            DataEvent(deUpdateState);
        if (disableState_ != dsInactive && state_ != dsInactive)
            DataEvent(enableEvent_);
    }
}

void TDataSet::DataEvent(TDataEvent event, TField* field, int info)
{
    bool notify = !ControlsDisabled();
    switch (event) {
    case deFieldChange:
        if (field != nullptr && field->FieldKind() == fkData)
            modified_ = true;
        if (state_ != dsSetKey && field != nullptr) {
            if (calcFieldsSize_ > 0 && autoCalcFields_ && field->FieldKind() == fkData)
                GetCalcFields(ActiveBuffer());
            field->Change();
        }
        break;
    case deLayoutChange:
        if (ControlsDisabled())
            enableEvent_ = deLayoutChange;
        break;
    case deUpdateState:
        if (ControlsDisabled()) {
            // The links still learn whether there is data to show, so none keeps a field of a
            // closed dataset; the rest waits for EnableControls.
            event = deDisabledStateChange;
            info = state_ != dsInactive ? 1 : 0;
            notify = true;
        }
        break;
    default:
        break;
    }
    if (!notify)
        return;
    // A handler may detach a source while we walk the list.
    const std::vector<TDataSource*> sources = dataSources_;
    for (TDataSource* source : sources)
        if (std::find(dataSources_.begin(), dataSources_.end(), source) != dataSources_.end())
            source->DataEvent(event, field, info);
}

bool TDataSet::IsLinkedTo(const TDataSource* source) const
{
    while (source != nullptr) {
        const TDataSet* dataSet = source->DataSet();
        if (dataSet == nullptr)
            return false;
        if (dataSet == this)
            return true;
        source = dataSet->GetDataSource();
    }
    return false;
}

void TDataSet::AddDataSource(TDataSource* source)
{
    dataSources_.push_back(source);
    UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* source)
{
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), source), dataSources_.end());
}

// ---- Overridable services with the class library's neutral answers

bool TDataSet::Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options)
{
    (void)keyFields;
    (void)keyValues;
    (void)options;
    return false;
}

Variant TDataSet::Lookup(const std::string& keyFields, const Variant& keyValues,
                         const std::string& resultFields)
{
    (void)keyFields;
    (void)keyValues;
    (void)resultFields;
    return Variant::Null();
}

bool TDataSet::FindRecord(bool restart, bool goForward)
{
    (void)restart;
    (void)goForward;
    return false;
}

void TDataSet::SetFiltered(bool value)
{
    filtered_ = value;
}

void TDataSet::SetOnFilterRecord(TFilterRecordEvent handler)
{
    onFilterRecord_ = std::move(handler);
}

void TDataSet::SetBlockReadSize(int value)
{
    blockReadSize_ = value;
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode)
{
    (void)field;
    (void)mode;
    return nullptr;
}

bool TDataSet::GetCurrentRecord(TRecordBuffer buffer)
{
    (void)buffer;
    return false;
}

void TDataSet::GetDetailLinkFields(std::vector<TField*>& masterFields, std::vector<TField*>& detailFields)
{
    masterFields.clear();
    detailFields.clear();
}

TUpdateStatus TDataSet::UpdateStatus()
{
    return usUnmodified;
}

bool TDataSet::IsSequenced()
{
    return true;
}

// ---- Event steps

void TDataSet::DoBeforeOpen()
{
    FireEvent(beforeOpen_);
}
void TDataSet::DoAfterOpen()
{
    FireEvent(afterOpen_);
}
void TDataSet::DoBeforeClose()
{
    FireEvent(beforeClose_);
}
void TDataSet::DoAfterClose()
{
    FireEvent(afterClose_);
}
void TDataSet::DoBeforeInsert()
{
    FireEvent(beforeInsert_);
}
void TDataSet::DoAfterInsert()
{
    FireEvent(afterInsert_);
}
void TDataSet::DoBeforeEdit()
{
    FireEvent(beforeEdit_);
}
void TDataSet::DoAfterEdit()
{
    FireEvent(afterEdit_);
}
void TDataSet::DoBeforePost()
{
    FireEvent(beforePost_);
}
void TDataSet::DoAfterPost()
{
    FireEvent(afterPost_);
}
void TDataSet::DoBeforeCancel()
{
    FireEvent(beforeCancel_);
}
void TDataSet::DoAfterCancel()
{
    FireEvent(afterCancel_);
}
void TDataSet::DoBeforeDelete()
{
    FireEvent(beforeDelete_);
}
void TDataSet::DoAfterDelete()
{
    FireEvent(afterDelete_);
}
void TDataSet::DoBeforeScroll()
{
    FireEvent(beforeScroll_);
}
void TDataSet::DoAfterScroll()
{
    FireEvent(afterScroll_);
}
void TDataSet::DoOnCalcFields()
{
    FireEvent(onCalcFields_);
}
void TDataSet::DoOnNewRecord()
{
    FireEvent(onNewRecord_);
}

bool TDataSet::GetFieldText(TField* field, std::string& text)
{
    text.assign(static_cast<size_t>(field->DataSize()), '\0');
    if (!GetFieldData(field, text.data())) {
        text.clear();
        return false;
    }
    text.resize(strnlen(text.data(), text.size()));
    return true;
}
