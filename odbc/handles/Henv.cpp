#include "odbc/handles/Henv.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/handles/RunningCall.h"

bool ThreadedHenv = false;

namespace {

// The environment's first call loads the driver manager. A failed load is raised as an EODBC that
// keeps the library's message and adds a record naming the file tried and the loader's reason; as
// no ODBC call failed, it is not offered to OnException.
template <class Call> auto LoadingDriverManager(Call call)
{
    try {
        return call();
    } catch (const Oci::ELoadError& e) {
        throw EODBC(
            nullptr, SQL_ERROR,
            {TErrorRec{"", 0, e.Message()}, TErrorRec{"", 0, "Cannot load " + e.File() + ": " + e.Reason()}});
    }
}

// The environment stays in its slot while it is destroyed: the connections it terminates report
// through GlobalHenv, which must find this environment (quiet while it goes) rather than create a
// new one. The slot is emptied afterwards.
struct HenvSlot
{
    std::unique_ptr<THenv> env;
    ~HenvSlot() { Reset(); }
    void Reset()
    {
        if (!env)
            return;
        THenv* going = env.get();
        going->TerminateHandleQuietly();
        delete going;
        (void)env.release();
    }
};

// Function-local so that it is destroyed before the driver-manager library it calls into.
HenvSlot& ProcessSlot()
{
    static HenvSlot slot;
    return slot;
}

HenvSlot& ThreadSlot()
{
    thread_local HenvSlot slot;
    return slot;
}

HenvSlot& ActiveSlot()
{
    return ThreadedHenv ? ThreadSlot() : ProcessSlot();
}

} // namespace

THenv& GlobalHenv()
{
    HenvSlot& slot = ActiveSlot();
    if (!slot.env)
        slot.env = std::make_unique<THenv>(nullptr);
    return *slot.env;
}

THenv* CurrentHenv()
{
    return ActiveSlot().env.get();
}

void ClearHenv()
{
    ThreadSlot().Reset();
}

THenv::THenv(TComponent* owner) : THbase(owner)
{
    Init();
}

THenv::~THenv()
{
    MarkDestroyed();
    // Destructors never throw; an explicit TerminateHandle reports what fails.
    TerminateHandleQuietly();
}

void THenv::Check(std::int16_t rc)
{
    SetRetCode(rc);
    if (!error_.Success(rc))
        error_.RaiseError(this, rc);
}

void THenv::DiagnosticHandle(std::int16_t& handleType, void*& handle) const
{
    handleType = SQL_HANDLE_ENV;
    handle = handle_;
}

bool THenv::Init()
{
    Log(1, "THenv.Init");
    RunningCall running;
    if (initialized_)
        return true;
    if (pooling_ != cpDefault) {
        const SQLUINTEGER wanted = pooling_ == cpOff            ? SQL_CP_OFF
                                   : pooling_ == cpOnePerDriver ? SQL_CP_ONE_PER_DRIVER
                                                                : SQL_CP_ONE_PER_HENV;
        SQLULEN current = wanted; // wide enough whether 32 or 64 bits come back
        const SQLRETURN rc = LoadingDriverManager(
            [&] { return Oci::SQLGetEnvAttr(nullptr, SQL_ATTR_CONNECTION_POOLING, &current, 0, nullptr); });
        // unixODBC sets the process-wide attribute on the null handle but cannot read it there
        // (SQL_INVALID_HANDLE): a value that cannot be read is set, or the setting would never apply.
        if (rc == SQL_INVALID_HANDLE || (error_.Success(rc) && static_cast<SQLUINTEGER>(current) != wanted))
            Check(Oci::SQLSetEnvAttr(nullptr, SQL_ATTR_CONNECTION_POOLING,
                                     reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(wanted)), 0));
    }
    SQLHANDLE handle = nullptr;
    const SQLRETURN rc =
        LoadingDriverManager([&] { return Oci::SQLAllocHandle(SQL_HANDLE_ENV, nullptr, &handle); });
    SetRetCode(rc);
    if (!error_.Success(rc)) {
        // No environment handle to read diagnostics from: a failed allocation leaves none.
        error_.RaiseError(this, rc, SQL_HANDLE_ENV, handle);
        if (handle == nullptr)
            return false; // vetoed, and nothing to work with
    }
    handle_ = handle;
    initialized_ = true;
    try {
        Check(Oci::SQLSetEnvAttr(handle_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                                 0));
        THbase::Init();
    } catch (...) {
        // Nothing stays allocated: raised from the constructor, this leaves no object whose
        // destructor could free the handle later.
        Oci::SQLFreeHandle(SQL_HANDLE_ENV, handle_);
        handle_ = nullptr;
        initialized_ = false;
        throw;
    }
    return true;
}

bool THenv::Terminate()
{
    Log(1, "THenv.Terminate");
    RunningCall running;
    THbase::Terminate();
    children_.Terminate();
    return !initialized_;
}

void THenv::TerminateHandleQuietly() noexcept
{
    try {
        ErrorSuppression quiet(*this);
        TerminateHandle();
    } catch (...) {
        // Nothing may escape while the environment goes.
    }
}

bool THenv::TerminateHandle()
{
    RunningCall running;
    if (initialized_) {
        Terminate();
        // A handle the driver manager did not free is kept (with its records, for the check), so
        // that a later TerminateHandle can free it.
        const SQLRETURN rc = Oci::SQLFreeHandle(SQL_HANDLE_ENV, handle_);
        if (SQL_SUCCEEDED(rc)) {
            handle_ = nullptr;
            initialized_ = false;
        }
        Check(rc);
    }
    return true;
}

void THenv::Resolve()
{
    ErrorSuppression quiet(*this);
    Terminate();
}

void THenv::SetConnectionPooling(TConnectionPooling value)
{
    if (value == pooling_)
        return;
    RunningCall running;
    TerminateHandle();
    pooling_ = value;
    Init();
}
