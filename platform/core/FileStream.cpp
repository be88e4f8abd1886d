#include "platform/core/FileStream.h"

#include "platform/core/Exception.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Reason(int err)
{
    return std::strerror(err);
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : fileName_(fileName)
{
    if ((mode & 0xFF00) == fmCreate) {
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + Reason(errno));
        return;
    }
    int flags = O_RDONLY;
    switch (mode & 0x3) {
    case fmOpenWrite:
        flags = O_WRONLY;
        break;
    case fmOpenReadWrite:
        flags = O_RDWR;
        break;
    default:
        break;
    }
    fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC);
    if (fd_ < 0)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + Reason(errno));
}

TFileStream::~TFileStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count)
{
    std::int64_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(fd_, p + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count)
{
    std::int64_t done = 0;
    const auto* p = static_cast<const char*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(fd_, p + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    int whence = SEEK_SET;
    if (origin == TSeekOrigin::soCurrent)
        whence = SEEK_CUR;
    else if (origin == TSeekOrigin::soEnd)
        whence = SEEK_END;
    const off_t pos = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return pos < 0 ? -1 : static_cast<std::int64_t>(pos);
}

std::int64_t TFileStream::Position() const
{
    const off_t pos = ::lseek(fd_, 0, SEEK_CUR);
    return pos < 0 ? -1 : static_cast<std::int64_t>(pos);
}

std::int64_t TFileStream::Size() const
{
    struct stat st
    {
    };
    if (::fstat(fd_, &st) != 0)
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

void TFileStream::SetSize(std::int64_t size)
{
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        throw EWriteError("Stream write error");
    if (Position() > size)
        Seek(size, TSeekOrigin::soBeginning);
}
