#include "reader/commport/CommEventThread.h"

#include <cerrno>
#include <stdexcept>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

TCommEventThread::TCommEventThread(int portHandle, std::shared_ptr<RxCharTarget> target, PostToUiThread post)
    : portHandle_(portHandle), target_(std::move(target)), post_(std::move(post))
{
    stopEvent_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    // Edge-triggered on the port: it is reported each time characters arrive, whether or not earlier
    // ones are still unread. Comparing queue counts instead loses an arrival whenever a read takes as
    // many characters as came in meanwhile.
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.fd = stopEvent_;
    epoll_event port{};
    port.events = EPOLLIN | EPOLLET;
    port.data.fd = portHandle_;
    if (stopEvent_ < 0 || epoll_ < 0 || epoll_ctl(epoll_, EPOLL_CTL_ADD, stopEvent_, &stop) != 0 ||
        epoll_ctl(epoll_, EPOLL_CTL_ADD, portHandle_, &port) != 0) {
        if (stopEvent_ >= 0)
            ::close(stopEvent_);
        if (epoll_ >= 0)
            ::close(epoll_);
        throw std::runtime_error("receive-event thread: cannot wait on the port");
    }
    // Every field is set before the thread starts waiting.
    thread_ = std::thread([this] { Execute(); });
}

TCommEventThread::~TCommEventThread()
{
    Terminate();
    ::close(epoll_);
    ::close(stopEvent_);
}

void TCommEventThread::Terminate()
{
    if (!thread_.joinable())
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopEvent_, &one, sizeof one);
    thread_.join();
}

void TCommEventThread::Execute()
{
    for (;;) {
        epoll_event events[2];
        const int n = epoll_wait(epoll_, events, 2, -1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        bool stop = false;
        bool arrived = false;
        for (int i = 0; i < n; ++i) {
            if (events[i].data.fd == stopEvent_)
                stop = true;
            // A hung-up line reports itself readable once more; that is no arrival. Being
            // edge-triggered, it is not reported again and again either.
            else if ((events[i].events & EPOLLIN) && !(events[i].events & (EPOLLHUP | EPOLLERR)))
                arrived = true;
        }
        if (stop)
            break;
        if (arrived)
            NotifyRxChar();
    }
    tcflush(portHandle_, TCIOFLUSH);
}

void TCommEventThread::NotifyRxChar()
{
    if (!post_)
        return;
    std::shared_ptr<RxCharTarget> target = target_;
    post_([target] {
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> lock(target->mutex);
            call = target->notify;
        }
        if (call)
            call();
    });
}
