// TOEDataSet: the published properties of the ODBC dataset in form resources.
#include "odbc/datasets/OEDataSet.h"

#include "platform/core/Filer.h"

void TOEDataSet::DefineProperties(TFiler& filer)
{
    DefineStatementProperties(filer);
    DefineTextProperty(filer, "SQL", SQL(), [this](const std::string& v) { SetSQL(v); });
    DefineTextProperty(filer, "Table", Table(), [this](const std::string& v) { SetTable(v); });
    DefineTextProperty(filer, "StoredProc", StoredProc(), [this](const std::string& v) { SetStoredProc(v); });
    DefineDataSetProperties(filer);
}
