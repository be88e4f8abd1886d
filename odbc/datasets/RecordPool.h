#pragma once
// TRecordPool: the memory of a dataset's record buffers, all of one size while the dataset is open.
// Records are carved from large blocks (a row cache of a million records would otherwise pay the
// allocator's bookkeeping per record, about a quarter of a small record's size) and freed records are
// reused. The blocks go when the pool is emptied, which the dataset does once it has freed every
// record.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TRecordPool
{
public:
    TRecordPool() = default;
    TRecordPool(const TRecordPool&) = delete;
    TRecordPool& operator=(const TRecordPool&) = delete;

    // Records of size bytes from now on; every record of the earlier size must have been freed.
    void SetRecordSize(std::size_t size);
    std::size_t RecordSize() const { return size_; }
    // A zero-filled record.
    std::uint8_t* Allocate();
    void Free(std::uint8_t* record);
    // Frees each of records (none twice); when they are all that is live, the blocks go at once
    // instead of each record going to the free list first.
    void Free(const std::vector<std::uint8_t*>& records);
    // Records allocated and not freed.
    std::size_t Live() const { return live_; }
    // Gives the blocks back; only when no record is live.
    void Clear();

private:
    struct FreeBlock
    {
        void operator()(std::uint8_t* block) const;
    };

    std::size_t size_ = 0;
    std::size_t perBlock_ = 0;
    std::vector<std::unique_ptr<std::uint8_t[], FreeBlock>> blocks_;
    std::size_t usedInLast_ = 0;
    std::vector<std::uint8_t*> free_;
    std::size_t live_ = 0;
};
