// TCustomOEQuery and TOEQuery: the statement text as a list of lines, and the naming properties.
#include "odbc/datasets/OEQuery.h"

#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/Filer.h"
#include "platform/db/DataSource.h"

TCustomOEQuery::TCustomOEQuery(TComponent* owner) : TCustomOEDataSet(owner)
{
    sqlLines_.SetOnChange([this] { SQLChange(); });
}

TCustomOEQuery::~TCustomOEQuery()
{
    sqlLines_.SetOnChange({});
}

void TCustomOEQuery::SQLChange()
{
    TCustomOEDataSet::SetSQL(sqlLines_.Text());
}

bool TCustomOEQuery::RequestLive()
{
    return hStmt().ConcurrencyType() != 1;
}

void TCustomOEQuery::SetRequestLive(bool value)
{
    if (!value)
        hStmt().SetConcurrencyType(1);
    else if (hStmt().ConcurrencyType() == 1)
        hStmt().SetConcurrencyType(4);
    SetEditable(value);
}

bool TCustomOEQuery::UniDirectional()
{
    return hStmt().CursorType() == 0;
}

void TCustomOEQuery::SetUniDirectional(bool value)
{
    if (value) {
        hStmt().SetCursorType(0);
    } else if (hStmt().CursorType() == 0) {
        THdbc* connection = hDbc();
        hStmt().SetCursorType(connection != nullptr && connection->CursorLib() != 2 ? 3 : 1);
    }
}

bool TCustomOEQuery::CacheBlobs()
{
    return !hStmt().BlobDeferral();
}

void TCustomOEQuery::SetCacheBlobs(bool value)
{
    hStmt().SetBlobDeferral(!value);
}

TOEParamBindMode TCustomOEQuery::ParamBindMode()
{
    return hStmt().BindByName() ? pbByName : pbByNumber;
}

void TCustomOEQuery::SetParamBindMode(TOEParamBindMode value)
{
    hStmt().SetBindByName(value == pbByName);
}

void TOEQuery::DefineProperties(TFiler& filer)
{
    const auto text = [&](const char* name, const std::string& value,
                          void (TCustomOEQuery::*setter)(const std::string&)) {
        filer.DefineProperty(
            name, [this, setter](TReader& r) { (this->*setter)(r.ReadString()); },
            [&value](TWriter& w) { w.WriteString(value); }, !value.empty());
    };
    const auto flag = [&](const char* name, bool value, bool defaultValue, auto setter) {
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
    filer.DefineProperty(
        "SQL",
        [this](TReader& r) {
            TStringList lines;
            r.ReadListBegin();
            while (!r.EndOfList())
                lines.Add(r.ReadString());
            r.ReadListEnd();
            SetSQL(lines);
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            for (const std::string& line : SQL().Lines())
                w.WriteString(line);
            w.WriteListEnd();
        },
        SQL().Count() > 0);
    text("TableName", TableName(), &TCustomOEQuery::SetTableName);
    text("StoredProcName", StoredProcName(), &TCustomOEQuery::SetStoredProcName);
    flag("RequestLive", RequestLive(), false, &TCustomOEQuery::SetRequestLive);
    flag("UniDirectional", UniDirectional(), false, &TCustomOEQuery::SetUniDirectional);
    flag("CacheBlobs", CacheBlobs(), true, &TCustomOEQuery::SetCacheBlobs);
    filer.DefineProperty(
        "ParamBindMode",
        [this](TReader& r) {
            const std::int32_t v = r.ReadInteger();
            if (v != pbByName && v != pbByNumber)
                throw EReadError("Invalid property value");
            SetParamBindMode(static_cast<TOEParamBindMode>(v));
        },
        [this](TWriter& w) { w.WriteInteger(ParamBindMode()); }, ParamBindMode() != pbByNumber);
    TDataSource* source = DataSource();
    filer.DefineProperty(
        "DataSource", [this](TReader& r) { SetStreamedDataSource(r.ReadString()); },
        [source](TWriter& w) { w.WriteString(source->Name()); },
        source != nullptr && !source->Name().empty());
    flag("ParamCheck", ParamCheck(), true, &TCustomOEQuery::SetParamCheck);
    flag("Editable", Editable(), false, &TCustomOEQuery::SetEditable);
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
    flag("LocateInsert", LocateInsert(), false, &TCustomOEQuery::SetLocateInsert);
    DefineUpdateObjectProperty(filer);
    flag("Cached", Cached(), false, &TCustomOEQuery::SetCached);
    flag("CachedUpdates", CachedUpdates(), false, &TCustomOEQuery::SetCachedUpdates);
    TCustomOEQuery::DefineProperties(filer);
}
