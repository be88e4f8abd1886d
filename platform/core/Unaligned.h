// LoadUnaligned and StoreUnaligned: plain values in raw buffers.
#pragma once
// Record buffers, parameter buffers and ODBC data buffers keep values at offsets that need not suit
// the value's alignment, so they are copied byte for byte, never read through a cast pointer.
#include <cstring>
#include <type_traits>

template <class T> T LoadUnaligned(const void* buffer)
{
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, buffer, sizeof value);
    return value;
}

template <class T> void StoreUnaligned(void* buffer, const T& value)
{
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(buffer, &value, sizeof value);
}
