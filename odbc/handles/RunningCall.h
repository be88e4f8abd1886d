#pragma once
// RunningCall: marks an operation of a handle object (THenv, THdbc, THstmt) as running on this thread.
//
// The lost-connection rule of an EODBC (a record that means a lost connection drops it) acts
// when the exception object is destroyed. A vetoed failure is destroyed at once, inside the call that
// failed, and a failure the library catches itself is destroyed inside the operation that caught it.
// Acting there, the rule would terminate handles under an operation still working on them: a
// disconnect would run again inside itself, a statement would lose its handle in the middle of its
// own execute. So while a RunningCall lives on a thread, the rules of that thread wait, and the
// outermost RunningCall runs them as it ends.
//
// Every public operation of a handle class that calls the driver, or calls one that does, opens one
// first:
//     RunningCall running;
// The record of running operations belongs to the thread, as the operations do.
#include <functional>

class RunningCall
{
public:
    RunningCall();
    // The outermost one runs the rules that waited for it.
    ~RunningCall();
    RunningCall(const RunningCall&) = delete;
    RunningCall& operator=(const RunningCall&) = delete;

    // Runs rule now when no operation runs on this thread, else when the outermost one ends. The
    // rule must not throw.
    static void WhenIdle(std::function<void()> rule);
};
