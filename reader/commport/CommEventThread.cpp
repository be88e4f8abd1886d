#include "reader/commport/CommEventThread.h"

#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "reader/commport/SerialPort.h"

namespace {

// While characters stay unread the port stays readable; it is looked at again after this long.
constexpr int kQueuedRecheckMs = 10;
constexpr int kHungUpRecheckMs = 100;

int QueuedBytes(int fd)
{
    int n = 0;
    return ioctl(fd, FIONREAD, &n) == 0 && n > 0 ? n : 0;
}

} // namespace

TCommEventThread::TCommEventThread(int portHandle, std::shared_ptr<RxCharTarget> target, PostToUiThread post)
    : portHandle_(portHandle), target_(std::move(target)), post_(std::move(post))
{
    stopEvent_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopEvent_ < 0)
        throw std::runtime_error("eventfd failed");
    // Every field is set before the thread starts waiting.
    thread_ = std::thread([this] { Execute(); });
}

TCommEventThread::~TCommEventThread()
{
    Terminate();
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
    int seen = 0;
    for (;;) {
        const int queued = QueuedBytes(portHandle_);
        // More than before is an arrival; fewer but not none means a read took some while more may
        // have come in between two looks. Either way there is something to read.
        if (queued > 0 && queued != seen)
            NotifyRxChar();
        seen = queued;
        pollfd fds[2] = {{stopEvent_, POLLIN, 0}, {portHandle_, POLLIN, 0}};
        // With characters still queued only the stop event is waited for, briefly: the port would
        // report readable at once and the thread would spin.
        const int count = queued > 0 ? 1 : 2;
        const int r = poll(fds, static_cast<nfds_t>(count), queued > 0 ? kQueuedRecheckMs : -1);
        if (r > 0 && (fds[0].revents & POLLIN))
            break;
        if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))) {
            pollfd stop{stopEvent_, POLLIN, 0};
            if (poll(&stop, 1, kHungUpRecheckMs) > 0)
                break;
        }
    }
    tcflush(portHandle_, TCIOFLUSH);
}

void TCommEventThread::NotifyRxChar()
{
    if (!post_)
        return;
    std::shared_ptr<RxCharTarget> target = target_;
    post_([target] {
        std::function<void(SerialPort&)> call;
        SerialPort* port = nullptr;
        {
            std::lock_guard<std::mutex> lock(target->mutex);
            call = target->onRxChar;
            port = target->port;
        }
        if (call && port)
            call(*port);
    });
}
