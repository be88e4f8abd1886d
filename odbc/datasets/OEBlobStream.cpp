// TOEBlobStream: a blob field of a dataset record as a stream.
#include "odbc/datasets/OEBlobStream.h"

#include "odbc/base/OcihError.h"
#include "odbc/datasets/CustomOEDataSet.h"
#include "platform/core/MemoryStream.h"
#include "platform/db/Field.h"

TOEBlobStream::TOEBlobStream(TCustomOEDataSet& dataSet, TRecordBuffer record, TField& field)
    : dataSet_(&dataSet), record_(record), field_(&field)
{
    dataSet_->AttachBlobStream(this);
}

TOEBlobStream::~TOEBlobStream()
{
    if (dataSet_ != nullptr)
        dataSet_->DetachBlobStream(this);
}

TMemoryStream& TOEBlobStream::Memory() const
{
    if (dataSet_ == nullptr)
        throw RIDIZOrurori("The record of this blob stream no longer exists.");
    return *dataSet_->BlobStreamOf(record_, field_);
}

std::int64_t TOEBlobStream::Read(void* buffer, std::int64_t count)
{
    return Memory().Read(buffer, count);
}

std::int64_t TOEBlobStream::Write(const void* buffer, std::int64_t count)
{
    const std::int64_t written = Memory().Write(buffer, count);
    Modified();
    return written;
}

std::int64_t TOEBlobStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    return Memory().Seek(offset, origin);
}

std::int64_t TOEBlobStream::Position() const
{
    return Memory().Position();
}

std::int64_t TOEBlobStream::Size() const
{
    return Memory().Size();
}

void TOEBlobStream::SetSize(std::int64_t size)
{
    Memory().SetSize(size);
}

void TOEBlobStream::Modified()
{
    Memory(); // raises when detached
    dataSet_->SetBlobPresent(record_, field_);
    dataSet_->DataEvent(deFieldChange, field_);
}
