// FillUpdateParams: parameters of an update object's statement from the row being written.
#include "odbc/datasets/updates/UpdateParams.h"

#include "odbc/datasets/CustomOEDataSet.h"
#include "platform/core/StringUtils.h"
#include "platform/db/Field.h"
#include "platform/db/Params.h"

#include <string>
#include <string_view>

void FillUpdateParams(TCustomOEDataSet& dataSet, TParams& params)
{
    constexpr std::string_view kOld = "OLD_";
    for (int i = 0; i < params.Count(); ++i) {
        TParam* param = params.Items(i);
        std::string_view name = param->Name();
        const bool old = name.size() >= kOld.size() && SameText(name.substr(0, kOld.size()), kOld);
        if (old)
            name.remove_prefix(kOld.size());
        const TField* field = dataSet.FindField(std::string(name));
        if (field == nullptr)
            continue;
        // The old value is read in the dataset's old-value state: the record's values from before
        // this edit, or, in cached write-back, from before its first edit.
        param->AssignFieldValue(*field, old ? field->OldValue() : field->AsVariant());
    }
}
