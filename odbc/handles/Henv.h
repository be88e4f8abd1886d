#pragma once
// The ODBC environment. One environment, reached through GlobalHenv, serves every connection and
// owns the error collection (Error) through which every ODBC failure is reported.
#include "odbc/handles/Children.h"
#include "odbc/handles/Enums.h"
#include "odbc/handles/Hbase.h"
#include "odbc/handles/OdbcError.h"

class THenv : public THbase
{
public:
    // Allocates the environment handle at once (through Init).
    explicit THenv(TComponent* owner = nullptr);
    // Terminates every connection and frees the handle with errors suppressed.
    ~THenv() override;

    bool Init() override;
    // Terminates every connection; the environment handle stays allocated.
    bool Terminate() override;
    // Terminate, then free the environment handle.
    bool TerminateHandle();
    // TerminateHandle with errors suppressed; never throws (destruction, exit).
    void TerminateHandleQuietly() noexcept;
    // Terminate with errors suppressed (the lost-connection rule).
    void Resolve();

    void* Handle() const { return handle_; }
    bool Initialized() const { return initialized_; }
    TODBCError& Error() { return error_; }
    TChildren& Children() { return children_; }

    TConnectionPooling ConnectionPooling() const { return pooling_; }
    // A change ends every connection and statement and allocates the environment again.
    void SetConnectionPooling(TConnectionPooling value);

    // There is no window system parent for driver dialogs here: always null.
    void* GetWinHandle() const { return nullptr; }

    // Sets the error-suppression flag for its lifetime and restores the previous value after, so a
    // suppression never outlives the work it covers.
    class ErrorSuppression
    {
    public:
        explicit ErrorSuppression(THenv& env) : env_(env), previous_(env.suppressErrors_)
        {
            env.suppressErrors_ = true;
        }
        ~ErrorSuppression() { env_.suppressErrors_ = previous_; }
        ErrorSuppression(const ErrorSuppression&) = delete;
        ErrorSuppression& operator=(const ErrorSuppression&) = delete;

    private:
        THenv& env_;
        bool previous_;
    };
    bool ErrorsSuppressed() const { return suppressErrors_; }

    void DiagnosticHandle(std::int16_t& handleType, void*& handle) const override;
    void ResolveLostConnection() override { Resolve(); }

private:
    // Test a call made for this environment with its own error object.
    void Check(std::int16_t rc);

    TODBCError error_{*this};
    void* handle_ = nullptr;
    bool initialized_ = false;
    TChildren children_;
    TConnectionPooling pooling_ = cpDefault;
    bool suppressErrors_ = false;
};

// Set before the first GlobalHenv call: each thread then gets an environment of its own.
extern bool ThreadedHenv;

// The environment every connection uses, created without owner on the first call.
THenv& GlobalHenv();
// The environment GlobalHenv would return, or nullptr when it does not exist (never creates one).
THenv* CurrentHenv();
// Ends the calling thread's own environment (with errors suppressed); the process-wide one stays.
void ClearHenv();
