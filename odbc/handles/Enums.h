#pragma once
// The library's enumerations published by the handle classes (each fits one byte; values count from
// 0 in the order given, which is also their streamed integer value).
#include <cstdint>

enum TConnectionPooling : std::uint8_t
{
    cpDefault,
    cpOff,
    cpOnePerDriver,
    cpOnePerEnv
};

enum TFormatStyle : std::uint8_t
{
    fsNone,
    fsFloat,
    fsDateTime,
    fsCustom
};

enum TBlobPlacement : std::uint8_t
{
    bpDetect,
    bpByParts,
    bpByExec
};

enum TEmptyToNull : std::uint8_t
{
    enNever,
    enAlways,
    enIfNullable
};

enum TStringTrimming : std::uint8_t
{
    stNone,
    stTrimTrailing,
    stTrimLeading,
    stTrimBoth
};

enum TRowCountMethod : std::uint8_t
{
    rcFunction,
    rcSelect,
    rcTraverse,
    rcCustom
};
