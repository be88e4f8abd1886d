// TRecordPool: records freed one by one or many at once are reused zeroed, and the count of live
// records stays right whichever way they went.
#include "odbc/datasets/RecordPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool Zero(const std::uint8_t* record, std::size_t size)
{
    return std::all_of(record, record + size, [](std::uint8_t b) { return b == 0; });
}

} // namespace

TEST(RecordPool, FreeingManyWhileOthersLiveKeepsThoseAndReusesTheFreed)
{
    TRecordPool pool;
    pool.SetRecordSize(24);
    std::vector<std::uint8_t*> records;
    for (int i = 0; i < 5; ++i) {
        records.push_back(pool.Allocate());
        std::memset(records.back(), 0xAB, 24);
    }
    std::uint8_t* kept = records.back();
    records.pop_back();
    pool.Free(records);
    EXPECT_EQ(pool.Live(), 1U);
    EXPECT_EQ(kept[0], 0xAB) << "the record still in use is left alone";
    std::uint8_t* again = pool.Allocate();
    EXPECT_NE(std::find(records.begin(), records.end(), again), records.end()) << "a freed record is reused";
    EXPECT_TRUE(Zero(again, 24));
    pool.Free(again);
    pool.Free(kept);
    EXPECT_EQ(pool.Live(), 0U);
}

TEST(RecordPool, FreeingEveryLiveRecordAtOnceEmptiesThePool)
{
    TRecordPool pool;
    pool.SetRecordSize(40);
    std::vector<std::uint8_t*> records;
    // Several blocks' worth.
    for (int i = 0; i < 20000; ++i) {
        records.push_back(pool.Allocate());
        records.back()[39] = 1;
    }
    records.push_back(nullptr); // a slot without a record counts for nothing
    pool.Free(records);
    EXPECT_EQ(pool.Live(), 0U);
    // Emptied, the pool takes another record size.
    pool.SetRecordSize(16);
    std::uint8_t* record = pool.Allocate();
    EXPECT_TRUE(Zero(record, 16));
    pool.Free(record);
}
