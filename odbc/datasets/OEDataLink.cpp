// TOEDataLink: a detail dataset's link to its master.
#include "odbc/datasets/OEDataLink.h"

#include "odbc/datasets/CustomOEDataSet.h"

TDataSet* TOEDataLink::GetDetailDataSet()
{
    return detail_;
}

void TOEDataLink::ActiveChanged()
{
    if (detail_->Active())
        detail_->RefreshParams();
}

void TOEDataLink::CheckBrowseMode()
{
    if (detail_->Active())
        detail_->CheckBrowseMode();
}

void TOEDataLink::RecordChanged(TField* field)
{
    if (field == nullptr && detail_->Active())
        detail_->RefreshParams();
}
