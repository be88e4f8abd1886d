#pragma once
// The receive-event thread of SerialPort: it sleeps in epoll on the port and on a stop event, and
// whenever new characters have arrived it posts one notification to the user-interface thread.
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Runs a function later on the user-interface thread (a queued call); called from the event thread.
using PostToUiThread = std::function<void(std::function<void()>)>;

// What a notification calls (the port's handler, bound to the port): cleared by the port on the
// user-interface thread before the thread stops, so a notification still queued then finds nothing
// to call.
struct RxCharTarget
{
    std::mutex mutex;
    std::function<void()> notify;
};

class TCommEventThread
{
public:
    TCommEventThread(int portHandle, std::shared_ptr<RxCharTarget> target, PostToUiThread post);
    // Stops and joins the thread.
    ~TCommEventThread();
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    // Asks the thread to end and waits until it has; the port handle is still open meanwhile.
    void Terminate();

private:
    void Execute();
    void NotifyRxChar();

    int portHandle_;
    int stopEvent_ = -1;
    int epoll_ = -1;
    std::shared_ptr<RxCharTarget> target_;
    PostToUiThread post_;
    std::thread thread_;
};
