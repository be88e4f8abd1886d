#include "reader/SdkLibrary.h"

bool SdkLibrary::Load(const std::string& programFolder)
{
    api_ = SdtApi{};
    if (!library_.Load("sdtapi.dll", programFolder))
        return false;
    api_.SDT_GetSAMID = library_.Proc<SdtGetSamIdFn>("SDT_GetSAMID");
    api_.SDT_StartFindIDCard = library_.Proc<SdtStartFindIdCardFn>("SDT_StartFindIDCard");
    api_.SDT_SelectIDCard = library_.Proc<SdtSelectIdCardFn>("SDT_SelectIDCard");
    api_.SDT_ReadBaseMsg = library_.Proc<SdtReadBaseMsgFn>("SDT_ReadBaseMsg");
    api_.SDT_ReadBaseFPMsg = library_.Proc<SdtReadBaseFpMsgFn>("SDT_ReadBaseFPMsg");
    return true;
}
