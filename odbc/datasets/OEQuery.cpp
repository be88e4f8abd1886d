// TCustomOEQuery and TOEQuery: the statement text as a list of lines, and the naming properties.
#include "odbc/datasets/OEQuery.h"

#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/Filer.h"

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
    DefineStatementProperties(filer);
    DefineLinesProperty(filer, "SQL", SQL(), [this](const TStringList& lines) { SetSQL(lines); });
    DefineTextProperty(filer, "TableName", TableName(), [this](const std::string& v) { SetTableName(v); });
    DefineTextProperty(filer, "StoredProcName", StoredProcName(),
                       [this](const std::string& v) { SetStoredProcName(v); });
    DefineBooleanProperty(filer, "RequestLive", RequestLive(), false, [this](bool v) { SetRequestLive(v); });
    DefineBooleanProperty(filer, "UniDirectional", UniDirectional(), false,
                          [this](bool v) { SetUniDirectional(v); });
    DefineBooleanProperty(filer, "CacheBlobs", CacheBlobs(), true, [this](bool v) { SetCacheBlobs(v); });
    filer.DefineProperty(
        "ParamBindMode",
        [this](TReader& r) {
            const std::int32_t v = r.ReadInteger();
            if (v != pbByName && v != pbByNumber)
                throw EReadError("Invalid property value");
            SetParamBindMode(static_cast<TOEParamBindMode>(v));
        },
        [this](TWriter& w) { w.WriteInteger(ParamBindMode()); }, ParamBindMode() != pbByNumber);
    DefineDataSetProperties(filer);
}
