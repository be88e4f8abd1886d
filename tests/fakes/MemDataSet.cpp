#include "fakes/MemDataSet.h"

#include "platform/core/Unaligned.h"
#include "platform/db/ControlsOff.h"
#include "platform/db/DataSource.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/Field.h"
#include "platform/db/HandleException.h"
#include "platform/db/NativeData.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kRecInfoSize = 5; // row id (the bookmark, 4 bytes), bookmark flag (1 byte)

} // namespace

// Follows the master: reopens the detail whenever the master opens, scrolls or changes record.
class MemDataSet::MasterLink : public TDetailDataLink
{
public:
    explicit MasterLink(MemDataSet& detail) : detail_(detail) {}
    TDataSet* GetDetailDataSet() override { return &detail_; }

protected:
    void ActiveChanged() override { detail_.MasterChanged(); }
    void RecordChanged(TField* field) override
    {
        if (field == nullptr)
            detail_.MasterChanged();
    }

private:
    MemDataSet& detail_;
};

// A field's blob seen through the record buffer's stream; writing marks the field present and
// tells the dataset, as the ODBC datasets' blob stream does.
class MemDataSet::BlobStream : public TStream
{
public:
    BlobStream(TMemoryStream& stream, std::uint8_t& presence, MemDataSet& dataSet, TField& field)
        : stream_(stream), presence_(presence), dataSet_(dataSet), field_(field)
    {
    }
    std::int64_t Read(void* buffer, std::int64_t count) override { return stream_.Read(buffer, count); }
    std::int64_t Write(const void* buffer, std::int64_t count) override
    {
        const std::int64_t n = stream_.Write(buffer, count);
        presence_ = 1;
        dataSet_.DataEvent(deFieldChange, &field_);
        return n;
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        return stream_.Seek(offset, origin);
    }
    std::int64_t Position() const override { return stream_.Position(); }
    std::int64_t Size() const override { return stream_.Size(); }
    void SetSize(std::int64_t size) override { stream_.SetSize(size); }

private:
    TMemoryStream& stream_;
    std::uint8_t& presence_;
    MemDataSet& dataSet_;
    TField& field_;
};

MemDataSet::MemDataSet(TComponent* owner) : TDataSet(owner) {}

MemDataSet::~MemDataSet()
{
    try {
        Close();
    } catch (...) {
    }
    masterLink_.reset();
}

void MemDataSet::AddColumn(const std::string& name, TFieldType type, int size, bool required)
{
    CheckInactive();
    columns_.push_back(Column{name, type, size, required, 0, 0});
    for (auto& row : rows_)
        row.values.emplace_back(Variant::Null());
}

void MemDataSet::AddRow(const std::vector<Variant>& values)
{
    Row row{nextId_++, values};
    row.values.resize(columns_.size(), Variant::Null());
    for (auto& v : row.values)
        if (v.IsEmpty())
            v = Variant::Null();
    rows_.push_back(std::move(row));
}

Variant MemDataSet::Cell(int row, int column) const
{
    return rows_.at(static_cast<size_t>(row)).values.at(static_cast<size_t>(column));
}

void MemDataSet::SetMasterSource(TDataSource* source, const std::string& masterField,
                                 const std::string& detailField)
{
    if (source != nullptr && IsLinkedTo(source))
        DatabaseError("Circular Reference to DataSource", this);
    masterField_ = masterField;
    detailField_ = detailField;
    if (!masterLink_)
        masterLink_ = std::make_unique<MasterLink>(*this);
    masterLink_->SetDataSource(source);
}

TDataSource* MemDataSet::GetDataSource() const
{
    return masterLink_ ? masterLink_->DataSource() : nullptr;
}

void MemDataSet::MasterChanged()
{
    TDataSet* master = masterLink_ ? masterLink_->DataSet() : nullptr;
    if (!Active() || master == nullptr || !master->Active() || master->State() == dsSetKey)
        return;
    ControlsOff controlsOff(*this);
    Close();
    Open();
}

// ---- Layout and buffers

bool MemDataSet::IsBlobColumn(const Column& c) const
{
    return IsBlobType(c.type);
}

TMemoryStream* MemDataSet::Stream(TRecordBuffer buffer, const Column& c) const
{
    return LoadUnaligned<TMemoryStream*>(buffer + c.offset);
}

std::int32_t MemDataSet::RowId(TRecordBuffer buffer) const
{
    return LoadUnaligned<std::int32_t>(buffer + recInfoOffset_);
}

void MemDataSet::SetRowId(TRecordBuffer buffer, std::int32_t id) const
{
    StoreUnaligned(buffer + recInfoOffset_, id);
}

TRecordBuffer MemDataSet::AllocRecordBuffer()
{
    auto* buffer = new std::uint8_t[static_cast<size_t>(bufferSize_)]();
    for (const Column& c : columns_) {
        if (IsBlobColumn(c)) {
            auto* stream = new TMemoryStream;
            StoreUnaligned(buffer + c.offset, stream);
        }
    }
    ++liveBuffers_;
    InitRecord(buffer);
    return buffer;
}

void MemDataSet::FreeRecordBuffer(TRecordBuffer& buffer)
{
    if (buffer == nullptr)
        return;
    for (const Column& c : columns_)
        if (IsBlobColumn(c))
            delete Stream(buffer, c);
    delete[] buffer;
    buffer = nullptr;
    --liveBuffers_;
}

void MemDataSet::InternalInitRecord(TRecordBuffer buffer)
{
    for (const Column& c : columns_) {
        if (IsBlobColumn(c)) {
            Stream(buffer, c)->Clear();
            buffer[c.offset + c.slotSize - 1] = 0;
        } else {
            std::memset(buffer + c.offset, 0, static_cast<size_t>(c.slotSize));
        }
    }
    SetRowId(buffer, -1);
}

void MemDataSet::ClearCalcFields(TRecordBuffer buffer)
{
    std::memset(buffer + calcOffset_, 0, static_cast<size_t>(CalcFieldsSize()));
}

TBookmarkFlag MemDataSet::GetBookmarkFlag(TRecordBuffer buffer)
{
    return static_cast<TBookmarkFlag>(buffer[recInfoOffset_ + 4]);
}

void MemDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag)
{
    buffer[recInfoOffset_ + 4] = flag;
}

void MemDataSet::GetBookmarkData(TRecordBuffer buffer, void* data)
{
    std::memcpy(data, buffer + recInfoOffset_, static_cast<size_t>(BookmarkSize()));
}

void MemDataSet::SetBookmarkData(TRecordBuffer buffer, const void* data)
{
    std::memcpy(buffer + recInfoOffset_, data, static_cast<size_t>(BookmarkSize()));
}

void MemDataSet::CopyBuffer(TRecordBuffer from, TRecordBuffer to) const
{
    for (const Column& c : columns_) {
        if (IsBlobColumn(c)) {
            Stream(from, c)->SetPosition(0);
            Stream(to, c)->LoadFromStream(*Stream(from, c));
            to[c.offset + c.slotSize - 1] = from[c.offset + c.slotSize - 1];
        } else {
            std::memcpy(to + c.offset, from + c.offset, static_cast<size_t>(c.slotSize));
        }
    }
    std::memcpy(to + recInfoOffset_, from + recInfoOffset_,
                static_cast<size_t>(bufferSize_ - recInfoOffset_));
}

void MemDataSet::LoadRow(TRecordBuffer buffer, const Row& row)
{
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Column& c = columns_[i];
        const Variant& v = row.values[i];
        std::uint8_t& presence = buffer[c.offset + c.slotSize - 1];
        if (IsBlobColumn(c)) {
            TMemoryStream* stream = Stream(buffer, c);
            stream->Clear();
            if (!v.IsClear()) {
                const auto bytes = v.AsBytes();
                stream->Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
            }
        } else {
            std::memset(buffer + c.offset, 0, static_cast<size_t>(c.slotSize));
            if (!v.IsClear())
                VariantToNative(c.type, c.size, v, buffer + c.offset);
        }
        presence = v.IsClear() ? 0 : 1;
    }
    SetRowId(buffer, row.id);
    SetBookmarkFlag(buffer, bfCurrent);
}

void MemDataSet::StoreRow(TRecordBuffer buffer, Row& row) const
{
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Column& c = columns_[i];
        if (buffer[c.offset + c.slotSize - 1] == 0) {
            row.values[i] = Variant::Null();
        } else if (IsBlobColumn(c)) {
            TMemoryStream* stream = Stream(buffer, c);
            std::vector<std::uint8_t> bytes(stream->Memory(), stream->Memory() + stream->Size());
            row.values[i] = c.type == ftMemo ? Variant(std::string(bytes.begin(), bytes.end()))
                                             : Variant::Bytes(std::move(bytes));
        } else {
            row.values[i] = NativeToVariant(c.type, c.size, buffer + c.offset);
        }
    }
}

// ---- Opening

void MemDataSet::InternalInitFieldDefs()
{
    FieldDefs().Clear();
    for (const Column& c : columns_)
        FieldDefs().Add(c.name, c.type, c.size, c.required);
}

void MemDataSet::InternalOpen()
{
    hookLog_.push_back("InternalOpen");
    InternalInitFieldDefs();
    if (DefaultFields())
        CreateFields();
    BindFields(true);
    int offset = 0;
    for (Column& c : columns_) {
        c.offset = offset;
        c.slotSize = (IsBlobColumn(c) ? static_cast<int>(sizeof(void*)) : FieldDataSize(c.type, c.size)) + 1;
        offset += c.slotSize;
    }
    recInfoOffset_ = offset;
    calcOffset_ = recInfoOffset_ + kRecInfoSize;
    bufferSize_ = calcOffset_ + CalcFieldsSize();
    SetBookmarkSize(bookmarks_ ? 4 : 0);
    filterBuffer_ = AllocRecordBuffer();
    oldBuffer_ = AllocRecordBuffer();
    cursor_ = -1;
    cursorOpen_ = true;
}

void MemDataSet::InternalClose()
{
    hookLog_.push_back("InternalClose");
    const int own = (filterBuffer_ != nullptr) + (oldBuffer_ != nullptr);
    buffersAtClose_ = liveBuffers_ - own;
    FreeRecordBuffer(filterBuffer_);
    FreeRecordBuffer(oldBuffer_);
    cursorOpen_ = false;
    if (DefaultFields())
        DestroyFields();
    else
        BindFields(false);
}

// ---- Cursor

bool MemDataSet::FilterAccepts(const Row& row)
{
    if (!Filtered() || !OnFilterRecord())
        return true;
    LoadRow(filterBuffer_, row);
    bool accept = true;
    const TDataSetState saved = SetTempState(dsFilter);
    try {
        OnFilterRecord()(this, accept);
    } catch (...) {
        HandleCurrentException(this);
    }
    RestoreState(saved);
    return accept;
}

bool MemDataSet::Visible(const Row& row)
{
    if (masterLink_) {
        TDataSet* master = masterLink_->DataSet();
        if (master == nullptr || !master->Active() || master->IsEmpty())
            return false;
        const Variant key = master->FieldByName(masterField_)->AsVariant();
        for (size_t i = 0; i < columns_.size(); ++i)
            if (columns_[i].name == detailField_ && !(row.values[i] == key))
                return false;
    }
    return FilterAccepts(row);
}

TGetResult MemDataSet::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck)
{
    (void)doCheck;
    const int count = static_cast<int>(rows_.size());
    TGetResult result = grOK;
    switch (mode) {
    case gmCurrent:
        if (cursor_ < 0 || cursor_ >= count || !Visible(rows_[static_cast<size_t>(cursor_)]))
            result = grError;
        break;
    case gmNext:
        do {
            cursor_ = std::min(cursor_ + 1, count);
        } while (cursor_ < count && !Visible(rows_[static_cast<size_t>(cursor_)]));
        if (cursor_ == count)
            result = grEOF;
        break;
    case gmPrior:
        if (forwardOnly_)
            return grError;
        do {
            cursor_ = std::max(cursor_ - 1, -1);
        } while (cursor_ >= 0 && !Visible(rows_[static_cast<size_t>(cursor_)]));
        if (cursor_ < 0)
            result = grBOF;
        break;
    }
    if (result == grOK) {
        LoadRow(buffer, rows_[static_cast<size_t>(cursor_)]);
        GetCalcFields(buffer);
    } else {
        InitRecord(buffer);
    }
    return result;
}

bool MemDataSet::GetCurrentRecord(TRecordBuffer buffer)
{
    return GetRecord(buffer, gmCurrent, false) == grOK;
}

void MemDataSet::InternalFirst()
{
    ++internalFirstCalls_;
    if (forwardOnly_ && cursor_ >= 0)
        DatabaseError("Operation not allowed on a unidirectional dataset", this);
    cursor_ = -1;
}

void MemDataSet::InternalLast()
{
    cursor_ = static_cast<int>(rows_.size());
}

int MemDataSet::IndexOfId(std::int32_t id) const
{
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

void MemDataSet::InternalGotoBookmark(const void* bookmark)
{
    if (bookmark == nullptr)
        return;
    const int index = IndexOfId(LoadUnaligned<std::int32_t>(bookmark));
    cursor_ = index >= 0 ? index : static_cast<int>(rows_.size());
}

void MemDataSet::InternalSetToRecord(TRecordBuffer buffer)
{
    // The row id is kept even when the cursor offers no bookmarks; -1 (a new record) leaves the
    // cursor where it is.
    const std::int32_t id = RowId(buffer);
    if (id > 0)
        InternalGotoBookmark(&id);
    if (failPositioning_) {
        failPositioning_ = false;
        DatabaseError("Positioning failed", this);
    }
}

int MemDataSet::CompareBookmarks(const void* a, const void* b)
{
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : 1;
    const auto x = LoadUnaligned<std::int32_t>(a);
    const auto y = LoadUnaligned<std::int32_t>(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool MemDataSet::BookmarkValid(const void* bookmark)
{
    if (bookmark == nullptr)
        return false;
    return IndexOfId(LoadUnaligned<std::int32_t>(bookmark)) >= 0;
}

int MemDataSet::GetRecordCount()
{
    CheckActive();
    int n = 0;
    for (const Row& row : rows_)
        n += Visible(row) ? 1 : 0;
    return n;
}

int MemDataSet::GetRecNo()
{
    CheckActive();
    UpdateCursorPos();
    return cursor_ + 1;
}

void MemDataSet::SetFiltered(bool value)
{
    TDataSet::SetFiltered(value);
    if (Active())
        First();
}

void MemDataSet::SetOnFilterRecord(TFilterRecordEvent handler)
{
    TDataSet::SetOnFilterRecord(std::move(handler));
    if (Active() && Filtered())
        First();
}

// ---- Field access

TRecordBuffer MemDataSet::RecordBuffer() const
{
    switch (State()) {
    case dsCalcFields:
        return CalcBuffer();
    case dsFilter:
        return filterBuffer_;
    case dsOldValue:
        return oldBuffer_;
    case dsBrowse:
        return IsEmpty() ? nullptr : ActiveBuffer();
    default:
        return ActiveBuffer();
    }
}

bool MemDataSet::GetFieldData(TField* field, void* buffer)
{
    TRecordBuffer record = RecordBuffer();
    if (record == nullptr)
        return false;
    if (field->FieldKind() != fkData) {
        const std::uint8_t* slot = record + calcOffset_ + field->Offset();
        if (buffer != nullptr)
            std::memcpy(buffer, slot, static_cast<size_t>(field->DataSize()));
        return slot[field->DataSize()] != 0;
    }
    const Column& c = columns_.at(static_cast<size_t>(field->FieldNo() - 1));
    if (buffer != nullptr && !IsBlobColumn(c))
        std::memcpy(buffer, record + c.offset, static_cast<size_t>(field->DataSize()));
    return record[c.offset + c.slotSize - 1] != 0;
}

void MemDataSet::SetFieldData(TField* field, const void* buffer)
{
    TRecordBuffer record = RecordBuffer();
    if (record == nullptr)
        return;
    if (field->FieldKind() != fkData) {
        std::uint8_t* slot = record + calcOffset_ + field->Offset();
        if (buffer != nullptr)
            std::memcpy(slot, buffer, static_cast<size_t>(field->DataSize()));
        slot[field->DataSize()] = buffer != nullptr ? 1 : 0;
    } else {
        field->Validate(buffer);
        const Column& c = columns_.at(static_cast<size_t>(field->FieldNo() - 1));
        if (buffer != nullptr && !IsBlobColumn(c))
            std::memcpy(record + c.offset, buffer, static_cast<size_t>(field->DataSize()));
        if (buffer == nullptr && IsBlobColumn(c))
            Stream(record, c)->Clear();
        record[c.offset + c.slotSize - 1] = buffer != nullptr ? 1 : 0;
    }
    const TDataSetState s = State();
    if (s != dsCalcFields && s != dsFilter && s != dsNewValue)
        DataEvent(deFieldChange, field);
}

std::unique_ptr<TStream> MemDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode)
{
    TRecordBuffer record = RecordBuffer();
    if (record == nullptr)
        record = ActiveBuffer();
    if (record == nullptr || field->FieldKind() != fkData)
        return nullptr;
    const Column& c = columns_.at(static_cast<size_t>(field->FieldNo() - 1));
    if (!IsBlobColumn(c))
        return nullptr;
    TMemoryStream* stream = Stream(record, c);
    if (mode == bmWrite)
        stream->Clear();
    stream->SetPosition(0);
    return std::make_unique<BlobStream>(*stream, record[c.offset + c.slotSize - 1], *this, *field);
}

// ---- Writing

void MemDataSet::DoBeforeEdit()
{
    CopyBuffer(ActiveBuffer(), oldBuffer_);
    TDataSet::DoBeforeEdit();
}

void MemDataSet::DoBeforeDelete()
{
    CopyBuffer(ActiveBuffer(), oldBuffer_);
    TDataSet::DoBeforeDelete();
}

void MemDataSet::InternalPost()
{
    hookLog_.push_back(State() == dsEdit ? "InternalPost edit" : "InternalPost insert");
    const int count = static_cast<int>(rows_.size());
    if (State() == dsEdit) {
        if (cursor_ < 0 || cursor_ >= count)
            DatabaseError("Record not found", this);
        StoreRow(ActiveBuffer(), rows_[static_cast<size_t>(cursor_)]);
        return;
    }
    Row row{nextId_++, std::vector<Variant>(columns_.size())};
    StoreRow(ActiveBuffer(), row);
    const int pos = std::clamp(cursor_, 0, count);
    rows_.insert(rows_.begin() + pos, std::move(row));
    cursor_ = pos;
}

void MemDataSet::InternalAddRecord(TRecordBuffer buffer, bool append)
{
    hookLog_.push_back(append ? "InternalAddRecord append" : "InternalAddRecord insert");
    Row row{nextId_++, std::vector<Variant>(columns_.size())};
    StoreRow(buffer, row);
    const int count = static_cast<int>(rows_.size());
    const int pos = append ? count : std::clamp(cursor_, 0, count);
    rows_.insert(rows_.begin() + pos, std::move(row));
    cursor_ = pos;
}

void MemDataSet::InternalDelete()
{
    hookLog_.push_back("InternalDelete");
    if (cursor_ < 0 || cursor_ >= static_cast<int>(rows_.size()))
        DatabaseError("Record not found", this);
    rows_.erase(rows_.begin() + cursor_);
}
