// TRecordPool: record buffers carved from large blocks.
#include "odbc/datasets/RecordPool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

constexpr std::size_t kBlockBytes = 256 * 1024;

} // namespace

void TRecordPool::SetRecordSize(std::size_t size)
{
    if (size == size_)
        return;
    if (live_ != 0)
        throw std::logic_error("TRecordPool: the record size changed while records were in use");
    Clear();
    size_ = size;
    perBlock_ = std::max<std::size_t>(1, kBlockBytes / std::max<std::size_t>(size, 1));
}

std::uint8_t* TRecordPool::Allocate()
{
    std::uint8_t* record = nullptr;
    if (!free_.empty()) {
        record = free_.back();
        free_.pop_back();
        std::memset(record, 0, size_);
    } else {
        if (blocks_.empty() || usedInLast_ == perBlock_) {
            // Zero-filled when made (calloc: memory fresh from the system is not cleared again);
            // records taken from it are zero until used.
            auto* block = static_cast<std::uint8_t*>(std::calloc(perBlock_, size_));
            if (block == nullptr)
                throw std::bad_alloc();
            blocks_.emplace_back(block);
            usedInLast_ = 0;
        }
        record = blocks_.back().get() + usedInLast_ * size_;
        ++usedInLast_;
    }
    ++live_;
    return record;
}

void TRecordPool::Free(std::uint8_t* record)
{
    if (record == nullptr)
        return;
    free_.push_back(record);
    --live_;
    if (live_ == 0)
        Clear();
}

void TRecordPool::Free(const std::vector<std::uint8_t*>& records)
{
    const auto count = static_cast<std::size_t>(
        std::count_if(records.begin(), records.end(), [](const std::uint8_t* r) { return r != nullptr; }));
    if (count != 0 && count == live_) {
        live_ = 0;
        Clear();
        return;
    }
    for (std::uint8_t* record : records)
        Free(record);
}

void TRecordPool::FreeBlock::operator()(std::uint8_t* block) const
{
    std::free(block);
}

void TRecordPool::Clear()
{
    if (live_ != 0)
        return;
    blocks_.clear();
    free_.clear();
    usedInLast_ = 0;
}
