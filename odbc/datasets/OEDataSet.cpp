// TOEDataSet: the published properties of the ODBC dataset in form resources.
#include "odbc/datasets/OEDataSet.h"

#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/handles/Hdbc.h"
#include "platform/core/Filer.h"
#include "platform/db/DataSource.h"

void TOEDataSet::DefineProperties(TFiler& filer)
{
    const auto text = [&](const char* name, const std::string& value,
                          void (TCustomOEDataSet::*setter)(const std::string&)) {
        filer.DefineProperty(
            name, [this, setter](TReader& r) { (this->*setter)(r.ReadString()); },
            [&value](TWriter& w) { w.WriteString(value); }, !value.empty());
    };
    const auto flag = [&](const char* name, bool value, bool defaultValue,
                          void (TCustomOEDataSet::*setter)(bool)) {
        filer.DefineProperty(
            name, [this, setter](TReader& r) { (this->*setter)(r.ReadBoolean()); },
            [value](TWriter& w) { w.WriteBoolean(value); }, value != defaultValue);
    };
    THdbc* connection = hDbc();
    filer.DefineProperty(
        "hDbc", [this](TReader& r) { SetStreamedHdbc(r.ReadString()); },
        [connection](TWriter& w) { w.WriteString(connection->Name()); },
        connection != nullptr && !connection->Name().empty());
    DefineSubProperties(filer, "hStmt", hStmt());
    text("SQL", SQL(), &TCustomOEDataSet::SetSQL);
    text("Table", Table(), &TCustomOEDataSet::SetTable);
    text("StoredProc", StoredProc(), &TCustomOEDataSet::SetStoredProc);
    TDataSource* source = DataSource();
    filer.DefineProperty(
        "DataSource", [this](TReader& r) { SetStreamedDataSource(r.ReadString()); },
        [source](TWriter& w) { w.WriteString(source->Name()); },
        source != nullptr && !source->Name().empty());
    flag("ParamCheck", ParamCheck(), true, &TCustomOEDataSet::SetParamCheck);
    flag("Editable", Editable(), false, &TCustomOEDataSet::SetEditable);
    // "Params" (read only, from earlier resources).
    Params().DefineProperties(filer);
    filer.DefineProperty(
        "LocateOption",
        [this](TReader& r) {
            const std::int32_t v = r.ReadInteger();
            if (v != loPrefix && v != loSubString)
                throw EReadError("Invalid property value");
            SetLocateOption(static_cast<TOELocateOption>(v));
        },
        [this](TWriter& w) { w.WriteInteger(LocateOption()); }, LocateOption() != loPrefix);
    flag("LocateInsert", LocateInsert(), false, &TCustomOEDataSet::SetLocateInsert);
    DefineUpdateObjectProperty(filer);
    flag("Cached", Cached(), false, &TCustomOEDataSet::SetCached);
    flag("CachedUpdates", CachedUpdates(), false, &TCustomOEDataSet::SetCachedUpdates);
    TCustomOEDataSet::DefineProperties(filer);
}
