#include "odbc/handles/OdbcError.h"

#include "odbc/driver/Oci.h"
#include "odbc/handles/DiagnosticRecords.h"
#include "odbc/handles/Henv.h"
#include "odbc/handles/LostConnection.h"
#include "odbc/handles/RunningCall.h"

#include <cstdio>

namespace {
EODBC::DisplayHook& DisplayHookSlot()
{
    static EODBC::DisplayHook hook;
    return hook;
}
EODBC::DetailHook& DetailHookSlot()
{
    static EODBC::DetailHook hook;
    return hook;
}
} // namespace

// ---- EODBC --------------------------------------------------------------------------------------

EODBC::EODBC(THbase* owner, std::int16_t retCode, std::vector<TErrorRec> errors)
    : RIDIZOrurori(errors.empty() ? std::string() : errors.front().Message),
      state_(std::make_shared<Shared>()), retCode_(retCode)
{
    state_->owner = owner != nullptr ? owner->LifeToken() : std::make_shared<THbase*>(nullptr);
    state_->errors = std::move(errors);
    const TDriverTraits* traits = owner != nullptr ? owner->KnownDriverTraits() : nullptr;
    state_->lost = AnyLostConnection(state_->errors, traits != nullptr ? *traits : UnknownDriverTraits());
}

EODBC::Shared::~Shared()
{
    if (!lost)
        return;
    try {
        RunningCall::WhenIdle([owner = owner] {
            try {
                THenv* env = CurrentHenv();
                if (env == nullptr)
                    return;
                THbase* alive = *owner;
                if (alive != nullptr && env->Error().ResolveOnFailure())
                    alive->ResolveLostConnection();
                env->Error().DoConnectionFailure(alive);
            } catch (...) {
                // Runs where nothing may escape: when an exception object or an operation ends.
            }
        });
    } catch (...) {
        // Runs while an exception object is destroyed: nothing may escape.
    }
}

THbase* EODBC::Owner() const
{
    return *state_->owner;
}

bool EODBC::Next()
{
    if (cursor_ >= Count())
        return false;
    ++cursor_;
    return cursor_ < Count();
}

bool EODBC::Prev()
{
    if (cursor_ < 0)
        return false;
    --cursor_;
    return cursor_ >= 0;
}

const TErrorRec& EODBC::Current() const
{
    if (cursor_ < 0 || cursor_ >= Count())
        throw EListError("List index out of bounds (" + std::to_string(cursor_) + ")");
    return state_->errors[static_cast<std::size_t>(cursor_)];
}

const std::string& EODBC::State() const
{
    return Current().State;
}
std::int32_t EODBC::Native() const
{
    return Current().Native;
}
const std::string& EODBC::Message() const
{
    return Current().Message;
}

void EODBC::Display() const
{
    const std::string& message = Message();
    if (DisplayHookSlot())
        DisplayHookSlot()(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}

void EODBC::Detail(const std::string& summary)
{
    if (DetailHookSlot()) {
        DetailHookSlot()(summary, *this);
        return;
    }
    std::fprintf(stderr, "%s\n", summary.c_str());
    for (const TErrorRec& rec : Errors())
        std::fprintf(stderr, "  [%s] (%d) %s\n", rec.State.c_str(), rec.Native, rec.Message.c_str());
}

void EODBC::SetDisplayHook(DisplayHook hook)
{
    DisplayHookSlot() = std::move(hook);
}
void EODBC::SetDetailHook(DetailHook hook)
{
    DetailHookSlot() = std::move(hook);
}

// ---- TODBCError ---------------------------------------------------------------------------------

bool TODBCError::Success(std::int16_t retCode) const
{
    return retCode == SQL_SUCCESS || (!successOnlyMode_ && retCode == SQL_SUCCESS_WITH_INFO);
}

std::vector<TErrorRec> TODBCError::Errors(std::int16_t retCode)
{
    std::vector<TErrorRec> errors;
    if (retCode != SQL_ERROR && retCode != SQL_SUCCESS_WITH_INFO) {
        std::string text;
        if (retCode == SQL_INVALID_HANDLE)
            text = "Invalid ODBC Handle";
        else if (retCode == SQL_NO_DATA)
            text = "No Data Found";
        else
            text = "ODBC Return Code " + std::to_string(retCode);
        errors.push_back(TErrorRec{"", 0, text});
        return errors;
    }
    DiagnosticRecords read =
        ReadDiagnosticRecords(handleType_, handle_, [this](std::int16_t rc) { return Success(rc); });
    errors = std::move(read.records);
    if (errors.empty() || !read.complete)
        errors.push_back(TErrorRec{"", 0, "Unable to Retrieve ODBC Error"});
    return errors;
}

void TODBCError::RaiseError(THbase* owner, std::int16_t retCode)
{
    if (env_.ErrorsSuppressed())
        return;
    if (owner != nullptr)
        owner->DiagnosticHandle(handleType_, handle_);
    RaiseError(owner, retCode, handleType_, handle_);
}

void TODBCError::RaiseError(THbase* owner, std::int16_t retCode, std::int16_t handleType, void* handle)
{
    if (env_.ErrorsSuppressed())
        return;
    handleType_ = handleType;
    handle_ = handle;
    EODBC e(owner, retCode, Errors(retCode));
    // psqlODBC reports a session the server ended under some calls only as HY000 ("The connection
    // has been lost"), but then says the connection is dead when asked.
    if (retCode == SQL_ERROR && !e.ConnectionLost() && owner != nullptr && owner->ConnectionDead())
        e.MarkConnectionLost();
    if (DoException(owner, e))
        throw e;
}

bool TODBCError::DoException(THbase* owner, EODBC& e)
{
    if (!onException_)
        return true;
    return onException_(owner, e);
}

void TODBCError::DoConnectionFailure(THbase* sender)
{
    if (onConnectionFailure_)
        onConnectionFailure_(sender);
}
