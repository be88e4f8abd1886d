#pragma once
// TOEDataSet: the ODBC dataset as placed on a form: TCustomOEDataSet with its properties published,
// that is, streamed in form resources (hDbc, hStmt, SQL, Table, StoredProc, DataSource, ParamCheck,
// Editable, LocateOption, LocateInsert, UpdateObject, Cached, CachedUpdates, then Active, Filtered and
// AutoCalcFields). Components are referred to by name and found among the owner's components once
// loading ends.
#include "odbc/datasets/CustomOEDataSet.h"

class TOEDataSet : public TCustomOEDataSet
{
public:
    using TCustomOEDataSet::TCustomOEDataSet;

    void DefineProperties(TFiler& filer) override;
    std::string ClassName() const override { return "TOEDataSet"; }
};
