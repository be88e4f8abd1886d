// TCustomOEDataSet: the parameters of the statement text, filled by the caller or by a master
// dataset, and their binding.
//
// The binding here is the plain one the datasets need to run their statements: every parameter's
// value as native ODBC data in a buffer of the dataset, bound by marker with a description made from
// the value. Parameter definitions, procedure parameters from the catalog and streams for long values
// belong to the query's parameter collection.
#include "odbc/datasets/CustomOEDataSet.h"

#include "odbc/base/OcihText.h"
#include "odbc/datasets/OEFieldTypes.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/StringUtils.h"
#include "platform/db/Field.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>

namespace {

// The SQL type a value of the C type is described as; long values travel in their buffers whole.
std::int16_t DescribedSqlType(std::int16_t cType, TFieldType dataType)
{
    if (dataType == ftMemo)
        return SQL_VARCHAR;
    if (dataType == ftBlob || dataType == ftBytes)
        return SQL_VARBINARY;
    return ColTypeToSqlType(cType);
}

} // namespace

TParams& TCustomOEDataSet::Params()
{
    CreateParams();
    return *params_;
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
    if (storedProc_.empty()) {
        // The names the statement text holds: parameters no longer named go, new names come in as
        // input parameters; existing ones keep their values.
        const TStringList& names = statement_->GetParamNames();
        for (int i = params_->Count() - 1; i >= 0; --i) {
            TParam* param = params_->Items(i);
            if (names.IndexOf(param->Name()) < 0)
                params_->RemoveParam(param);
        }
        for (const std::string& name : names.Lines())
            if (params_->FindParam(name) == nullptr)
                params_->CreateParam(ftUnknown, name, ptInput);
    }
    paramsChanged_ = false;
    UnBind();
}

void TCustomOEDataSet::FreeParamBuffers()
{
    paramBuffers_.clear();
    paramBufferTypes_.clear();
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
    const TStringList& markers = statement_->GetParamNames();
    const auto count = static_cast<std::size_t>(params_->Count());
    if (paramBuffers_.size() != count) {
        paramBuffers_.assign(count, {});
        paramBufferTypes_.assign(count, ftUnknown);
        UnBind();
    }
    // Each value into its buffer as the C type of its field type; a buffer that is too small or of
    // another type is made anew, and then everything is bound again.
    for (std::size_t i = 0; i < count; ++i) {
        const TParam& param = *params_->Items(static_cast<int>(i));
        std::vector<std::uint8_t> value;
        if (!param.IsNull()) {
            switch (param.DataType()) {
            case ftDate: {
                const TDate date = TSAsDate(DateTimeToTS(param.AsDateTime()));
                value.resize(sizeof date);
                std::memcpy(value.data(), &date, sizeof date);
                break;
            }
            case ftTime: {
                const TTime time = TSAsTime(DateTimeToTS(param.AsDateTime()));
                value.resize(sizeof time);
                std::memcpy(value.data(), &time, sizeof time);
                break;
            }
            case ftDateTime: {
                const TTimeStamp ts = DateTimeToTS(param.AsDateTime());
                value.resize(sizeof ts);
                std::memcpy(value.data(), &ts, sizeof ts);
                break;
            }
            default:
                value.resize(param.GetDataSize());
                param.GetData(value.data());
                break;
            }
        }
        std::vector<std::uint8_t>& buffer = paramBuffers_[i];
        const std::size_t wanted = std::max<std::size_t>(
            {value.size(), 16, param.DataType() == ftString ? std::size_t{256} : std::size_t{0}});
        if (paramBufferTypes_[i] != param.DataType() || buffer.size() < value.size() || buffer.empty()) {
            buffer.assign(wanted, 0);
            paramBufferTypes_[i] = param.DataType();
            UnBind();
        }
        std::fill(buffer.begin(), buffer.end(), 0);
        std::copy(value.begin(), value.end(), buffer.begin());
    }
    for (int m = 1; m <= markers.Count(); ++m) {
        const auto marker = static_cast<std::uint16_t>(m);
        int index = -1;
        for (int i = 0; i < params_->Count(); ++i)
            if (SameText(params_->Items(i)->Name(), markers.Strings(m - 1))) {
                index = i;
                break;
            }
        if (index < 0)
            continue;
        const TParam& param = *params_->Items(index);
        std::vector<std::uint8_t>& buffer = paramBuffers_[static_cast<size_t>(index)];
        if (!paramsBound_) {
            const std::int16_t cType = FieldTypeToCType(param.DataType());
            const std::int16_t sqlType = DescribedSqlType(cType, param.DataType());
            std::int16_t describedType = sqlType;
            SqlULen columnSize = 0;
            std::int16_t digits = 0;
            std::int16_t nullable = 2;
            statement_->DescribeParam(marker, describedType, columnSize, digits, nullable, true);
            if (cType == SQL_C_CHAR)
                columnSize = std::max<SqlULen>(buffer.size() - 1, 1);
            else if (cType == SQL_C_BINARY)
                columnSize = buffer.size();
            statement_->SetParamType(ParamTypeToODBC(param.ParamType()));
            statement_->BindParamMain(marker, cType, buffer.data(), sqlType, columnSize, digits, nullable, 0);
        }
        SqlLen size = 0;
        if (param.IsNull())
            size = SQL_NULL_DATA;
        else if (param.DataType() == ftString || param.DataType() == ftMemo || param.DataType() == ftUnknown)
            size = static_cast<SqlLen>(param.GetDataSize()) - 1;
        else if (param.DataType() == ftBytes || param.DataType() == ftBlob || param.DataType() == ftVarBytes)
            size = static_cast<SqlLen>(param.GetDataSize());
        statement_->SetParamSize(marker, size);
    }
    paramsBound_ = true;
}

void TCustomOEDataSet::ReadOEParams()
{
    const TStringList& markers = statement_->GetParamNames();
    for (int i = 0; i < params_->Count(); ++i) {
        TParam& param = *params_->Items(i);
        if (param.ParamType() != ptOutput && param.ParamType() != ptInputOutput &&
            param.ParamType() != ptResult)
            continue;
        const int m = markers.IndexOf(param.Name());
        if (m < 0 || static_cast<std::size_t>(i) >= paramBuffers_.size())
            continue;
        const SqlLen size = statement_->GetParamSize(static_cast<std::uint16_t>(m + 1));
        const std::vector<std::uint8_t>& buffer = paramBuffers_[static_cast<size_t>(i)];
        if (size == SQL_NULL_DATA) {
            param.Clear();
            continue;
        }
        switch (param.DataType()) {
        case ftDate: {
            TDate date{};
            std::memcpy(&date, buffer.data(), sizeof date);
            param.SetAsDate(TSToDateTime(DateAsTS(date)));
            break;
        }
        case ftTime: {
            TTime time{};
            std::memcpy(&time, buffer.data(), sizeof time);
            param.SetAsTime(TSToDateTime(TimeAsTS(time)));
            break;
        }
        case ftDateTime: {
            TTimeStamp ts{};
            std::memcpy(&ts, buffer.data(), sizeof ts);
            param.SetAsDateTime(TSToDateTime(ts));
            break;
        }
        default:
            param.SetData(buffer.data(), size >= 0 ? std::min(static_cast<std::size_t>(size), buffer.size())
                                                   : buffer.size());
            break;
        }
    }
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
