#include "print/PhotoDecoder.h"

#include "platform/os/FileResolver.h"

#include <filesystem>
#include <system_error>

namespace {

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

int PhotoInterfaceNumber(int readerPort)
{
    return readerPort < 1000 ? 1 : 2;
}

PhotoDecodeResult DecodePhoto(GetBmpFunction getBmp, const std::string& programFolder, int readerPort)
{
    PhotoDecodeResult result;
    const std::string photo = ResolveFile(programFolder, "ImgTemp.wlt");
    if (!Exists(photo))
        return result;

    result.Code = getBmp ? getBmp(photo.c_str(), PhotoInterfaceNumber(readerPort)) : kPhotoDecoderMissing;
    if (!getBmp || result.Code != 1) {
        result.Status = PhotoStatus::DecoderError;
        result.Message = "转换二代证图像文件错误，错误代码：" + std::to_string(result.Code);
        return result;
    }
    if (!Exists(ResolveFile(programFolder, "ImgTemp.bmp"))) {
        result.Status = PhotoStatus::NoBitmap;
        result.Message = "二代证图像文件错误。";
        return result;
    }
    result.Status = PhotoStatus::Decoded;
    return result;
}

bool PhotoDecoder::Load(const std::string& programFolder)
{
    Free();
    if (!library_.Load("wltrs.dll", programFolder)) {
        error_ = library_.ErrorText();
        return false;
    }
    getBmp_ = library_.Proc<GetBmpFunction>("GetBmp");
    if (!getBmp_) {
        error_ = "wltrs.dll has no entry point GetBmp";
        library_.Free();
    }
    return getBmp_ != nullptr;
}

void PhotoDecoder::Free() noexcept
{
    getBmp_ = nullptr;
    error_.clear();
    library_.Free();
}
