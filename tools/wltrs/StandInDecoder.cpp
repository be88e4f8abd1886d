// Stand-in photo decoder. The reader delivers the holder's photo in a compressed format that only the
// vendor's library can decode; on this machine there is none, so this library keeps its call (path of
// the photo file and interface number in, 1 and a 102 by 126 bitmap beside the file out) and draws a
// placeholder portrait whose shade follows the photo bytes, so that two cards look different.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The variants below leave some of these helpers unused.
namespace {

constexpr int kWidth = 102;
constexpr int kHeight = 126;

// Error codes of this stand-in; the vendor's decoder has codes of its own.
constexpr int kCannotReadPhoto = -1;
constexpr int kEmptyPhoto = -2;
constexpr int kCannotWriteBitmap = -3;

struct Rgb
{
    std::uint8_t r, g, b;
};

[[maybe_unused]] std::string BitmapPath(const std::string& photoPath)
{
    const auto slash = photoPath.find_last_of('/');
    const auto dot = photoPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return photoPath + ".bmp";
    return photoPath.substr(0, dot) + ".bmp";
}

[[maybe_unused]] bool InsideEllipse(int x, int y, int cx, int cy, int rx, int ry)
{
    const double dx = double(x - cx) / rx;
    const double dy = double(y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

[[maybe_unused]] void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

// A 24-bit bottom-up Windows bitmap; the background is plain white so that the card face shows
// through it.
[[maybe_unused]] std::vector<std::uint8_t> Portrait(const std::vector<char>& photo)
{
    std::uint32_t hash = 2166136261u;
    for (char c : photo)
        hash = (hash ^ std::uint8_t(c)) * 16777619u;
    const Rgb figure{std::uint8_t(60 + hash % 90), std::uint8_t(70 + (hash >> 8) % 80),
                     std::uint8_t(90 + (hash >> 16) % 90)};
    const Rgb background{255, 255, 255};

    const int rowBytes = (kWidth * 3 + 3) / 4 * 4;
    const std::uint32_t imageBytes = std::uint32_t(rowBytes) * kHeight;
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutLittleEndian(out, 54 + imageBytes, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 54, 4);
    PutLittleEndian(out, 40, 4);
    PutLittleEndian(out, kWidth, 4);
    PutLittleEndian(out, kHeight, 4);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, 24, 2);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, imageBytes, 4);
    PutLittleEndian(out, 3780, 4); // 96 dpi
    PutLittleEndian(out, 3780, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 0, 4);
    for (int row = kHeight - 1; row >= 0; --row) {
        for (int x = 0; x < kWidth; ++x) {
            const bool head = InsideEllipse(x, row, 51, 50, 22, 28);
            const bool shoulders = InsideEllipse(x, row, 51, 140, 48, 40);
            const Rgb c = head || shoulders ? figure : background;
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        out.resize(out.size() + std::size_t(rowBytes - kWidth * 3), 0);
    }
    return out;
}

} // namespace

#ifndef WLTRS_VARIANT_NOENTRY
extern "C" __attribute__((visibility("default"))) int GetBmp(const char* photoPath, int interfaceNumber)
{
    (void)interfaceNumber; // the placeholder is the same for every reader interface
    if (photoPath == nullptr)
        return kCannotReadPhoto;
    std::ifstream in(photoPath, std::ios::binary);
    if (!in)
        return kCannotReadPhoto;
    const std::vector<char> photo{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (photo.empty())
        return kEmptyPhoto;
#ifndef WLTRS_VARIANT_NOBITMAP
    const std::vector<std::uint8_t> bitmap = Portrait(photo);
    std::ofstream out(BitmapPath(photoPath), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bitmap.data()), std::streamsize(bitmap.size()));
    if (!out)
        return kCannotWriteBitmap;
#endif
    return 1;
}
#else
// Keeps the library loadable while it lacks the decoder's entry point.
extern "C" __attribute__((visibility("default"))) int GetBmpVersion()
{
    return 1;
}
#endif
