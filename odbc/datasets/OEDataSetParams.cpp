// TCustomOEDataSet: the parameters of the statement text or of the stored procedure, their buffers,
// binding, and the values of output parameters read back; filled by the caller or by a master
// dataset.
#include "odbc/datasets/CustomOEDataSet.h"

#include "odbc/base/OcihText.h"
#include "odbc/catalog/OECatalog.h"
#include "odbc/datasets/OEFieldTypes.h"
#include "odbc/datasets/OEParams.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/StringUtils.h"
#include "platform/db/Field.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace {

// A definition keeps a column size of 16 bits; a larger one (a long column) is kept as unknown, and
// the buffer is then sized from the value.
std::uint16_t DefinitionSize(SqlULen size)
{
    return size <= std::numeric_limits<std::uint16_t>::max() ? static_cast<std::uint16_t>(size) : 0;
}

// psqlODBC lists a function's return value without a name. The call text names every parameter, and
// the value is read back by name, so it gets one that no other parameter of the procedure has.
std::string ResultName(const std::vector<TCatalogColumn>& columns)
{
    for (int n = 0;; ++n) {
        std::string name = n == 0 ? "Result" : "Result" + std::to_string(n);
        if (std::none_of(columns.begin(), columns.end(),
                         [&](const TCatalogColumn& column) { return SameText(column.Name, name); }))
            return name;
    }
}

} // namespace

TParams& TCustomOEDataSet::Params()
{
    CreateParams();
    return *params_;
}

void TCustomOEDataSet::SetParams(const TParams& value)
{
    params_->AssignValues(value);
}

TParam* TCustomOEDataSet::ParamByName(const std::string& name)
{
    return Params().ParamByName(name);
}

int TCustomOEDataSet::ParamCount()
{
    return Params().Count();
}

const TStringList& TCustomOEDataSet::GetParamNames()
{
    paramNameList_.Clear();
    TParams& params = Params();
    for (int i = 0; i < params.Count(); ++i)
        paramNameList_.Add(params.Items(i)->Name());
    return paramNameList_;
}

void TCustomOEDataSet::CreateParams()
{
    if (!paramsChanged_ || HasState(csLoading))
        return;
    if (!table_.empty()) {
        params_->Clear();
        return;
    }
    if (!storedProc_.empty())
        CreateProcParams();
    else
        CreateSQLParams();
    paramsChanged_ = false;
    UnBind();
}

void TCustomOEDataSet::DescribeOneParam(std::uint16_t marker, std::int16_t& sqlType, SqlULen& size,
                                        std::int16_t& scale, std::int16_t& nullable, bool& describing)
{
    sqlType = SQL_CHAR;
    size = 0;
    scale = 0;
    nullable = SQL_NULLABLE;
    if (!describing)
        return;
    try {
        Prepare();
        statement_->DescribeParam(marker, sqlType, size, scale, nullable, hDbc()->Core());
    } catch (const std::exception&) {
        // The defaults stand, for this parameter and the rest of this rebuild.
        describing = false;
        sqlType = SQL_CHAR;
        size = 0;
        scale = 0;
        nullable = SQL_NULLABLE;
    }
}

void TCustomOEDataSet::CreateSQLParams()
{
    const TStringList names = statement_->GetParamNames();
    bool describing = hDbc() != nullptr;
    const auto add = [&](int position) {
        const std::string& name = names[position - 1];
        std::int16_t sqlType = SQL_CHAR, scale = 0, nullable = SQL_NULLABLE;
        SqlULen size = 0;
        DescribeOneParam(static_cast<std::uint16_t>(position), sqlType, size, scale, nullable, describing);
        const TFieldType type = SqlTypeToFieldType(sqlType, true);
        params_->RemoveOEDef(name);
        params_->CreateOEDef(name, nullable == SQL_NO_NULLS, type, scale, DefinitionSize(size));
        params_->CreateParam(type, name, ptInput);
    };
    if (HasState(csDesigning)) {
        params_->Clear();
        params_->FreeOEDefs();
        for (int i = 1; i <= names.Count(); ++i)
            add(i);
        return;
    }
    // Parameters the text no longer names go; new names come in; existing ones keep their values.
    for (int i = params_->Count() - 1; i >= 0; --i) {
        TParam* param = params_->Items(i);
        if (names.IndexOf(param->Name()) < 0) {
            params_->RemoveOEDef(param->Name());
            params_->RemoveParam(param);
        }
    }
    for (int i = 1; i <= names.Count(); ++i) {
        if (params_->FindParam(names[i - 1]) == nullptr)
            add(i);
    }
}

void TCustomOEDataSet::CreateProcParams()
{
    THdbc* connection = hDbc();
    if (connection == nullptr)
        return;
    connection->Connect();
    TOECatalog catalog;
    catalog.SetHdbc(connection);
    catalog.Refresh();
    TCatalogProcedure* procedure = catalog.ProcedureByName("", storedProc_);
    if (procedure == nullptr)
        return;
    TCatalogColumns& columns = procedure->GetColumns();
    std::vector<TCatalogColumn> used;
    for (int i = 0; i < columns.GetCount(); ++i) {
        if (columns.GetItem(i)->ColumnType != SQL_RESULT_COL)
            used.push_back(*columns.GetItem(i));
    }
    for (TCatalogColumn& column : used) {
        if (column.ColumnType == SQL_RETURN_VALUE && column.Name.empty())
            column.Name = ResultName(used);
    }
    const auto add = [&](const TCatalogColumn& column) {
        const TFieldType type = SqlTypeToFieldType(column.DataType, true);
        params_->RemoveOEDef(column.Name);
        params_->CreateOEDef(column.Name, column.Nullable == SQL_NO_NULLS, type, column.Scale,
                             DefinitionSize(static_cast<SqlULen>(std::max(column.Precision, 0))));
        params_->CreateParam(type, column.Name, ODBCToParamType(column.ColumnType));
    };
    if (HasState(csDesigning)) {
        for (int i = params_->Count() - 1; i >= 0; --i) {
            TParam* param = params_->Items(i);
            const bool named = std::any_of(used.begin(), used.end(), [&](const TCatalogColumn& c) {
                return UpperCase(c.Name) == UpperCase(param->Name());
            });
            if (!named) {
                params_->RemoveOEDef(param->Name());
                params_->RemoveParam(param);
            }
        }
        for (const TCatalogColumn& column : used) {
            if (params_->FindParam(column.Name) == nullptr)
                add(column);
        }
        return;
    }
    params_->Clear();
    params_->FreeOEDefs();
    for (const TCatalogColumn& column : used)
        add(column);
}

void TCustomOEDataSet::FreeParamBuffers()
{
    params_->FreeOEParams();
    params_->FreeOEDefs();
    UnBind();
}

void TCustomOEDataSet::BindParams()
{
    if (HasState(csLoading))
        return;
    if (!paramsBound_) {
        Prepare();
        CreateParams();
    }
    const auto unbind = [this] { UnBind(); };
    params_->CreateOEParams(unbind);
    params_->WriteOEParamsData(unbind);
    if (!paramsBound_) {
        THdbc* connection = hDbc();
        const bool core = connection == nullptr || connection->Core();
        for (int i = 0; i < params_->Count(); ++i)
            params_->BindOneParam(*statement_, *params_->Items(i), core);
        paramsBound_ = true;
    }
    params_->WriteOEParamsSize(*statement_);
}

void TCustomOEDataSet::ReadOEParams()
{
    params_->ReadOEParams(*statement_);
}
// ---- Master and detail

void TCustomOEDataSet::FillParamsFromMaster(TDataSet& master)
{
    for (int i = 0; i < params_->Count(); ++i) {
        TParam* param = params_->Items(i);
        if (!param->Bound()) {
            param->AssignField(*master.FieldByName(param->Name()));
            param->SetBound(false);
        }
    }
}

void TCustomOEDataSet::SetParamsFromCursor()
{
    TDataSet* master = MasterDataSet();
    if (master == nullptr || !master->Active())
        return;
    // The parameters the text names exist once it is prepared; the statement is executed once, by
    // the open that follows (executing it here as well would run a procedure's work twice and leave
    // a cursor open under the second execution).
    Prepare();
    CreateParams();
    FillParamsFromMaster(*master);
}

void TCustomOEDataSet::GetDetailLinkFields(std::vector<TField*>& masterFields,
                                           std::vector<TField*>& detailFields)
{
    masterFields.clear();
    detailFields.clear();
    TDataSet* master = MasterDataSet();
    if (master == nullptr)
        return;
    TParams& params = Params();
    for (int i = 0; i < params.Count(); ++i) {
        const std::string& name = params.Items(i)->Name();
        if (TField* masterField = master->FindField(name)) {
            masterFields.push_back(masterField);
            if (TField* detailField = FindField(name))
                detailFields.push_back(detailField);
        }
    }
}
