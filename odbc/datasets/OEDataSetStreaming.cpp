// TCustomOEDataSet: the properties its published forms, TOEDataSet and TOEQuery, stream alike.
#include "odbc/datasets/CustomOEDataSet.h"

#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEParams.h"
#include "odbc/handles/Hdbc.h"
#include "platform/core/Filer.h"
#include "platform/db/DataSource.h"

namespace {

// A component is stored by its name; the name read is resolved among the owner's components once
// loading ends (the component may come later in the resource).
void DefineReference(TFiler& filer, const std::string& name, const TComponent* value,
                     const std::function<void(const std::string&)>& set)
{
    filer.DefineProperty(
        name, [&set](TReader& r) { set(r.ReadString()); },
        [value](TWriter& w) { w.WriteString(value->Name()); }, value != nullptr && !value->Name().empty());
}

} // namespace

void TCustomOEDataSet::DefineStatementProperties(TFiler& filer)
{
    DefineReference(filer, "hDbc", hDbc(), [this](const std::string& name) { SetStreamedHdbc(name); });
    DefineSubProperties(filer, "hStmt", hStmt());
}

void TCustomOEDataSet::DefineDataSetProperties(TFiler& filer)
{
    DefineReference(filer, "DataSource", DataSource(),
                    [this](const std::string& name) { SetStreamedDataSource(name); });
    DefineBooleanProperty(filer, "ParamCheck", ParamCheck(), true, [this](bool v) { SetParamCheck(v); });
    DefineBooleanProperty(filer, "Editable", Editable(), false, [this](bool v) { SetEditable(v); });
    // The parameters of the text as it is now (built, when it changed, before they are written).
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
    DefineBooleanProperty(filer, "LocateInsert", LocateInsert(), false,
                          [this](bool v) { SetLocateInsert(v); });
    DefineUpdateObjectProperty(filer);
    DefineBooleanProperty(filer, "Cached", Cached(), false, [this](bool v) { SetCached(v); });
    DefineBooleanProperty(filer, "CachedUpdates", CachedUpdates(), false,
                          [this](bool v) { SetCachedUpdates(v); });
    TDataSet::DefineProperties(filer);
}
