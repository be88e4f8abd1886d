// THstmt: the published properties as form resources store them.
#include "odbc/statements/Hstmt.h"

#include "odbc/handles/Hdbc.h"

void THstmt::DefineProperties(TFiler& filer)
{
    THbase::DefineProperties(filer);
    // The connection is stored by name and found among the owner's components once loading ends
    // (it may come later in the resource).
    filer.DefineProperty(
        "hDbc", [this](TReader& r) { streamedHdbc_ = r.ReadString(); },
        [this](TWriter& w) { w.WriteString(hdbc_->Name()); }, hdbc_ != nullptr && !hdbc_->Name().empty());
    filer.DefineProperty(
        "SQL", [this](TReader& r) { SetSQL(r.ReadString()); }, [this](TWriter& w) { w.WriteString(sql_); },
        !sql_.empty());
    const auto number = [&](const char* name, auto get, auto set, std::int64_t defaultValue) {
        filer.DefineProperty(
            name, [this, set](TReader& r) { set(*this, r.ReadInt64()); },
            [this, get](TWriter& w) { w.WriteInteger(get(*this)); }, get(*this) != defaultValue);
    };
    const auto flag = [&](const char* name, bool THstmt::*field, bool defaultValue) {
        filer.DefineProperty(
            name, [this, field](TReader& r) { this->*field = r.ReadBoolean(); },
            [this, field](TWriter& w) { w.WriteBoolean(this->*field); }, this->*field != defaultValue);
    };
    number(
        "ConcurrencyType", [](THstmt& s) -> std::int64_t { return s.concurrencyType_; },
        [](THstmt& s, std::int64_t v) { s.SetConcurrencyType(static_cast<std::uint32_t>(v)); }, 1);
    number(
        "CursorType", [](THstmt& s) -> std::int64_t { return s.cursorType_; },
        [](THstmt& s, std::int64_t v) { s.SetCursorType(static_cast<std::uint32_t>(v)); }, 0);
    number(
        "RowSetSize", [](THstmt& s) -> std::int64_t { return static_cast<std::int64_t>(s.rowSetSize_); },
        [](THstmt& s, std::int64_t v) { s.SetRowSetSize(static_cast<SqlULen>(v)); }, 1);
    flag("SkipByPosition", &THstmt::skipByPosition_, false);
    flag("SkipByCursor", &THstmt::skipByCursor_, false);
    flag("BindBookmarks", &THstmt::bindBookmarks_, false);
    number(
        "BlobSize", [](THstmt& s) -> std::int64_t { return s.blobSize_; },
        [](THstmt& s, std::int64_t v) { s.SetBlobSize(static_cast<SqlLen>(v)); }, 32768);
    flag("BlobDeferral", &THstmt::blobDeferral_, false);
    number(
        "BlobPlacement", [](THstmt& s) -> std::int64_t { return s.blobPlacement_; },
        [](THstmt& s, std::int64_t v) {
            if (v < bpDetect || v > bpByExec)
                throw EReadError("Invalid property value");
            s.blobPlacement_ = static_cast<TBlobPlacement>(v);
        },
        bpDetect);
    flag("ExecAsync", &THstmt::execAsync_, false);
    number(
        "EmptyStringToNull", [](THstmt& s) -> std::int64_t { return s.emptyStringToNull_; },
        [](THstmt& s, std::int64_t v) {
            if (v < enNever || v > enIfNullable)
                throw EReadError("Invalid property value");
            s.emptyStringToNull_ = static_cast<TEmptyToNull>(v);
        },
        enNever);
    number(
        "StringTrimming", [](THstmt& s) -> std::int64_t { return s.stringTrimming_; },
        [](THstmt& s, std::int64_t v) {
            if (v < stNone || v > stTrimBoth)
                throw EReadError("Invalid property value");
            s.stringTrimming_ = static_cast<TStringTrimming>(v);
        },
        stTrimTrailing);
    flag("BindByName", &THstmt::bindByName_, false);
    number(
        "RowCountMethod", [](THstmt& s) -> std::int64_t { return s.rowCountMethod_; },
        [](THstmt& s, std::int64_t v) {
            if (v < rcFunction || v > rcCustom)
                throw EReadError("Invalid property value");
            s.rowCountMethod_ = static_cast<TRowCountMethod>(v);
        },
        rcFunction);
}

void THstmt::ReaderError(TReader& reader, const std::string& message, bool& handled)
{
    (void)reader;
    handled = message.find("OnPrepare") != std::string::npos ||
              message.find("OnExecute") != std::string::npos || message.find("OnFetch") != std::string::npos;
}

void THstmt::ReadState(TReader& reader)
{
    reader.ReadComponentProperties(*this, [this](TReader& r, const std::string& message, bool& handled) {
        ReaderError(r, message, handled);
    });
}

void THstmt::Loaded()
{
    THbase::Loaded();
    if (THdbc* connection = TakeStreamedHdbc(Owner(), streamedHdbc_))
        SetHdbc(connection);
}
