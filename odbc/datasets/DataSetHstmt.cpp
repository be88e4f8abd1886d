// TDataSetHstmt: the statement options of an ODBC dataset and its write-back target.
#include "odbc/datasets/DataSetHstmt.h"

#include "odbc/datasets/CustomOEDataSet.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/Filer.h"

TDataSetHstmt::TDataSetHstmt(TCustomOEDataSet* dataSet, THstmt* statement)
    : dataSet_(dataSet), statement_(statement), target_(std::make_unique<TTarget>(statement))
{
    statement_->SetOnTerminate([this](THbase* sender) { DoTerminate(sender); });
    SetSkipByPosition(false);
    SetSkipByCursor(false);
    SetBindBookmarks(false);
    SetConcurrencyType(1);
    SetCursorType(1);
    SetBlobSize(32768);
    SetBlobDeferral(false);
    SetBlobPlacement(bpDetect);
    SetExecAsync(false);
    SetEmptyStringToNull(enNever);
    SetStringTrimming(stTrimTrailing);
    SetBindByName(false);
    SetRowCountMethod(rcFunction);
}

TDataSetHstmt::~TDataSetHstmt()
{
    statement_->SetOnTerminate({});
}

void TDataSetHstmt::CloseDataSet()
{
    dataSet_->DesignClose();
}

void TDataSetHstmt::DoTerminate(THbase* sender)
{
    (void)sender;
    // While loading nothing is open yet, and a streamed Active must stay for the end of loading. A
    // dataset whose cached changes still wait stays open when its connection goes.
    if (!dataSet_->HasState(csLoading) && !dataSet_->KeepOpenWithoutCursor())
        dataSet_->SetActive(false);
    dataSet_->UnPrepare();
}

std::uint32_t TDataSetHstmt::ConcurrencyType() const
{
    return statement_->ConcurrencyType();
}

void TDataSetHstmt::SetConcurrencyType(std::uint32_t value)
{
    CloseDataSet();
    statement_->SetConcurrencyType(value);
}

std::uint32_t TDataSetHstmt::CursorType() const
{
    return statement_->CursorType();
}

void TDataSetHstmt::SetCursorType(std::uint32_t value)
{
    CloseDataSet();
    statement_->SetCursorType(value);
}

std::uint32_t TDataSetHstmt::RowSetSize() const
{
    return static_cast<std::uint32_t>(statement_->RowSetSize());
}

void TDataSetHstmt::SetRowSetSize(std::uint32_t value)
{
    CloseDataSet();
    statement_->SetRowSetSize(value);
    if (statement_->RowSetSize() > 1)
        dataSet_->SetCached(true);
}

bool TDataSetHstmt::SkipByPosition() const
{
    return statement_->SkipByPosition();
}

void TDataSetHstmt::SetSkipByPosition(bool value)
{
    statement_->SetSkipByPosition(value);
    if (!value && dataSet_->Cached())
        dataSet_->SetCached(false);
}

bool TDataSetHstmt::SkipByCursor() const
{
    return statement_->SkipByCursor();
}

void TDataSetHstmt::SetSkipByCursor(bool value)
{
    statement_->SetSkipByCursor(value);
    if (!value && dataSet_->Cached())
        dataSet_->SetCached(false);
}

bool TDataSetHstmt::BindBookmarks() const
{
    return statement_->BindBookmarks();
}

void TDataSetHstmt::SetBindBookmarks(bool value)
{
    CloseDataSet();
    statement_->SetBindBookmarks(value);
}

std::int32_t TDataSetHstmt::BlobSize() const
{
    return static_cast<std::int32_t>(statement_->BlobSize());
}

void TDataSetHstmt::SetBlobSize(std::int32_t value)
{
    statement_->SetBlobSize(value);
}

bool TDataSetHstmt::BlobDeferral() const
{
    return statement_->BlobDeferral();
}

void TDataSetHstmt::SetBlobDeferral(bool value)
{
    statement_->SetBlobDeferral(value);
}

TBlobPlacement TDataSetHstmt::BlobPlacement() const
{
    return statement_->BlobPlacement();
}

void TDataSetHstmt::SetBlobPlacement(TBlobPlacement value)
{
    statement_->SetBlobPlacement(value);
}

bool TDataSetHstmt::ExecAsync() const
{
    return statement_->ExecAsync();
}

void TDataSetHstmt::SetExecAsync(bool value)
{
    statement_->SetExecAsync(value);
}

TEmptyToNull TDataSetHstmt::EmptyStringToNull() const
{
    return statement_->EmptyStringToNull();
}

void TDataSetHstmt::SetEmptyStringToNull(TEmptyToNull value)
{
    statement_->SetEmptyStringToNull(value);
}

TStringTrimming TDataSetHstmt::StringTrimming() const
{
    return statement_->StringTrimming();
}

void TDataSetHstmt::SetStringTrimming(TStringTrimming value)
{
    statement_->SetStringTrimming(value);
}

bool TDataSetHstmt::BindByName() const
{
    return statement_->BindByName();
}

void TDataSetHstmt::SetBindByName(bool value)
{
    statement_->SetBindByName(value);
}

TRowCountMethod TDataSetHstmt::RowCountMethod() const
{
    return statement_->RowCountMethod();
}

void TDataSetHstmt::SetRowCountMethod(TRowCountMethod value)
{
    statement_->SetRowCountMethod(value);
}

SqlULen TDataSetHstmt::QueryTimeOut() const
{
    return statement_->GetQueryTimeOut();
}

void TDataSetHstmt::SetQueryTimeOut(SqlULen seconds)
{
    statement_->SetQueryTimeOut(seconds);
}

SqlULen TDataSetHstmt::MaxRows() const
{
    return statement_->GetMaxRows();
}

void TDataSetHstmt::SetMaxRows(SqlULen rows)
{
    statement_->SetMaxRows(rows);
}

void* TDataSetHstmt::Handle() const
{
    return statement_->GetHandle();
}

namespace {

// One published option: written when it differs from its default, read through its setter.
template <class Get, class Set>
void DefineInteger(TFiler& filer, const char* name, std::int64_t defaultValue, Get get, Set set)
{
    filer.DefineProperty(
        name, [set](TReader& r) { set(r.ReadInt64()); }, [get](TWriter& w) { w.WriteInteger(get()); },
        get() != defaultValue);
}

template <class Get, class Set> void DefineBoolean(TFiler& filer, const char* name, Get get, Set set)
{
    filer.DefineProperty(
        name, [set](TReader& r) { set(r.ReadBoolean()); }, [get](TWriter& w) { w.WriteBoolean(get()); },
        get());
}

// An enumeration, streamed as its integer; a value outside first..last is refused.
template <class E, class Get, class Set>
void DefineEnum(TFiler& filer, const char* name, E defaultValue, E last, Get get, Set set)
{
    filer.DefineProperty(
        name,
        [set, last](TReader& r) {
            const std::int32_t v = r.ReadInteger();
            if (v < 0 || v > static_cast<std::int32_t>(last))
                throw EReadError("Invalid property value");
            set(static_cast<E>(v));
        },
        [get](TWriter& w) { w.WriteInteger(static_cast<std::int64_t>(get())); }, get() != defaultValue);
}

} // namespace

void TDataSetHstmt::DefineProperties(TFiler& filer)
{
    TPersistent::DefineProperties(filer);
    DefineInteger(
        filer, "ConcurrencyType", 1, [this] { return ConcurrencyType(); },
        [this](std::int64_t v) { SetConcurrencyType(static_cast<std::uint32_t>(v)); });
    DefineInteger(
        filer, "CursorType", 1, [this] { return CursorType(); },
        [this](std::int64_t v) { SetCursorType(static_cast<std::uint32_t>(v)); });
    DefineInteger(
        filer, "RowSetSize", 1, [this] { return RowSetSize(); },
        [this](std::int64_t v) { SetRowSetSize(static_cast<std::uint32_t>(v)); });
    DefineBoolean(
        filer, "SkipByPosition", [this] { return SkipByPosition(); },
        [this](bool v) { SetSkipByPosition(v); });
    DefineBoolean(
        filer, "SkipByCursor", [this] { return SkipByCursor(); }, [this](bool v) { SetSkipByCursor(v); });
    DefineBoolean(
        filer, "BindBookmarks", [this] { return BindBookmarks(); }, [this](bool v) { SetBindBookmarks(v); });
    DefineInteger(
        filer, "BlobSize", 32768, [this] { return BlobSize(); },
        [this](std::int64_t v) { SetBlobSize(static_cast<std::int32_t>(v)); });
    DefineBoolean(
        filer, "BlobDeferral", [this] { return BlobDeferral(); }, [this](bool v) { SetBlobDeferral(v); });
    DefineEnum(
        filer, "BlobPlacement", bpDetect, bpByExec, [this] { return BlobPlacement(); },
        [this](TBlobPlacement v) { SetBlobPlacement(v); });
    DefineBoolean(
        filer, "ExecAsync", [this] { return ExecAsync(); }, [this](bool v) { SetExecAsync(v); });
    DefineEnum(
        filer, "EmptyStringToNull", enNever, enIfNullable, [this] { return EmptyStringToNull(); },
        [this](TEmptyToNull v) { SetEmptyStringToNull(v); });
    DefineEnum(
        filer, "StringTrimming", stTrimTrailing, stTrimBoth, [this] { return StringTrimming(); },
        [this](TStringTrimming v) { SetStringTrimming(v); });
    DefineBoolean(
        filer, "BindByName", [this] { return BindByName(); }, [this](bool v) { SetBindByName(v); });
    DefineEnum(
        filer, "RowCountMethod", rcFunction, rcCustom, [this] { return RowCountMethod(); },
        [this](TRowCountMethod v) { SetRowCountMethod(v); });
    DefineSubProperties(filer, "Target", *target_);
}
