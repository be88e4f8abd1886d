#pragma once
// OEFieldTypes: the type maps between ODBC and the dataset model (SQL type to field type, field type
// to C type, parameter directions both ways).
#include "platform/db/DBTypes.h"

#include <cstdint>

// The field type of an SQL type. signedFlag tells SQL_TINYINT and SQL_SMALLINT apart (ftSmallint when
// set, ftWord when not); a result column passes it only when it is bound as a signed C type.
// SQL_BIGINT gives ftLargeint, so its values keep all 64 bits, and the wide-character types give the
// types of their narrowed forms (the handle layer binds them as text).
TFieldType SqlTypeToFieldType(std::int16_t sqlType, bool signedFlag);

// The C type a value of the field type is bound as (only the low seven bits of the type count).
std::int16_t FieldTypeToCType(TFieldType fieldType);

TParamType ODBCToParamType(std::int16_t direction);
// ptResult is bound as an output parameter (SQL_PARAM_OUTPUT).
std::int16_t ParamTypeToODBC(TParamType paramType);
