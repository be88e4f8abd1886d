#pragma once
// Control of the fake reader SDK (libsdtapi.so built from FakeSdtApi.cpp): a test loads the library
// from its temporary program folder, looks these entries up in the same library and scripts what
// the SDK answers. Plain C functions, as the SDK's own.
#include <cstdint>

extern "C" {
// What SDT_ReadBaseMsg does: with a card (result 0x90) it copies the text and photo given here and
// sets both lengths to their sizes; any other result leaves the buffers and lengths alone.
using FakeSdtSetReadFn = void (*)(int result, const unsigned char* text, std::uint32_t textLength,
                                  const unsigned char* photo, std::uint32_t photoLength);
// Lengths SDT_ReadBaseMsg reports instead of the sizes of the data (a misbehaving SDK); the data
// copied stays what SetRead gave.
using FakeSdtSetLengthsFn = void (*)(std::uint32_t textLength, std::uint32_t photoLength);
// How often an entry was called since the last reset ("SDT_GetSAMID", ...), and the port it got
// last.
using FakeSdtCallsFn = int (*)(const char* entry);
using FakeSdtLastPortFn = int (*)();
using FakeSdtResetFn = void (*)();
}
