// RunningCall: the operations of handle objects running on this thread and the rules waiting for them.
#include "odbc/handles/RunningCall.h"

#include <utility>
#include <vector>

namespace {

struct Running
{
    int depth = 0;
    std::vector<std::function<void()>> waiting;
};

Running& ThisThread()
{
    thread_local Running running;
    return running;
}

} // namespace

RunningCall::RunningCall()
{
    ++ThisThread().depth;
}

RunningCall::~RunningCall()
{
    Running& running = ThisThread();
    if (--running.depth > 0)
        return;
    // A rule may end operations that make rules of their own: those run in the next round.
    while (!running.waiting.empty()) {
        std::vector<std::function<void()>> rules;
        rules.swap(running.waiting);
        for (const auto& rule : rules)
            rule();
    }
}

void RunningCall::WhenIdle(std::function<void()> rule)
{
    Running& running = ThisThread();
    if (running.depth > 0)
        running.waiting.push_back(std::move(rule));
    else
        rule();
}
