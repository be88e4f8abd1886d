#pragma once
// Entry points of the reader vendor's SDK library (libsdtapi.so), bound by name by SdkLibrary. Every
// entry takes 32-bit arguments and returns a 32-bit result.
#include <cstdint>

extern "C" {
using SdtGetSamIdFn = int (*)(int port, unsigned char* samId, int flag);
using SdtStartFindIdCardFn = int (*)(int port, unsigned char* scratch, int flag);
using SdtSelectIdCardFn = int (*)(int port, unsigned char* scratch, int flag);
using SdtReadBaseMsgFn = int (*)(int port, unsigned char* text, std::uint32_t* textLength,
                                 unsigned char* photo, std::uint32_t* photoLength, int flag);
using SdtReadBaseFpMsgFn = int (*)(int port, unsigned char* text, std::uint32_t* textLength,
                                   unsigned char* photo, std::uint32_t* photoLength, unsigned char* finger,
                                   std::uint32_t* fingerLength, int flag);
}

// The five SDK entries; each is null when the library or that entry is missing.
struct SdtApi
{
    SdtGetSamIdFn SDT_GetSAMID = nullptr;
    SdtStartFindIdCardFn SDT_StartFindIDCard = nullptr;
    SdtSelectIdCardFn SDT_SelectIDCard = nullptr;
    SdtReadBaseMsgFn SDT_ReadBaseMsg = nullptr;
    SdtReadBaseFpMsgFn SDT_ReadBaseFPMsg = nullptr;

    // The read routine needs all five, even the one it never calls.
    bool Complete() const
    {
        return SDT_GetSAMID && SDT_StartFindIDCard && SDT_SelectIDCard && SDT_ReadBaseMsg &&
               SDT_ReadBaseFPMsg;
    }
};
