#include "platform/ui/Guard.h"

#include "platform/core/Exception.h"
#include "platform/ui/UiServices.h"

#include <stdexcept>

void HandleCurrentException() noexcept
{
    try {
        try {
            throw;
        } catch (const EAbort&) {
            // silent by design
        } catch (const std::exception& error) {
            ShowException(error);
        } catch (...) {
            ShowException(std::runtime_error("Unknown exception"));
        }
    } catch (...) {
        // The display itself failed (no memory, a broken window system): nothing more can be shown,
        // and the event loop must still go on.
    }
}
