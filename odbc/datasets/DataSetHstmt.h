#pragma once
// TDataSetHstmt: the statement options of an ODBC dataset, published as its sub-object "hStmt". Each
// option is read from and written to the dataset's statement; options that change the cursor close
// the dataset first. It owns the dataset's write-back target (TTarget).
#include "odbc/datasets/Target.h"
#include "odbc/handles/Enums.h"
#include "odbc/handles/Values.h"
#include "platform/core/Persistent.h"

#include <cstdint>
#include <memory>

class TCustomOEDataSet;
class THbase;
class THstmt;

class TDataSetHstmt : public TPersistent
{
public:
    // Installs its termination hook in statement and applies the defaults through its own setters.
    TDataSetHstmt(TCustomOEDataSet* dataSet, THstmt* statement);
    // Removes its hook from the statement.
    ~TDataSetHstmt() override;
    TDataSetHstmt(const TDataSetHstmt&) = delete;
    TDataSetHstmt& operator=(const TDataSetHstmt&) = delete;

    // Published, in this order.
    std::uint32_t ConcurrencyType() const;
    void SetConcurrencyType(std::uint32_t value);
    std::uint32_t CursorType() const;
    void SetCursorType(std::uint32_t value);
    std::uint32_t RowSetSize() const;
    // A row set of more than one row makes the dataset Cached.
    void SetRowSetSize(std::uint32_t value);
    bool SkipByPosition() const;
    // Switching it off turns a Cached dataset back into a cursor dataset.
    void SetSkipByPosition(bool value);
    bool SkipByCursor() const;
    void SetSkipByCursor(bool value);
    bool BindBookmarks() const;
    void SetBindBookmarks(bool value);
    std::int32_t BlobSize() const;
    // Values below 1025 are ignored.
    void SetBlobSize(std::int32_t value);
    bool BlobDeferral() const;
    void SetBlobDeferral(bool value);
    TBlobPlacement BlobPlacement() const;
    void SetBlobPlacement(TBlobPlacement value);
    bool ExecAsync() const;
    void SetExecAsync(bool value);
    TEmptyToNull EmptyStringToNull() const;
    void SetEmptyStringToNull(TEmptyToNull value);
    TStringTrimming StringTrimming() const;
    void SetStringTrimming(TStringTrimming value);
    bool BindByName() const;
    void SetBindByName(bool value);
    TRowCountMethod RowCountMethod() const;
    void SetRowCountMethod(TRowCountMethod value);
    TTarget& Target() { return *target_; }
    const TTarget& Target() const { return *target_; }
    // The target is changed through its own properties only.
    void SetTarget(const TTarget& value) { (void)value; }

    // Public, not published: the statement's driver attributes, and its handle (allocated on demand).
    SqlULen QueryTimeOut() const;
    void SetQueryTimeOut(SqlULen seconds);
    SqlULen MaxRows() const;
    void SetMaxRows(SqlULen rows);
    void* Handle() const;

    // The statement was terminated: the dataset closes and is no longer prepared.
    void DoTerminate(THbase* sender);

    void DefineProperties(TFiler& filer) override;
    std::string ClassName() const override { return "TDataSetHstmt"; }

private:
    // Closes the dataset (by terminating the statement) before a cursor option changes.
    void CloseDataSet();

    TCustomOEDataSet* dataSet_;
    THstmt* statement_;
    std::unique_ptr<TTarget> target_;
};
