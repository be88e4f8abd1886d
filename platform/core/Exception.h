#pragma once
// The exception family of the class library. Every exception the program raises derives from
// Exception, so one handler can show any of them; EAbort is the silent one that unwinds without a
// message.
#include <exception>
#include <string>

class Exception : public std::exception
{
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A text that is not a number, a date or whatever the conversion expected.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// An index outside a list.
class EListError : public Exception
{
public:
    using Exception::Exception;
};

// Unwinds the current operation without showing anything.
class EAbort : public Exception
{
public:
    EAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
};

// Streams: a short read or write, or a file that cannot be opened or created.
class EStreamError : public Exception
{
public:
    using Exception::Exception;
};
class EReadError : public EStreamError
{
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError
{
public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError
{
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError
{
public:
    using EStreamError::EStreamError;
};

// A component name that is not an identifier or is taken by a sibling.
class EComponentError : public Exception
{
public:
    using Exception::Exception;
};

// A settings file that cannot be written.
class EIniFileException : public Exception
{
public:
    using Exception::Exception;
};

[[noreturn]] inline void Abort()
{
    throw EAbort();
}
