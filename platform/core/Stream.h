#pragma once
// Byte streams of the class library: an abstract stream with a position, and the memory and file
// streams built on it. Counts and positions are 64-bit.
#include <cstdint>

enum class TSeekOrigin
{
    soBeginning,
    soCurrent,
    soEnd
};

class TStream
{
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Read and Write move up to count bytes and return how many they moved (fewer at the end).
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // Returns the new position.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;
    virtual void SetSize(std::int64_t size) = 0;

    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

    // Exactly count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);

    // Copies count bytes from source's position; count 0 copies the whole source from its start.
    // Returns the number of bytes copied.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};
