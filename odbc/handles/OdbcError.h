#pragma once
// ODBC error collection: a failed call becomes one EODBC carrying every diagnostic record of the
// handle that failed (read by DiagnosticRecords.h, at most 1000). TODBCError (one per environment) decides
// what counts as success, reads the records, lets OnException veto the exception and raises it.
//
// The lost-connection rule: when the last copy of an EODBC that means a lost connection (a record of
// SQLSTATE class "08" or another state listed in LostConnection.h, or a failure after which the
// driver reports the connection dead) is destroyed, the owner's connection is dropped quietly (when
// ResolveOnFailure is set) and OnConnectionFailure is called. It runs once, skips an owner that no longer
// exists, and never throws. While an operation of a handle object runs on the thread (RunningCall.h) it waits
// until the outermost one has ended, so it never re-enters an operation still running.
#include "odbc/base/OcihError.h"
#include "odbc/handles/Events.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class THbase;
class THenv;

// One diagnostic record. Records the library makes itself have an empty State and Native 0.
struct TErrorRec
{
    std::string State;
    std::int32_t Native = 0;
    std::string Message;
};

class EODBC : public RIDIZOrurori
{
public:
    // The message text is the first record's message.
    EODBC(THbase* owner, std::int16_t retCode, std::vector<TErrorRec> errors);

    // The handle object whose call failed; nullptr once it has been destroyed.
    THbase* Owner() const;
    std::int16_t RetCode() const { return retCode_; }
    const std::vector<TErrorRec>& Errors() const { return state_->errors; }
    int Count() const { return static_cast<int>(state_->errors.size()); }
    // Whether this failure means that the connection is gone: a record says so (LostConnection.h),
    // or the driver said so when asked after the failure (SQL_ATTR_CONNECTION_DEAD).
    bool ConnectionLost() const { return state_->lost; }
    void MarkConnectionLost() { state_->lost = true; }

    // The record cursor (0 at creation).
    int Cursor() const { return cursor_; }
    void First() { cursor_ = 0; }
    void Last() { cursor_ = Count() - 1; }
    // Move one forward / back; false (without moving) when already past the end / before the start,
    // else whether the cursor is still on a record.
    bool Next();
    bool Prev();

    // Fields of the record under the cursor; EListError when the cursor is on none.
    const std::string& State() const;
    std::int32_t Native() const;
    const std::string& Message() const;

    // Shows the current record's message (error icon, one OK button) through the display hook.
    void Display() const;
    // Shows the error dialog with summary text and every record through the detail hook.
    void Detail(const std::string& summary);

    // The screen side lives in the dataset layer; the handle layer only calls these hooks. Without
    // a hook the text goes to standard error.
    using DisplayHook = std::function<void(const std::string& message)>;
    using DetailHook = std::function<void(const std::string& summary, EODBC& error)>;
    static void SetDisplayHook(DisplayHook hook);
    static void SetDetailHook(DetailHook hook);

private:
    // Shared by every copy of the exception; its destruction is the moment of the lost-connection
    // rule.
    struct Shared
    {
        std::shared_ptr<THbase*> owner;
        std::vector<TErrorRec> errors;
        bool lost = false;
        ~Shared();
    };
    const TErrorRec& Current() const;

    std::shared_ptr<Shared> state_;
    std::int16_t retCode_;
    int cursor_ = 0;
};

class TODBCError
{
public:
    using ExceptionEvent = TODBCExceptionEvent;
    using ConnectionFailureEvent = std::function<void(THbase* sender)>;

    explicit TODBCError(THenv& env) : env_(env) {}
    TODBCError(const TODBCError&) = delete;
    TODBCError& operator=(const TODBCError&) = delete;

    // SQL_SUCCESS, and SQL_SUCCESS_WITH_INFO unless SuccessOnlyMode is set.
    bool Success(std::int16_t retCode) const;
    static bool SuccessOnly(std::int16_t retCode) { return retCode == 0; }

    // The records for the handle set by the last RaiseError (see the .cpp for the synthetic ones).
    std::vector<TErrorRec> Errors(std::int16_t retCode);

    // Builds the EODBC for owner's failed call and raises it unless OnException vetoes it; does
    // nothing while the environment suppresses errors. The diagnostics are read from the owner's
    // handle.
    void RaiseError(THbase* owner, std::int16_t retCode);
    // The same with the handle whose diagnostics describe the failure named explicitly: a failed
    // allocation leaves its records on the parent (input) handle.
    void RaiseError(THbase* owner, std::int16_t retCode, std::int16_t handleType, void* handle);

    bool DoException(THbase* owner, EODBC& e);
    void DoConnectionFailure(THbase* sender);

    bool SuccessOnlyMode() const { return successOnlyMode_; }
    void SetSuccessOnlyMode(bool value) { successOnlyMode_ = value; }
    bool ResolveOnFailure() const { return resolveOnFailure_; }
    void SetResolveOnFailure(bool value) { resolveOnFailure_ = value; }
    void SetOnException(ExceptionEvent handler) { onException_ = std::move(handler); }
    void SetOnConnectionFailure(ConnectionFailureEvent handler) { onConnectionFailure_ = std::move(handler); }

private:
    THenv& env_;
    std::int16_t handleType_ = 0;
    void* handle_ = nullptr;
    bool successOnlyMode_ = false;
    bool resolveOnFailure_ = true;
    ExceptionEvent onException_;
    ConnectionFailureEvent onConnectionFailure_;
};
