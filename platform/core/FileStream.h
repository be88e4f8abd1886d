#pragma once
// A stream over a file. Open modes as the class library spells them; the share flags are accepted
// and ignored (Linux has no share modes).
#include "platform/core/Stream.h"

#include <string>

inline constexpr unsigned fmOpenRead = 0x0000;
inline constexpr unsigned fmOpenWrite = 0x0001;
inline constexpr unsigned fmOpenReadWrite = 0x0002;
inline constexpr unsigned fmShareCompat = 0x0000;
inline constexpr unsigned fmShareExclusive = 0x0010;
inline constexpr unsigned fmShareDenyWrite = 0x0020;
inline constexpr unsigned fmShareDenyRead = 0x0030;
inline constexpr unsigned fmShareDenyNone = 0x0040;
// Creates the file, or empties it when it exists, and opens it for reading and writing.
inline constexpr unsigned fmCreate = 0xFF00;

class TFileStream : public TStream
{
public:
    // Raises EFCreateError "Cannot create file "<name>". <reason>" or
    // EFOpenError "Cannot open file "<name>". <reason>".
    TFileStream(const std::string& fileName, unsigned mode);
    ~TFileStream() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Position() const override;
    std::int64_t Size() const override;
    void SetSize(std::int64_t size) override;

    const std::string& FileName() const { return fileName_; }
    int Handle() const { return fd_; }

private:
    std::string fileName_;
    int fd_ = -1;
};
