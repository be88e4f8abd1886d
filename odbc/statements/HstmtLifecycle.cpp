// THstmt: construction, Init/Terminate/Close, statement attributes, parsing, prepare and execute.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Check.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/Henv.h"
#include "odbc/statements/NarrowLength.h"
#include "odbc/statements/StatementDiagnostics.h"
#include "platform/os/Clock.h"
#include "platform/os/Pump.h"
#include "platform/os/SystemClock.h"

#include <algorithm>
#include <cctype>

namespace {

SQLCHAR* Text(const std::string& s)
{
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

bool IsNameChar(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           c == '_' || c == '@';
}

// How long an asynchronous execution rests between two polls of the driver: long enough not to
// keep a core busy, short enough that a quick statement is not slowed down noticeably.
constexpr unsigned kAsyncPollMilliseconds = 2;

} // namespace

THstmt::THstmt(TComponent* owner) : THbase(owner)
{
    if (THdbc* connection = FirstHdbc(owner))
        SetHdbc(connection);
    AnnounceInsert();
}

THstmt::~THstmt()
{
    MarkDestroyed();
    try {
        if (initialized_) {
            THenv::ErrorSuppression quiet(GlobalHenv());
            Terminate();
        }
    } catch (...) {
        // Destructors never throw; Terminate called explicitly reports failures.
    }
    // The auxiliary statements go before the members they were created from.
    insertHstmt_.reset();
    updateHstmt_.reset();
    deleteHstmt_.reset();
    refreshHstmt_.reset();
}

void THstmt::DiagnosticHandle(std::int16_t& handleType, void*& handle) const
{
    handleType = SQL_HANDLE_STMT;
    handle = handle_;
}

void THstmt::ResolveLostConnection()
{
    if (hdbc_ != nullptr)
        hdbc_->Resolve();
}

bool THstmt::ConnectionDead() const
{
    return hdbc_ != nullptr && hdbc_->ConnectionDead();
}

const TDriverTraits* THstmt::KnownDriverTraits() const
{
    return hdbc_ != nullptr ? hdbc_->KnownDriverTraits() : nullptr;
}

bool THstmt::Check(std::int16_t rc)
{
    // A call that failed without raising (a vetoed or suppressed failure) ends the operation, and so
    // does a statement that lost its handle on the way (an event handler that ended it, or a lost
    // connection met where no operation of this statement runs).
    return CheckCall(*this, rc) && initialized_;
}

void THstmt::Notification(TComponent* component, TOperation operation)
{
    THbase::Notification(component, operation);
    if (THdbc* offered = OfferedHdbc(component, operation, hdbc_)) {
        SetHdbc(offered);
    } else if (HdbcGoing(component, operation, hdbc_)) {
        // The connection is going: its handle (and this statement's) are being freed by it.
        initialized_ = false;
        handle_ = nullptr;
        hdbc_ = nullptr;
        SetHdbc(nullptr);
    }
}

void THstmt::SetHdbc(THdbc* connection)
{
    Log(1, "THstmt.SetHdbc");
    RunningCall running;
    Terminate();
    FollowHdbc(*this, hdbc_, connection);
}

bool THstmt::Init()
{
    Log(1, "THstmt.Init");
    if (initialized_)
        return true;
    return Operation([this] { return AllocateHandle(); });
}

bool THstmt::AllocateHandle()
{
    if (hdbc_ == nullptr)
        throw RIDIZOrurori("Property Hdbc of " + Name() + " not set.");
    hdbc_->Connect();
    if (!hdbc_->Connected())
        return false;
    SQLHANDLE handle = nullptr;
    const SQLRETURN rc = Oci::SQLAllocHandle(SQL_HANDLE_STMT, hdbc_->GetHandle(), &handle);
    SetRetCode(rc);
    THenv& env = GlobalHenv();
    if (!env.Error().Success(rc)) {
        // The records of a failed allocation are on the connection handle.
        env.Error().RaiseError(this, rc, SQL_HANDLE_DBC, hdbc_->GetHandle());
        return false;
    }
    handle_ = handle;
    initialized_ = true;
    hdbc_->Children().AddChild(this);
    rowArrayByDriver_ = true;
    rowsFetchedByDriver_ = false;
    rowsFetchedPtrSet_ = false;
    resultMayBeOpen_ = false;
    const TDriverTraits& traits = hdbc_->Traits();
    lengthWidthKnown_ = traits.NarrowIndicators;
    narrowLengths_ = traits.NarrowIndicators;
    // The cursor library is chosen before connecting, so it stays what it is for this handle.
    nextBySQLFetch_ = hdbc_->CursorLib() == SQL_CUR_USE_DRIVER;
    rowsetPositioningUnreliable_ = traits.RowsetPositioningUnreliable;
    SetConcurrencyType(concurrencyType_);
    SetCursorType(cursorType_);
    SetRowSetSize(rowSetSize_);
    if (!initialized_)
        return false;
    THbase::Init();
    if (!initialized_)
        return false;
    if ((cursorAttributes_ & SQL_CA1_BOOKMARK) != 0) {
        const bool used = SetStmtAttr(SQL_ATTR_USE_BOOKMARKS, SQL_UB_VARIABLE, true);
        bindBookmarks_ = bindBookmarks_ && used;
    } else {
        bindBookmarks_ = false;
    }
    return initialized_;
}

bool THstmt::Terminate()
{
    Log(1, "THstmt.Terminate");
    RunningCall running;
    THbase::Terminate();
    if (!initialized_)
        return true;
    if (hdbc_ != nullptr)
        hdbc_->Children().RemChild(this);
    // The handle is freed however closing ends.
    struct FreeHandle
    {
        THstmt& s;
        ~FreeHandle()
        {
            if (!s.initialized_)
                return;
            SQLHANDLE handle = s.handle_;
            s.initialized_ = false;
            s.handle_ = nullptr;
            s.impParamDesc_ = nullptr;
            const SQLRETURN rc = Oci::SQLFreeHandle(SQL_HANDLE_STMT, handle);
            s.SetRetCode(rc);
        }
    };
    {
        FreeHandle freeHandle{*this};
        Close();
    }
    return !initialized_;
}

void* THstmt::GetHandle()
{
    Init();
    return handle_;
}

void THstmt::CloseCursor()
{
    RunningCall running;
    if (!Init())
        return;
    if (Check(Oci::SQLFreeStmt(handle_, SQL_CLOSE)))
        resultMayBeOpen_ = false;
}

bool THstmt::CursorStillOpen() const
{
    const std::vector<TErrorRec> records = StatementDiagnostics(handle_);
    return !records.empty() && records.front().State == "24000";
}

bool THstmt::CloseOpenResult()
{
    if (!resultMayBeOpen_)
        return false;
    // NOTE: psqlODBC runs a call with output parameters ("{? = call f(?)}") as a query whose row it
    // holds as an open cursor, while it counts no result columns: executed again unclosed, it fails
    // with "The cursor is open.". Such a statement is closed before every execution.
    const bool outputs = std::any_of(params_.begin(), params_.end(),
                                     [](const auto& rec) { return rec->Direction != SQL_PARAM_INPUT; });
    if (textGivesResult_ < 0 && !outputs) {
        // Asked once per text, at its first execution again: a statement executed only once never
        // asks, and the columns bound for a fetch tell it anyway.
        SQLSMALLINT columns = 0;
        if (colsBound_) {
            textGivesResult_ = numCols_ > 0 ? 1 : 0;
        } else if (GlobalHenv().Error().Success(Oci::SQLNumResultCols(handle_, &columns))) {
            textGivesResult_ = columns > 0 ? 1 : 0;
        }
    }
    if (textGivesResult_ == 0 && !outputs) {
        resultMayBeOpen_ = false;
        return false;
    }
    // Closing a result that is not open does no harm: where it could not be told, it is closed.
    CloseCursor();
    return true;
}

void THstmt::Close()
{
    Log(1, "THstmt.Close");
    RunningCall running;
    CloseCursor();
    FreeParams();
    FreeCols();
    FreeHstmts();
    prepared_ = false;
    executed_ = false;
    textGivesResult_ = -1;
}

void THstmt::FreeParams()
{
    RunningCall running;
    params_.clear();
    paramStatus_.clear();
    paramsProcessed_ = 0;
    // The handle keeps its array attributes; they are set again before the next execution.
    paramsetSize_ = 0;
    paramStatusBound_ = nullptr;
    describedSincePrepare_ = false;
    bulkSize_ = 0;
    impParamDesc_ = nullptr;
    paramNames_.Clear();
    if (initialized_)
        Check(Oci::SQLFreeStmt(handle_, SQL_RESET_PARAMS));
}

void THstmt::FreeCols()
{
    RunningCall running;
    if (initialized_) {
        // The driver must not keep addresses of the arrays that go now.
        SetStmtAttr(SQL_ATTR_ROW_STATUS_PTR, 0, true);
        Check(Oci::SQLFreeStmt(handle_, SQL_UNBIND));
    }
    // Columns freed while a result is open are those of a later result of the same execution: the
    // columns no longer tell whether the text gives a result, and it is closed before each one.
    if (resultMayBeOpen_ && textGivesResult_ < 0)
        textGivesResult_ = 1;
    cols_.clear();
    views_.clear();
    rowStatus_.clear();
    rowFlags_.clear();
    bookmarks_.clear();
    bookmarkInd_.clear();
    numCols_ = 0;
    rowsFetched_ = 0;
    colNames_.Clear();
    FreeColBinds();
    colsBound_ = false;
    fetchBlobs_ = false;
    blobCols_ = 0;
    atEnd_ = false;
}

void THstmt::FreeColBinds()
{
    colBinds_.clear();
}

void THstmt::FreeHstmts()
{
    for (THstmt* aux : {insertHstmt_.get(), updateHstmt_.get(), deleteHstmt_.get(), refreshHstmt_.get()}) {
        if (aux != nullptr)
            aux->SetPrepared(false);
    }
}

TParamRec& THstmt::InsertHead(std::uint16_t param, std::int16_t colType, std::int16_t sqlType, void* value)
{
    auto rec = std::make_unique<TParamRec>();
    rec->Param = param;
    rec->ColType = colType;
    rec->SqlType = sqlType;
    rec->Value = value;
    params_.insert(params_.begin(), std::move(rec));
    return *params_.front();
}

TColRec& THstmt::InsertTail(std::int16_t colType, std::int16_t sqlType)
{
    auto rec = std::make_unique<TColRec>();
    rec->ColType = colType;
    rec->SqlType = sqlType;
    rec->Indicators.assign(rowSetSize_, 0);
    rec->Indicators[0] = SQL_NULL_DATA;
    rec->Ind = rec->Indicators.data();
    rec->IsBlob = sqlType == SQL_LONGVARCHAR || sqlType == SQL_LONGVARBINARY;
    if (rec->IsBlob)
        rec->Blob = std::make_unique<TMemoryStream>();
    cols_.push_back(std::move(rec));
    return *cols_.back();
}

void THstmt::InsertColBind(std::uint16_t col, std::int16_t sqlType)
{
    colBinds_.insert(colBinds_.begin(), TColBindRec{col, sqlType});
}

void THstmt::SetSQL(const std::string& text)
{
    Log(1, "THstmt.SetSQL");
    RunningCall running;
    if (initialized_)
        Close();
    prepared_ = false;
    executed_ = false;
    textGivesResult_ = -1;
    sql_ = text;
}

void THstmt::SetPrepared(bool value)
{
    if (value)
        Prepare();
    else
        prepared_ = false;
}

void THstmt::SetExecuted(bool value)
{
    if (value)
        Execute();
    else
        executed_ = false;
}

std::string THstmt::ParseSQL()
{
    paramNames_.Clear();
    std::string out;
    out.reserve(sql_.size());
    bool inQuote = false;
    const std::size_t n = sql_.size();
    for (std::size_t i = 0; i < n;) {
        const char c = sql_[i];
        if (c == '\'') {
            if (i + 1 < n && sql_[i + 1] == '\'') {
                out += "''";
                i += 2;
                continue;
            }
            inQuote = !inQuote;
            out += c;
            ++i;
        } else if (c == ':' && !inQuote) {
            ++i;
            std::size_t start = i;
            while (i < n && IsNameChar(sql_[i]))
                ++i;
            if (i == start)
                throw RIDIZOrurori("Invalid parameter token in SQL statement.");
            out += '?';
            paramNames_.Add(sql_.substr(start, i - start));
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

const TStringList& THstmt::GetParamNames()
{
    ParseSQL();
    return paramNames_;
}

void THstmt::Prepare()
{
    Log(1, "THstmt.Prepare");
    RunningCall running;
    Close();
    if (!initialized_)
        return;
    DoBeforePrepare();
    const std::string text = ParseSQL();
    if (!Check(Oci::SQLPrepare(handle_, Text(text), SQL_NTS)))
        return;
    DoAfterPrepare();
    prepared_ = true;
}

std::int16_t THstmt::CallExecute(bool prepared, const std::string& text)
{
    return prepared ? Oci::SQLExecute(handle_) : Oci::SQLExecDirect(handle_, Text(text), SQL_NTS);
}

void THstmt::WaitAsync(std::int16_t& rc, const std::function<std::int16_t()>& call)
{
    Clock* clock = clock_;
    SystemClock systemClock;
    if (clock == nullptr)
        clock = &systemClock;
    while (rc == SQL_STILL_EXECUTING) {
        if (pump_ != nullptr)
            pump_->ProcessMessages();
        clock->Sleep(kAsyncPollMilliseconds);
        rc = call();
    }
}

void THstmt::Execute()
{
    Log(1, "THstmt.Execute");
    RunningCall running;
    if (!Init())
        return;
    DoBeforeExecute();
    if (!initialized_)
        return;
    // A result still open from the last execution would make this one fail (24000), and so would
    // preparing the text again for an array.
    const bool closedNow = CloseOpenResult();
    if (!initialized_)
        return;
    RebindMovedValues();
    if (!initialized_ || !BeforeParamExecute())
        return;
    executed_ = false;
    aborted_ = false;
    atEnd_ = false;

    const bool prepared = prepared_;
    std::string text;
    if (!prepared)
        text = ParseSQL();

    std::int16_t rc;
    resultMayBeOpen_ = true;
    if (execAsync_) {
        if (!SetStmtAttr(SQL_ATTR_ASYNC_ENABLE, SQL_ASYNC_ENABLE_ON))
            return;
        rc = CallExecute(prepared, text);
        try {
            WaitAsync(rc, [&] { return CallExecute(prepared, text); });
        } catch (...) {
            // Something the pump ran raised: the statement must not be left running.
            Oci::SQLCancel(handle_);
            SetStmtAttr(SQL_ATTR_ASYNC_ENABLE, SQL_ASYNC_ENABLE_OFF, true);
            throw;
        }
        SetRetCode(rc);
        if (!SetStmtAttr(SQL_ATTR_ASYNC_ENABLE, SQL_ASYNC_ENABLE_OFF))
            return;
    } else {
        rc = CallExecute(prepared, text);
        if (rc == SQL_ERROR && !closedNow && CursorStillOpen()) {
            // A result was open where none was expected: the text leaves one from now on.
            textGivesResult_ = 1;
            CloseCursor();
            if (!initialized_)
                return;
            resultMayBeOpen_ = true;
            rc = CallExecute(prepared, text);
        }
    }
    SetRetCode(rc);

    if (aborted_) {
        executed_ = true;
        Abort();
    }
    if (bulkSize_ > 1 && rc != SQL_SUCCESS && rc != SQL_NEED_DATA && rc != SQL_NO_DATA)
        rc = ResendParamRows(rc, prepared, text);
    if (rc != SQL_NEED_DATA && rc != SQL_NO_DATA && !Check(rc))
        return;
    if (rc == SQL_NEED_DATA) {
        std::vector<TCommonRec*> records;
        records.reserve(params_.size());
        for (const auto& p : params_)
            records.push_back(p.get());
        DataAtExecution(records);
        if (!initialized_)
            return;
        rc = RetCode();
    }
    if (GlobalHenv().Error().Success(rc))
        DoAfterExecute();
    if (!initialized_)
        return;
    // The attribute stays on the handle: set once, not at every execution.
    if (!rowsFetchedPtrSet_) {
        rowsFetchedByDriver_ =
            SetStmtAttr(SQL_ATTR_ROWS_FETCHED_PTR, reinterpret_cast<SqlULen>(&rowsFetched_), true);
        rowsFetchedPtrSet_ = true;
    }
    executed_ = true;
}

bool THstmt::GetStmtAttr(std::int32_t attribute, SqlULen& value)
{
    // NOTE: some drivers (mdbtools) report success without writing anything, and some write only 32
    // bits of an SQLULEN attribute. The buffer is filled with ones: untouched it is a failed read;
    // with only its low half written, the high half is still all ones.
    constexpr SQLULEN untouched = ~SQLULEN{0};
    SQLULEN read = untouched;
    const SQLRETURN rc = Oci::SQLGetStmtAttr(handle_, attribute, &read, sizeof read, nullptr);
    SetRetCode(rc);
    if (!GlobalHenv().Error().Success(rc) || read == untouched)
        return false;
    if ((read >> 32) == 0xFFFFFFFFu)
        read &= 0xFFFFFFFFu;
    value = read;
    return true;
}

bool THstmt::SetStmtAttr(std::int32_t attribute, SqlULen value, bool quiet)
{
    const SQLRETURN rc = Oci::SQLSetStmtAttr(handle_, attribute, reinterpret_cast<SQLPOINTER>(value), 0);
    if (quiet) {
        SetRetCode(rc);
        return GlobalHenv().Error().Success(rc);
    }
    return Check(rc);
}

void THstmt::SetConcurrencyType(std::uint32_t value)
{
    Log(1, "THstmt.SetConcurrencyType");
    RunningCall running;
    concurrencyType_ = value;
    if (!initialized_)
        return;
    Close();
    SqlULen current = 0;
    if (initialized_ && GetStmtAttr(SQL_ATTR_CONCURRENCY, current) && current != value)
        SetStmtAttr(SQL_ATTR_CONCURRENCY, value);
}

void THstmt::SetCursorType(std::uint32_t value)
{
    Log(1, "THstmt.SetCursorType");
    RunningCall running;
    cursorType_ = value;
    if (!initialized_)
        return;
    Close();
    if (!initialized_)
        return;
    switch (value) {
    case SQL_CURSOR_FORWARD_ONLY:
        driverCursorAttributes_ =
            static_cast<std::uint32_t>(hdbc_->GetInfoInteger(SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1));
        break;
    case SQL_CURSOR_KEYSET_DRIVEN:
        driverCursorAttributes_ =
            static_cast<std::uint32_t>(hdbc_->GetInfoInteger(SQL_KEYSET_CURSOR_ATTRIBUTES1));
        break;
    case SQL_CURSOR_DYNAMIC:
        driverCursorAttributes_ =
            static_cast<std::uint32_t>(hdbc_->GetInfoInteger(SQL_DYNAMIC_CURSOR_ATTRIBUTES1));
        break;
    case SQL_CURSOR_STATIC:
        driverCursorAttributes_ =
            static_cast<std::uint32_t>(hdbc_->GetInfoInteger(SQL_STATIC_CURSOR_ATTRIBUTES1));
        break;
    default:
        break;
    }
    UpdateCursorAttributes();
    SqlULen current = 0;
    if (GetStmtAttr(SQL_ATTR_CURSOR_TYPE, current) && current != value)
        SetStmtAttr(SQL_ATTR_CURSOR_TYPE, value);
}

void THstmt::UpdateCursorAttributes()
{
    cursorAttributes_ = driverCursorAttributes_;
    // Bookmarks serve only to come back to a row, which a forward-only cursor cannot do; switching
    // them on costs the drivers work on every row (SQLite about a sixth of its fetch time).
    if (cursorType_ == SQL_CURSOR_FORWARD_ONLY)
        cursorAttributes_ &= ~std::uint32_t{SQL_CA1_BOOKMARK};
    // A driver that positions rows of a rowset unreliably (DriverTraits.h) positions none of them.
    if (rowsetPositioningUnreliable_ && rowSetSize_ > 1)
        cursorAttributes_ &= ~std::uint32_t{SQL_CA1_POS_POSITION | SQL_CA1_POS_UPDATE | SQL_CA1_POS_DELETE |
                                            SQL_CA1_POS_REFRESH};
}

void THstmt::SetRowSetSize(SqlULen value)
{
    Log(1, "THstmt.SetRowSetSize");
    if (value == 0)
        return;
    rowSetSize_ = value;
    UpdateCursorAttributes();
    if (!initialized_)
        return;
    RunningCall running;
    Close();
    if (initialized_)
        ApplyRowArraySize();
}

void THstmt::ApplyRowArraySize()
{
    SqlULen current = 0;
    const bool known = GetStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, current);
    if (known && current == rowSetSize_) {
        rowArrayByDriver_ = true;
        return;
    }
    // A driver that cannot read the attribute back is taken to be at its default of one row.
    if (!known && rowSetSize_ == 1) {
        rowArrayByDriver_ = true;
        return;
    }
    // NOTE: mdbtools refuses SQL_ATTR_ROW_ARRAY_SIZE (HY092 from the driver manager); rowsets are
    // then fetched one row at a time.
    rowArrayByDriver_ = SetStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, rowSetSize_, true);
    if (!rowArrayByDriver_ && rowSetSize_ == 1)
        rowArrayByDriver_ = true;
}

void THstmt::SetBlobSize(SqlLen value)
{
    Log(1, "THstmt.SetBlobSize");
    if (value != blobSize_ && value >= 1025)
        blobSize_ = value;
}

SqlULen THstmt::GetQueryTimeOut()
{
    RunningCall running;
    if (!Init())
        return 0;
    SQLULEN value = 0;
    Check(Oci::SQLGetStmtAttr(handle_, SQL_ATTR_QUERY_TIMEOUT, &value, sizeof value, nullptr));
    return value;
}

void THstmt::SetQueryTimeOut(SqlULen seconds)
{
    RunningCall running;
    if (Init())
        SetStmtAttr(SQL_ATTR_QUERY_TIMEOUT, seconds);
}

SqlULen THstmt::GetMaxRows()
{
    RunningCall running;
    if (!Init())
        return 0;
    SQLULEN value = 0;
    Check(Oci::SQLGetStmtAttr(handle_, SQL_ATTR_MAX_ROWS, &value, sizeof value, nullptr));
    return value;
}

void THstmt::SetMaxRows(SqlULen rows)
{
    RunningCall running;
    if (Init())
        SetStmtAttr(SQL_ATTR_MAX_ROWS, rows);
}

void THstmt::SetParamType(std::int16_t type)
{
    Log(1, "THstmt.SetParamType");
    if (type == SQL_PARAM_INPUT || type == SQL_PARAM_INPUT_OUTPUT || type == SQL_PARAM_OUTPUT)
        paramType_ = type;
}

void THstmt::SetBulkSize(SqlULen rows)
{
    Log(1, "THstmt.SetBulkSize");
    if (rows != 0)
        bulkSize_ = rows;
}

void THstmt::SetTargetTable(const std::string& name)
{
    Log(1, "THstmt.SetTargetTable");
    targetTable_ = name;
}

SqlLen THstmt::GetRowsAffected()
{
    Log(1, "THstmt.NumRowsAffected");
    RunningCall running;
    if (!Init())
        return 0;
    SQLLEN rows = 0;
    Check(Oci::SQLRowCount(handle_, &rows));
    return NarrowLength(rows);
}

std::int16_t THstmt::GetColCount()
{
    Log(1, "THstmt.NumCols");
    RunningCall running;
    if (!Init())
        return 0;
    BindCols();
    return numCols_;
}

void THstmt::AbortQuery()
{
    if (aborted_)
        return;
    aborted_ = true;
    if (initialized_)
        Oci::SQLCancel(handle_);
}

void THstmt::DoBeforePrepare()
{
    if (beforePrepare_)
        beforePrepare_(this);
}

void THstmt::DoAfterPrepare()
{
    if (afterPrepare_)
        afterPrepare_(this);
}

void THstmt::DoBeforeExecute()
{
    if (beforeExecute_)
        beforeExecute_(this);
}

void THstmt::DoAfterExecute()
{
    if (afterExecute_)
        afterExecute_(this);
}

void THstmt::DoBeforeFetch()
{
    if (beforeFetch_)
        beforeFetch_(this);
}

void THstmt::DoAfterFetch()
{
    if (afterFetch_)
        afterFetch_(this);
}

std::int32_t THstmt::DoRowCount()
{
    return onRowCount_ ? onRowCount_(this) : -1;
}
