#pragma once
// The card photo arrives in the reader's compressed WLT format; the vendor's decoder library
// (libwltrs.so, asked for as "wltrs.dll") turns ImgTemp.wlt in the program folder into ImgTemp.bmp
// beside it. Its one entry point:
//   int GetBmp(const char* wltPath, int interfaceNumber)
// takes the full path of the WLT file and the reader's interface number (1 serial, 2 otherwise) and
// returns 1 after writing the bitmap (102 by 126 pixels); any other value is its error code.
#include "platform/os/Library.h"

#include <string>

using GetBmpFunction = int (*)(const char* wltPath, int interfaceNumber);

// The code shown when no decoder could be called at all (library or entry point missing), so that the
// operator sees the same message as for any other decoder failure.
constexpr int kPhotoDecoderMissing = 0;

// 1 for a serial reader (port below 1000), 2 for the SDK and HID readers.
int PhotoInterfaceNumber(int readerPort);

enum class PhotoStatus
{
    NoPhotoFile,  // no ImgTemp.wlt: nothing was done and nothing is reported
    Decoded,      // ImgTemp.bmp is there
    DecoderError, // the decoder returned Code, or there was no decoder
    NoBitmap,     // the decoder reported success but wrote no ImgTemp.bmp
};

struct PhotoDecodeResult
{
    PhotoStatus Status = PhotoStatus::NoPhotoFile;
    int Code = 0;        // the decoder's result; kPhotoDecoderMissing when it could not be called
    std::string Message; // for status panel 1; empty unless the decoding failed
    // A failure stops the tray icon's animation and ends the caller's step.
    bool Failed() const { return Status == PhotoStatus::DecoderError || Status == PhotoStatus::NoBitmap; }
};

// Decodes ImgTemp.wlt of the program folder with the given entry point (which may be null). File
// names are matched without regard to letter case.
PhotoDecodeResult DecodePhoto(GetBmpFunction getBmp, const std::string& programFolder, int readerPort);

// The decoder library and its entry point, held from the main window's creation to its destruction.
class PhotoDecoder
{
public:
    PhotoDecoder() = default;

    // Loads "wltrs.dll" from the program folder, else from the system search path, and looks up
    // GetBmp. Returns whether the entry point is there; a failure only leaves it null.
    bool Load(const std::string& programFolder);
    void Free() noexcept;

    GetBmpFunction Entry() const noexcept { return getBmp_; }
    bool Loaded() const noexcept { return getBmp_ != nullptr; }
    // Why the library could not be loaded, or that it lacks its entry point; empty when loaded.
    const std::string& ErrorText() const noexcept { return error_; }

    PhotoDecodeResult Decode(const std::string& programFolder, int readerPort) const
    {
        return DecodePhoto(getBmp_, programFolder, readerPort);
    }

private:
    TLibrary library_;
    GetBmpFunction getBmp_ = nullptr;
    std::string error_;
};
