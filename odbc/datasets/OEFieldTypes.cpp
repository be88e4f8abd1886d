// OEFieldTypes: the type maps between ODBC and the dataset model.
#include "odbc/datasets/OEFieldTypes.h"

#include <sql.h>
#include <sqlext.h>

TFieldType SqlTypeToFieldType(std::int16_t sqlType, bool signedFlag)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
        return ftString;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        return ftMemo;
    case SQL_BINARY:
    case SQL_VARBINARY:
        return ftBytes;
    case SQL_LONGVARBINARY:
        return ftBlob;
    case SQL_BIT:
        return ftBoolean;
    case SQL_TINYINT:
    case SQL_SMALLINT:
        return signedFlag ? ftSmallint : ftWord;
    case SQL_INTEGER:
        return ftInteger;
    case SQL_BIGINT:
        return ftLargeint;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
        return ftFloat;
    case SQL_TYPE_DATE:
        return ftDate;
    case SQL_TYPE_TIME:
        return ftTime;
    case SQL_TYPE_TIMESTAMP:
        return ftDateTime;
    default:
        return ftUnknown;
    }
}

std::int16_t FieldTypeToCType(TFieldType fieldType)
{
    switch (static_cast<TFieldType>(fieldType & 0x7F)) {
    case ftSmallint:
        return SQL_C_SSHORT;
    case ftInteger:
        return SQL_C_SLONG;
    case ftWord:
        return SQL_C_USHORT;
    case ftBoolean:
        return SQL_C_BIT;
    case ftLargeint:
        return SQL_C_SBIGINT;
    case ftFloat:
    case ftCurrency:
        return SQL_C_DOUBLE;
    case ftDate:
        return SQL_C_TYPE_DATE;
    case ftTime:
        return SQL_C_TYPE_TIME;
    case ftDateTime:
        return SQL_C_TYPE_TIMESTAMP;
    case ftBytes:
    case ftBlob:
        return SQL_C_BINARY;
    default:
        return SQL_C_CHAR;
    }
}

TParamType ODBCToParamType(std::int16_t direction)
{
    switch (direction) {
    case SQL_PARAM_INPUT:
        return ptInput;
    case SQL_PARAM_INPUT_OUTPUT:
        return ptInputOutput;
    case SQL_PARAM_OUTPUT:
        return ptOutput;
    case SQL_RETURN_VALUE:
        return ptResult;
    default:
        return ptUnknown;
    }
}

std::int16_t ParamTypeToODBC(TParamType paramType)
{
    switch (paramType) {
    case ptInput:
        return SQL_PARAM_INPUT;
    case ptInputOutput:
        return SQL_PARAM_INPUT_OUTPUT;
    case ptOutput:
    case ptResult:
        return SQL_PARAM_OUTPUT;
    default:
        return 0;
    }
}
