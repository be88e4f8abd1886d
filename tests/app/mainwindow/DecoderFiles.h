#pragma once
// A program folder that decodes photos: the stand-in photo decoder and the blank card faces, so a
// read goes on to compose the card faces as it does in the field.
#include <filesystem>
#include <string>

inline void InstallDecoderAndTemplates(const std::string& folder)
{
    namespace fs = std::filesystem;
    const auto put = [&](const fs::path& from, const char* name) {
        fs::copy_file(from, fs::path(folder) / name, fs::copy_options::skip_existing);
    };
    put(FAKE_WLTRS, "libwltrs.so");
    put(fs::path(ZIRA_DIST_DIR) / "PrintMP.bmp", "PrintMP.bmp");
    put(fs::path(ZIRA_DIST_DIR) / "PrintSB.bmp", "PrintSB.bmp");
}
