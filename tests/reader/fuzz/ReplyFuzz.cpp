// libFuzzer target for everything that takes reader replies apart: the frame checks, the card reply
// checks, hexadecimal text, and whole read sequences over the HID transport and the serial line
// with the input as the reader's reply (see FuzzedRead for how an input is read). Any result is fine;
// a crash or a sanitizer report is not.
#include "FuzzedRead.h"
#include "reader/CardReply.h"
#include "reader/HexText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void Functions(std::span<const Byte> data)
{
    FrameCheckMatches(data);
    CardReplyAcceptable(data);
    std::vector<Byte> out(data.size() / 3);
    ParseHexText(out, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    if (data.size() >= 8)
        ReadHexLength(data.first<8>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const Byte> input(data, size);
    Functions(input);
    // One line for the whole run; it is never freed, as libFuzzer ends the process.
    static auto* line = new FakeReaderPty;
    FuzzedRead::Decode(input).RunOnce(*line);
    return 0;
}
