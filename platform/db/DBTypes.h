#pragma once
// The enumerations and small types of the dataset model. Numbering follows the class library,
// because stored forms and the ODBC type maps rely on it.
#include <cstdint>
#include <vector>

enum TFieldType : std::uint8_t
{
    ftUnknown = 0,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo, // 16
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid
};

// The class library's display name of a field type ("String", "Integer" ...).
const char* FieldTypeName(TFieldType type);

enum TFieldKind : std::uint8_t
{
    fkData,
    fkCalculated,
    fkLookup
};

enum TDataSetState : std::uint8_t
{
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue
};

// States in which field values may be written.
inline bool IsWriteState(TDataSetState s)
{
    return s == dsEdit || s == dsInsert || s == dsSetKey || s == dsCalcFields || s == dsFilter ||
           s == dsNewValue;
}

enum TBookmarkFlag : std::uint8_t
{
    bfCurrent = 0,
    bfBOF,
    bfEOF,
    bfInserted
};

enum TUpdateStatus : std::uint8_t
{
    usUnmodified = 0,
    usModified,
    usInserted,
    usDeleted
};

enum TUpdateKind : std::uint8_t
{
    ukModify = 0,
    ukInsert,
    ukDelete
};

enum TGetMode : std::uint8_t
{
    gmCurrent,
    gmNext,
    gmPrior
};

enum TGetResult : std::uint8_t
{
    grOK,
    grBOF,
    grEOF,
    grError
};

// Sets are bit masks: Resync(rmExact | rmCenter), Locate(..., loCaseInsensitive).
using TResyncMode = unsigned;
inline constexpr TResyncMode rmExact = 1u << 0;
inline constexpr TResyncMode rmCenter = 1u << 1;

using TLocateOptions = unsigned;
inline constexpr TLocateOptions loCaseInsensitive = 1u << 0;
inline constexpr TLocateOptions loPartialKey = 1u << 1;

using TUpdateStatusSet = unsigned;
inline constexpr TUpdateStatusSet UpdateStatusBit(TUpdateStatus s)
{
    return 1u << s;
}

enum TBlobStreamMode : std::uint8_t
{
    bmRead,
    bmWrite,
    bmReadWrite
};

enum TParamType : std::uint8_t
{
    ptUnknown,
    ptInput,
    ptOutput,
    ptInputOutput,
    ptResult
};

// What an OnEditError / OnPostError / OnDeleteError handler asks for.
enum TDataAction : std::uint8_t
{
    daFail,
    daAbort,
    daRetry
};

// Events a dataset sends to its data sources and their links. Info is the field for
// deFieldChange, the scroll distance for deDataSetScroll, 0 otherwise.
enum TDataEvent : std::uint8_t
{
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,
    deParentScroll,
    deConnectChange,
    deReconcileError,
    deDisabledStateChange
};

// A record buffer: plain bytes laid out by the dataset. Slots inside are unaligned; read and write
// them with memcpy.
using TRecordBuffer = std::uint8_t*;

// A bookmark: BookmarkSize bytes copied out of a record buffer. Empty means "no bookmark" (the
// cursor has none, or the record is not a current one); an empty bookmark is never compared.
using TBookmark = std::vector<std::uint8_t>;
