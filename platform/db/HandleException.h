#pragma once
// The application's exception display, reachable from code that must not let an exception pass
// (a filter handler, a streamed open at design time). The program installs its own display at
// start-up; until then, and in tests, the default writes "<sender name>: <message>" to stderr and
// stays silent for EAbort.
//
// HandleException(sender, e) shows e. HandleCurrentException(sender) is for a catch (...) block:
// it shows the exception being handled, whatever its type.
#include <exception>
#include <functional>

class TComponent;

using THandleExceptionHook = std::function<void(TComponent* sender, const std::exception& e)>;

// Installs hook (an empty one restores the default) and returns the one it replaces.
THandleExceptionHook SetHandleExceptionHook(THandleExceptionHook hook);

void HandleException(TComponent* sender, const std::exception& e);
void HandleCurrentException(TComponent* sender);
