#pragma once
// TOEBlobStream: a blob or memo field of one record of an ODBC dataset, as a stream. It holds the
// dataset, the record and the field, and finds the record's memory stream through the dataset at
// every call; when the record goes (the dataset closes or frees it) the stream is detached and any
// further use raises instead of touching freed memory. Writing marks the field present and tells the
// dataset that the field changed.
#include "platform/core/Stream.h"
#include "platform/db/DBTypes.h"

class TCustomOEDataSet;
class TField;
class TMemoryStream;

class TOEBlobStream : public TStream
{
public:
    TOEBlobStream(TCustomOEDataSet& dataSet, TRecordBuffer record, TField& field);
    ~TOEBlobStream() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Position() const override;
    std::int64_t Size() const override;
    void SetSize(std::int64_t size) override;

    // The field's value is present now; the dataset hears of the change.
    void Modified();
    // The record is gone: every later call raises.
    void Detach() { dataSet_ = nullptr; }
    TRecordBuffer Record() const { return record_; }

private:
    TMemoryStream& Memory() const;

    TCustomOEDataSet* dataSet_;
    TRecordBuffer record_;
    TField* field_;
};
