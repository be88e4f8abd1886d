#include "platform/db/HandleException.h"

#include "platform/core/Component.h"
#include "platform/core/Exception.h"

#include <cstdio>
#include <utility>

namespace {

void DefaultDisplay(TComponent* sender, const std::exception& e)
{
    if (dynamic_cast<const EAbort*>(&e) != nullptr)
        return;
    if (sender != nullptr && !sender->Name().empty())
        std::fprintf(stderr, "%s: %s\n", sender->Name().c_str(), e.what());
    else
        std::fprintf(stderr, "%s\n", e.what());
}

// The one application object of the original; replaced, not stacked.
THandleExceptionHook& Hook()
{
    static THandleExceptionHook hook;
    return hook;
}

} // namespace

THandleExceptionHook SetHandleExceptionHook(THandleExceptionHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}

void HandleException(TComponent* sender, const std::exception& e)
{
    if (Hook())
        Hook()(sender, e);
    else
        DefaultDisplay(sender, e);
}

void HandleCurrentException(TComponent* sender)
{
    try {
        throw;
    } catch (const std::exception& e) {
        HandleException(sender, e);
    } catch (...) {
        HandleException(sender, Exception("Unknown exception"));
    }
}
