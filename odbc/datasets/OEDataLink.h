#pragma once
// TOEDataLink: the link through which an ODBC dataset follows its master dataset: it reopens the
// detail with the master's values when the master opens or moves to another record (a detail whose
// cached updates wait follows once they are applied or cancelled, see RefreshParams).
#include "platform/db/DataLink.h"

class TCustomOEDataSet;

class TOEDataLink : public TDetailDataLink
{
public:
    explicit TOEDataLink(TCustomOEDataSet* detail) : detail_(detail) {}
    TDataSet* GetDetailDataSet() override;

protected:
    void ActiveChanged() override;
    void CheckBrowseMode() override;
    void RecordChanged(TField* field) override;

private:
    TCustomOEDataSet* detail_;
};
