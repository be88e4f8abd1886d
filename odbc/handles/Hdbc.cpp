#include "odbc/handles/Hdbc.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Check.h"
#include "odbc/handles/Henv.h"
#include "odbc/handles/RunningCall.h"
#include "platform/core/StringUtils.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

namespace {

// One braced value as a connect string writes it: "{", text in which every "}" is doubled, "}".
bool IsBracedValue(const std::string& value)
{
    if (value.size() < 2 || value.front() != '{')
        return false;
    for (std::size_t i = 1; i < value.size(); ++i) {
        if (value[i] != '}')
            continue;
        if (i + 1 == value.size())
            return true;
        if (value[i + 1] != '}')
            return false; // closes before the end: more follows
        ++i;
    }
    return false; // never closed
}

// A connect-string value that would otherwise end its attribute or start a braced one goes in
// braces, with "}" doubled as ODBC asks. A value braced already ("{SQLite3}") is meant as it is:
// braced again the driver manager would look for a driver named "{SQLite3}".
std::string ConnectValue(const std::string& value)
{
    if (value.find_first_of(";{}") == std::string::npos || IsBracedValue(value))
        return value;
    std::string braced = "{";
    for (char c : value) {
        braced += c;
        if (c == '}')
            braced += '}';
    }
    return braced + "}";
}

SQLCHAR* Text(const std::string& s)
{
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

// NOTE: unixODBC answers SQL_DRIVER_HDBC, SQL_DRIVER_HENV and SQL_DRIVER_HLIB itself with a full
// SQLULEN whatever the buffer length says, and drivers ignore the length of numeric answers. The
// answer is therefore read into a zeroed SQLULEN; a 2- or 4-byte answer fills its low end.
SQLRETURN ReadInfoValue(SQLHDBC handle, std::uint16_t infoType, std::size_t width, SQLULEN& value)
{
    static_assert(std::endian::native == std::endian::little, "a narrow answer must be the low end");
    value = 0;
    return Oci::SQLGetInfo(handle, infoType, &value, static_cast<SQLSMALLINT>(width), nullptr);
}

} // namespace

THdbc::THdbc(TComponent* owner) : THbase(owner)
{
    AnnounceInsert();
}

THdbc::~THdbc()
{
    MarkDestroyed();
    try {
        // Both the environment this joined and the one the error path reaches now (they differ
        // only with an environment per thread) stay quiet while the connection goes.
        THenv* joined = JoinedEnv();
        THenv* current = CurrentHenv();
        std::optional<THenv::ErrorSuppression> quietJoined, quietCurrent;
        if (joined != nullptr)
            quietJoined.emplace(*joined);
        if (current != nullptr && current != joined)
            quietCurrent.emplace(*current);
        if (joined != nullptr || current != nullptr)
            Terminate();
        // A handle the driver manager would not free goes with this object; the environment must
        // not keep it listed.
        if (THenv* env = JoinedEnv())
            env->Children().RemChild(this);
    } catch (...) {
        // Destructors never throw; Disconnect and Terminate called explicitly report failures.
    }
}

THenv* THdbc::JoinedEnv() const
{
    return joined_ != nullptr ? static_cast<THenv*>(*joined_) : nullptr;
}

void THdbc::DiagnosticHandle(std::int16_t& handleType, void*& handle) const
{
    handleType = SQL_HANDLE_DBC;
    handle = handle_;
}

void* THdbc::GetHandle()
{
    Init();
    return handle_;
}

bool THdbc::Init()
{
    Log(1, "THdbc.Init");
    RunningCall running;
    if (initialized_)
        return true;
    if (pendingPooling_) {
        pendingPooling_ = false;
        GlobalHenv().SetConnectionPooling(pendingPoolingValue_);
    }
    THenv& env = GlobalHenv();
    SQLHANDLE handle = nullptr;
    const SQLRETURN rc = Oci::SQLAllocHandle(SQL_HANDLE_DBC, env.Handle(), &handle);
    SetRetCode(rc);
    if (!env.Error().Success(rc)) {
        // The records of a failed allocation are on the environment handle; this connection has
        // no handle to read them from (and must not try to allocate one to do so).
        env.Error().RaiseError(this, rc, SQL_HANDLE_ENV, env.Handle());
        return false;
    }
    handle_ = handle;
    initialized_ = true;
    joined_ = env.LifeToken();
    env.Children().AddChild(this);
    SetCursorLib(cursorLib_);
    THbase::Init();
    return true;
}

bool THdbc::Terminate()
{
    Log(1, "THdbc.Terminate");
    RunningCall running;
    THbase::Terminate();
    if (!initialized_)
        return true;
    children_.Terminate();
    if (connected_)
        Disconnect();
    if (openOnDriver_) {
        // The disconnect failed without raising (destroyed or dropped with a transaction open, or a
        // vetoed failure). The driver manager frees no connection it still holds open: left so,
        // the handle would be lost with its transaction holding the database's locks.
        Oci::SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK);
        if (SQL_SUCCEEDED(Oci::SQLDisconnect(handle_)))
            openOnDriver_ = false;
    }
    const SQLRETURN rc = Oci::SQLFreeHandle(SQL_HANDLE_DBC, handle_);
    SetRetCode(rc);
    // Reported through the environment this joined, whichever GlobalHenv gives now.
    THenv* joined = JoinedEnv();
    THenv& env = joined != nullptr ? *joined : GlobalHenv();
    if (SQL_SUCCEEDED(rc)) {
        env.Children().RemChild(this);
        joined_.reset();
        handle_ = nullptr;
        initialized_ = false;
    }
    // A handle that was not freed is kept (and stays listed), so that a later Terminate frees it.
    if (!env.Error().Success(rc))
        env.Error().RaiseError(this, rc, SQL_HANDLE_DBC, handle_);
    return !initialized_;
}

std::string THdbc::BuildConnectString() const
{
    std::string s;
    if (!dataSource_.empty())
        s += "DSN=" + ConnectValue(dataSource_) + ";";
    if (!userName_.empty())
        s += "UID=" + ConnectValue(userName_) + ";";
    if (!password_.empty())
        s += "PWD=" + ConnectValue(password_) + ";";
    if (!driver_.empty())
        s += "DRIVER=" + ConnectValue(driver_) + ";";
    for (const std::string& line : attributes_.Lines())
        s += line + ";";
    return s;
}

void THdbc::Connect()
{
    Log(1, "THdbc.Connect");
    RunningCall running;
    if (!Init())
        return;
    if (connected_)
        return;
    DoBeforeConnect();
    SetCursorLib(cursorLib_);
    SQLRETURN rc;
    if (infoPrompt_ == 0 && driver_.empty() && attributes_.Count() == 0) {
        rc = Oci::SQLConnect(handle_, Text(dataSource_), SQL_NTS, Text(userName_), SQL_NTS, Text(password_),
                             SQL_NTS);
    } else {
        const std::string connectString = BuildConnectString();
        SQLCHAR completed[256] = {};
        SQLSMALLINT completedLength = 0;
        rc = Oci::SQLDriverConnect(handle_, static_cast<SQLHWND>(GlobalHenv().GetWinHandle()),
                                   Text(connectString), SQL_NTS, completed,
                                   static_cast<SQLSMALLINT>(sizeof completed), &completedLength, infoPrompt_);
    }
    // The driver manager may hold the connection open even where the check below refuses it
    // (success with information in SuccessOnlyMode).
    openOnDriver_ = SQL_SUCCEEDED(rc);
    // A failed connect (vetoed or suppressed) never counts as connected.
    if (!CheckCall(*this, rc))
        return;
    connected_ = true;
    traits_ = TDriverTraits{};
    traitsLearned_ = false;
    SetIsolationLevel(isolationLevel_);
    traits_.DescribesMarkers = GetFunction(SQL_API_SQLDESCRIBEPARAM);
    core_ = !traits_.DescribesMarkers;
    DoAfterConnect();
}

void THdbc::Disconnect()
{
    Log(1, "THdbc.Disconnect");
    RunningCall running;
    if (!connected_)
        return;
    DoBeforeDisconnect();
    children_.Terminate();
    const SQLRETURN rc = Oci::SQLDisconnect(handle_);
    if (SQL_SUCCEEDED(rc))
        openOnDriver_ = false;
    CheckCall(*this, rc);
    connected_ = false;
    traits_ = TDriverTraits{};
    traitsLearned_ = false;
    DoAfterDisconnect();
}

void THdbc::Resolve()
{
    THenv* joined = JoinedEnv();
    THenv& env = joined != nullptr ? *joined : GlobalHenv();
    THenv::ErrorSuppression quiet(env);
    Terminate();
}

void THdbc::DesignDisconnect()
{
    if (HasState(csDesigning) && connected_)
        SetConnected(false);
}

void THdbc::RegisterChild(THbase* child)
{
    children_.AddChild(child);
    FreeNotification(child);
}

void THdbc::UnregisterChild(THbase* child)
{
    children_.RemChild(child);
    RemoveFreeNotification(child);
}

void THdbc::Notification(TComponent* component, TOperation operation)
{
    THbase::Notification(component, operation);
    // A statement destroyed without unregistering must not stay in the list.
    if (operation == opRemove)
        children_.RemComponent(component);
}

void THdbc::SetConnected(bool value)
{
    if (HasState(csLoading)) {
        streamedConnected_ = value;
        return;
    }
    if (value)
        Connect();
    else
        Disconnect();
}

void THdbc::SetDriver(const std::string& value)
{
    DesignDisconnect();
    driver_ = value;
}

void THdbc::SetDataSource(const std::string& value)
{
    DesignDisconnect();
    dataSource_ = value;
}

void THdbc::SetUserName(const std::string& value)
{
    DesignDisconnect();
    userName_ = value;
}

void THdbc::SetPassword(const std::string& value)
{
    DesignDisconnect();
    password_ = value;
}

void THdbc::SetAttributes(const TStringList& value)
{
    DesignDisconnect();
    attributes_.Assign(value);
}

void THdbc::SetConnectAttr(std::int32_t attribute, std::uintptr_t value)
{
    RunningCall running;
    CheckCall(*this, Oci::SQLSetConnectAttr(handle_, attribute, reinterpret_cast<SQLPOINTER>(value), 0));
}

bool THdbc::ConnectionDead() const
{
    if (!connected_ || handle_ == nullptr)
        return false;
    // Left as it is by a driver that does not know the attribute (or says success without writing).
    SQLUINTEGER dead = SQL_CD_FALSE;
    try {
        const SQLRETURN rc =
            Oci::SQLGetConnectAttr(handle_, SQL_ATTR_CONNECTION_DEAD, &dead, sizeof dead, nullptr);
        return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
    } catch (...) {
        return false; // asked while a failure is being reported: nothing may come of it
    }
}

bool THdbc::GetConnectAttr(std::int32_t attribute, std::uint32_t& value)
{
    // NOTE: unixODBC answers SQL_ATTR_ODBC_CURSORS itself with a full SQLULEN, drivers answer with
    // 32 bits, and some (mdbtools) report success without writing anything. The buffer is therefore
    // SQLULEN wide and filled with ones: untouched it is a failed read, with only its low half
    // written the high half is still all ones.
    constexpr SQLULEN untouched = ~SQLULEN{0};
    SQLULEN read = untouched;
    const SQLRETURN rc = Oci::SQLGetConnectAttr(handle_, attribute, &read, sizeof read, nullptr);
    SetRetCode(rc);
    if (!GlobalHenv().Error().Success(rc) || read == untouched)
        return false;
    value = static_cast<std::uint32_t>(read); // a 32-bit answer is the low half
    return true;
}

void THdbc::SetCursorLib(std::uint32_t value)
{
    Log(1, "THdbc.SetCursorLib");
    RunningCall running;
    if (connected_)
        Disconnect();
    cursorLib_ = value;
    if (!initialized_)
        return;
    std::uint32_t current = 0;
    if (GetConnectAttr(SQL_ATTR_ODBC_CURSORS, current) && current != value)
        SetConnectAttr(SQL_ATTR_ODBC_CURSORS, value);
}

void THdbc::SetIsolationLevel(std::uint32_t value)
{
    Log(1, "THdbc.SetIsolationLevel");
    RunningCall running;
    isolationLevel_ = value;
    if (!initialized_)
        return;
    std::uint32_t current = 0;
    if (GetConnectAttr(SQL_ATTR_TXN_ISOLATION, current) && current != value)
        SetConnectAttr(SQL_ATTR_TXN_ISOLATION, value);
}

std::uint32_t THdbc::GetLoginTimeOut()
{
    RunningCall running;
    Init();
    SQLULEN value = 0; // wide enough whether the driver writes 32 or 64 bits
    CheckCall(*this, Oci::SQLGetConnectAttr(handle_, SQL_ATTR_LOGIN_TIMEOUT, &value, sizeof value, nullptr));
    return static_cast<std::uint32_t>(value);
}

void THdbc::SetLoginTimeOut(std::uint32_t seconds)
{
    RunningCall running;
    Init();
    SetConnectAttr(SQL_ATTR_LOGIN_TIMEOUT, seconds);
}

void THdbc::SetTracing(bool value)
{
    RunningCall running;
    Init();
    if (value == tracing_)
        return;
    if (value) {
        SetConnectAttr(SQL_ATTR_TRACE, SQL_OPT_TRACE_ON);
        static const char traceFile[] = "TRACE.OE";
        CheckCall(*this,
                  Oci::SQLSetConnectAttr(handle_, SQL_ATTR_TRACEFILE, const_cast<char*>(traceFile), SQL_NTS));
    } else {
        SetConnectAttr(SQL_ATTR_TRACE, SQL_OPT_TRACE_OFF);
    }
    tracing_ = value;
}

void THdbc::SetCore(bool value)
{
    RunningCall running;
    Connect();
    core_ = value;
}

TConnectionPooling THdbc::GetConnectionPooling() const
{
    if (pendingPooling_)
        return pendingPoolingValue_;
    THenv* env = CurrentHenv();
    return env != nullptr ? env->ConnectionPooling() : GlobalHenv().ConnectionPooling();
}

void THdbc::SetConnectionPooling(TConnectionPooling value)
{
    if (HasState(csLoading)) {
        pendingPooling_ = true;
        pendingPoolingValue_ = value;
        return;
    }
    GlobalHenv().SetConnectionPooling(value);
}

void THdbc::StartTransact()
{
    RunningCall running;
    Connect();
    SetConnectAttr(SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF);
}

void THdbc::Commit()
{
    RunningCall running;
    Connect();
    CheckCall(*this, Oci::SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_COMMIT));
}

void THdbc::Rollback()
{
    RunningCall running;
    Connect();
    CheckCall(*this, Oci::SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK));
}

void THdbc::EndTransact()
{
    RunningCall running;
    Commit();
    SetConnectAttr(SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_ON);
}

const TDriverTraits& THdbc::Traits()
{
    if (connected_ && !traitsLearned_) {
        traitsLearned_ = true;
        traits_.LearnNames(GetInfoString(SQL_DBMS_NAME), GetInfoString(SQL_DRIVER_NAME));
        traits_.NeedsLongDataLength = GetInfoString(SQL_NEED_LONG_DATA_LEN).rfind('Y', 0) == 0;
    }
    return traits_;
}

bool THdbc::GetFunction(std::uint16_t functionId)
{
    if (functionId == SQL_API_ALL_FUNCTIONS || functionId == SQL_API_ODBC3_ALL_FUNCTIONS)
        throw RIDIZOrurori("Cannot return information for more than one function at a time.");
    if (!Init())
        return false;
    SQLUSMALLINT supported = SQL_FALSE;
    const SQLRETURN rc = Oci::SQLGetFunctions(handle_, functionId, &supported);
    SetRetCode(rc);
    return GlobalHenv().Error().Success(rc) && supported == SQL_TRUE;
}

std::string THdbc::GetInfoString(std::uint16_t infoType)
{
    if (!Init())
        return {};
    // Lists such as SQL_KEYWORDS are longer than any buffer chosen beforehand: a value cut to the
    // buffer is read again, whole, into one as long as the driver said.
    std::vector<SQLCHAR> buffer(256);
    SQLSMALLINT length = 0;
    SQLRETURN rc =
        Oci::SQLGetInfo(handle_, infoType, buffer.data(), static_cast<SQLSMALLINT>(buffer.size()), &length);
    if (SQL_SUCCEEDED(rc) && length >= static_cast<SQLSMALLINT>(buffer.size())) {
        buffer.assign(std::min<std::size_t>(static_cast<std::size_t>(length) + 1, 32767), 0);
        rc = Oci::SQLGetInfo(handle_, infoType, buffer.data(), static_cast<SQLSMALLINT>(buffer.size()),
                             &length);
    }
    SetRetCode(rc);
    if (!GlobalHenv().Error().Success(rc))
        return {};
    const auto* text = reinterpret_cast<const char*>(buffer.data());
    return std::string(text, strnlen(text, buffer.size()));
}

std::int16_t THdbc::GetInfoSmallint(std::uint16_t infoType)
{
    if (!Init())
        return 0;
    SQLULEN value = 0;
    const SQLRETURN rc = ReadInfoValue(handle_, infoType, sizeof(SQLSMALLINT), value);
    SetRetCode(rc);
    return GlobalHenv().Error().Success(rc) ? static_cast<std::int16_t>(value) : std::int16_t{0};
}

std::int32_t THdbc::GetInfoInteger(std::uint16_t infoType)
{
    if (!Init())
        return 0;
    SQLULEN value = 0;
    const SQLRETURN rc = ReadInfoValue(handle_, infoType, sizeof(SQLINTEGER), value);
    SetRetCode(rc);
    return GlobalHenv().Error().Success(rc) ? static_cast<std::int32_t>(value) : 0;
}

void THdbc::DoBeforeConnect()
{
    if (beforeConnect_)
        beforeConnect_(this);
}

void THdbc::DoAfterConnect()
{
    if (afterConnect_)
        afterConnect_(this);
}

void THdbc::DoBeforeDisconnect()
{
    if (beforeDisconnect_)
        beforeDisconnect_(this);
}

void THdbc::DoAfterDisconnect()
{
    if (afterDisconnect_)
        afterDisconnect_(this);
}

void THdbc::DefineProperties(TFiler& filer)
{
    THbase::DefineProperties(filer);
    filer.DefineProperty(
        "Connected", [this](TReader& r) { SetConnected(r.ReadBoolean()); },
        [this](TWriter& w) { w.WriteBoolean(connected_); }, connected_);
    DefineTextProperty(filer, "Driver", driver_, [this](const std::string& v) { SetDriver(v); });
    DefineTextProperty(filer, "DataSource", dataSource_, [this](const std::string& v) { SetDataSource(v); });
    DefineTextProperty(filer, "UserName", userName_, [this](const std::string& v) { SetUserName(v); });
    DefineTextProperty(filer, "Password", password_, [this](const std::string& v) { SetPassword(v); });
    DefineLinesProperty(filer, "Attributes", attributes_, [this](const TStringList& v) { SetAttributes(v); });
    filer.DefineProperty(
        "IsolationLevel",
        [this](TReader& r) { SetIsolationLevel(static_cast<std::uint32_t>(r.ReadInt64())); },
        [this](TWriter& w) { w.WriteInteger(isolationLevel_); }, isolationLevel_ != 2);
    filer.DefineProperty(
        "InfoPrompt", [this](TReader& r) { infoPrompt_ = static_cast<std::uint16_t>(r.ReadInteger()); },
        [this](TWriter& w) { w.WriteInteger(infoPrompt_); }, infoPrompt_ != 0);
    filer.DefineProperty(
        "CursorLib", [this](TReader& r) { SetCursorLib(static_cast<std::uint32_t>(r.ReadInt64())); },
        [this](TWriter& w) { w.WriteInteger(cursorLib_); }, cursorLib_ != 2);
    filer.DefineProperty(
        "ConnectionPooling",
        [this](TReader& r) {
            const std::int32_t value = r.ReadInteger();
            if (value < cpDefault || value > cpOnePerEnv)
                throw EReadError("Invalid property value");
            SetConnectionPooling(static_cast<TConnectionPooling>(value));
        },
        [this](TWriter& w) { w.WriteInteger(GetConnectionPooling()); }, true);
    filer.DefineProperty(
        "Version", [this](TReader& r) { SetVersion(r.ReadString()); },
        [this](TWriter& w) { w.WriteString(GetVersion()); }, true);
}

void THdbc::ReaderError(TReader& reader, const std::string& message, bool& handled)
{
    (void)reader;
    handled = message.find("ConnectionPooling") != std::string::npos ||
              message.find("OnConnect") != std::string::npos ||
              message.find("OnDisconnect") != std::string::npos;
}

void THdbc::ReadState(TReader& reader)
{
    reader.ReadComponentProperties(*this, [this](TReader& r, const std::string& message, bool& handled) {
        ReaderError(r, message, handled);
    });
}

void THdbc::Loaded()
{
    RunningCall running;
    THbase::Loaded();
    if (!streamedConnected_)
        return;
    streamedConnected_ = false;
    try {
        Connect();
    } catch (EODBC& e) {
        e.Detail("Cannot connect " + Name() + " to database.");
    }
}

bool IsDriver(THdbc& connection, const std::vector<std::string>& names)
{
    const TDriverTraits& traits = connection.Traits();
    const std::string actual = UpperCase(traits.DbmsName + ";" + traits.DriverName);
    for (const std::string& name : names) {
        if (UpperCase(name) == actual)
            return true;
    }
    return false;
}

THdbc* FirstHdbc(const TComponent* owner)
{
    if (owner == nullptr)
        return nullptr;
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        if (auto* connection = dynamic_cast<THdbc*>(owner->Components(i)))
            return connection;
    }
    return nullptr;
}

void FollowHdbc(TComponent& follower, THdbc*& followed, THdbc* next)
{
    if (followed != nullptr && followed != next)
        follower.RemoveFreeNotification(followed);
    followed = next;
    if (followed != nullptr)
        follower.FreeNotification(followed);
}

THdbc* OfferedHdbc(TComponent* component, TOperation operation, const THdbc* followed)
{
    if (operation != opInsert || followed != nullptr)
        return nullptr;
    return dynamic_cast<THdbc*>(component);
}

bool HdbcGoing(const TComponent* component, TOperation operation, const THdbc* followed)
{
    return operation == opRemove && component != nullptr && followed != nullptr &&
           component == static_cast<const TComponent*>(followed);
}

THdbc* TakeStreamedHdbc(const TComponent* owner, std::string& name)
{
    const std::string taken = std::move(name);
    name.clear();
    if (owner == nullptr || taken.empty())
        return nullptr;
    return dynamic_cast<THdbc*>(owner->FindComponent(taken));
}
