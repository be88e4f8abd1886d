#pragma once
// A stream held in memory. Writing past the end grows it; the position may stand beyond the end,
// where reading gives nothing and writing fills the gap with zero bytes.
#include "platform/core/Stream.h"

#include <cstdint>
#include <string>
#include <vector>

class TMemoryStream : public TStream
{
public:
    TMemoryStream() = default;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }
    // New bytes are zero; the position is kept unless it would lie beyond the new end.
    void SetSize(std::int64_t size) override;

    // The bytes themselves; valid until the size changes.
    std::uint8_t* Memory() { return data_.data(); }
    const std::uint8_t* Memory() const { return data_.data(); }

    void Clear();
    // Replaces the content by the whole of source (read from its start); the position becomes 0.
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& dest) const;
    // Raise EFOpenError / EFCreateError naming the file.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::uint8_t> data_;
    std::int64_t position_ = 0;
};
