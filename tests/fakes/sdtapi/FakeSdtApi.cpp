// A fake of the reader vendor's SDK library for the read routine's tests. The real one talks to a USB
// reader; this one answers SDT_ReadBaseMsg as the test scripted it through FakeSdtApi.h and counts
// every call. Built once as it is and once without SDT_ReadBaseFPMsg, the entry the program never
// calls but requires.
#include "FakeSdtApi.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#define FAKE_SDT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Script
{
    int result = 0x80; // no card until a test says otherwise
    std::vector<unsigned char> text;
    std::vector<unsigned char> photo;
    int samId = 0, startFind = 0, select = 0, readBase = 0, readBaseFp = 0;
    int lastPort = 0;
    bool lengthsGiven = false;
    std::uint32_t textLength = 0, photoLength = 0;
};

Script& State()
{
    static Script script;
    return script;
}

} // namespace

FAKE_SDT_EXPORT void FakeSdt_SetRead(int result, const unsigned char* text, std::uint32_t textLength,
                                     const unsigned char* photo, std::uint32_t photoLength)
{
    Script& s = State();
    s.result = result;
    s.text.assign(text, text + (text ? textLength : 0));
    s.photo.assign(photo, photo + (photo ? photoLength : 0));
}

FAKE_SDT_EXPORT void FakeSdt_SetLengths(std::uint32_t textLength, std::uint32_t photoLength)
{
    Script& s = State();
    s.lengthsGiven = true;
    s.textLength = textLength;
    s.photoLength = photoLength;
}

FAKE_SDT_EXPORT int FakeSdt_Calls(const char* entry)
{
    const Script& s = State();
    const std::string name = entry ? entry : "";
    if (name == "SDT_GetSAMID")
        return s.samId;
    if (name == "SDT_StartFindIDCard")
        return s.startFind;
    if (name == "SDT_SelectIDCard")
        return s.select;
    if (name == "SDT_ReadBaseMsg")
        return s.readBase;
    if (name == "SDT_ReadBaseFPMsg")
        return s.readBaseFp;
    return -1;
}

FAKE_SDT_EXPORT int FakeSdt_LastPort()
{
    return State().lastPort;
}

FAKE_SDT_EXPORT void FakeSdt_Reset()
{
    State() = Script{};
}

FAKE_SDT_EXPORT int SDT_GetSAMID(int port, unsigned char* samId, int)
{
    State().lastPort = port;
    ++State().samId;
    if (samId)
        std::memcpy(samId, "05.01-20101010-0001", 20);
    return 0x90;
}

FAKE_SDT_EXPORT int SDT_StartFindIDCard(int port, unsigned char* scratch, int)
{
    State().lastPort = port;
    ++State().startFind;
    if (scratch)
        std::memset(scratch, 0x9F, 4); // the SDK scribbles on its scratch buffer
    return State().result == 0x90 ? 0x9F : 0x80;
}

FAKE_SDT_EXPORT int SDT_SelectIDCard(int port, unsigned char* scratch, int)
{
    State().lastPort = port;
    ++State().select;
    if (scratch)
        std::memset(scratch, 0x90, 4);
    return State().result == 0x90 ? 0x90 : 0x81;
}

FAKE_SDT_EXPORT int SDT_ReadBaseMsg(int port, unsigned char* text, std::uint32_t* textLength,
                                    unsigned char* photo, std::uint32_t* photoLength, int)
{
    Script& s = State();
    s.lastPort = port;
    ++s.readBase;
    if (s.result == 0x90) {
        std::copy(s.text.begin(), s.text.end(), text);
        std::copy(s.photo.begin(), s.photo.end(), photo);
        *textLength = s.lengthsGiven ? s.textLength : std::uint32_t(s.text.size());
        *photoLength = s.lengthsGiven ? s.photoLength : std::uint32_t(s.photo.size());
    }
    return s.result;
}

#ifndef FAKE_SDT_WITHOUT_FP
FAKE_SDT_EXPORT int SDT_ReadBaseFPMsg(int, unsigned char*, std::uint32_t*, unsigned char*, std::uint32_t*,
                                      unsigned char*, std::uint32_t*, int)
{
    ++State().readBaseFp;
    return 0x91;
}
#endif
