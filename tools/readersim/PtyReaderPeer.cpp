#include "tools/readersim/PtyReaderPeer.h"

#include "platform/core/Exception.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyReaderPeer::PtyReaderPeer(SampleCard card) : peer_(std::move(card))
{
    OpenLine();
}

void PtyReaderPeer::OpenLine()
{
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave_, name, &raw, nullptr) != 0)
        throw Exception(std::string("openpty: ") + std::strerror(errno));
    slavePath_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

PtyReaderPeer::~PtyReaderPeer()
{
    HangUp();
}

void PtyReaderPeer::HangUp()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = -1;
    master_ = -1;
}

void PtyReaderPeer::Reconnect()
{
    HangUp();
    hangUpNext_ = false;
    OpenLine();
}

bool PtyReaderPeer::Service(std::uint64_t nowMs)
{
    lastWritten_ = 0;
    if (master_ < 0)
        return false;
    // One service after the last bytes of a reply that ends in a hang-up, so that the program can
    // take what came before the line drops.
    if (hangUpNext_) {
        hangUpNext_ = false;
        HangUp();
        return true;
    }
    bool moved = false;
    Byte buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        peer_.Feed(std::span<const Byte>(buffer, static_cast<std::size_t>(n)), nowMs);
        moved = true;
    }
    const std::vector<Byte> out = peer_.TakeDue(nowMs);
    std::size_t done = 0;
    lastWritten_ = 0;
    while (done < out.size()) {
        const ssize_t n = ::write(master_, out.data() + done, out.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        // A line nobody reads fills up; like a real serial line it then loses what does not fit,
        // instead of holding the peer (and whoever services it) forever.
        pollfd p{master_, POLLOUT, 0};
        if (n < 0 && errno == EAGAIN && poll(&p, 1, 100) == 0)
            break;
    }
    lastWritten_ = done;
    if (peer_.TakeHangUp())
        hangUpNext_ = true;
    return moved || !out.empty();
}

void PtyReaderPeer::Serve(const std::function<bool()>& keepGoing, const std::function<std::uint64_t()>& nowMs)
{
    while (keepGoing()) {
        pollfd p{master_, POLLIN, 0};
        poll(&p, 1, peer_.HasPending() ? 1 : 50);
        Service(nowMs());
    }
}
