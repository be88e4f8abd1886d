// The type maps between ODBC and the dataset model.
#include "odbc/datasets/OEFieldTypes.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

TEST(FieldTypes, SqlTypesMapToFieldTypes)
{
    struct Case
    {
        std::int16_t sqlType;
        bool signedFlag;
        TFieldType expected;
    };
    const Case cases[] = {
        {SQL_CHAR, false, ftString},
        {SQL_VARCHAR, true, ftString},
        {SQL_WCHAR, false, ftString}, // narrowed to text by the handle layer
        {SQL_WVARCHAR, false, ftString},
        {SQL_WLONGVARCHAR, false, ftMemo},
        {SQL_LONGVARCHAR, false, ftMemo},
        {SQL_BINARY, false, ftBytes},
        {SQL_VARBINARY, false, ftBytes},
        {SQL_LONGVARBINARY, false, ftBlob},
        {SQL_BIT, false, ftBoolean},
        {SQL_TINYINT, true, ftSmallint},
        {SQL_TINYINT, false, ftWord},
        {SQL_SMALLINT, true, ftSmallint},
        {SQL_SMALLINT, false, ftWord},
        {SQL_INTEGER, false, ftInteger},
        {SQL_BIGINT, true, ftLargeint}, // all 64 bits
        {SQL_NUMERIC, false, ftFloat},
        {SQL_DECIMAL, false, ftFloat},
        {SQL_FLOAT, false, ftFloat},
        {SQL_REAL, false, ftFloat},
        {SQL_DOUBLE, false, ftFloat},
        {SQL_TYPE_DATE, false, ftDate},
        {SQL_TYPE_TIME, false, ftTime},
        {SQL_TYPE_TIMESTAMP, false, ftDateTime},
        {0, false, ftUnknown},
        {9, false, ftUnknown}, // the ODBC 2 date code
        {SQL_GUID, false, ftUnknown},
        {77, false, ftUnknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SqlTypeToFieldType(c.sqlType, c.signedFlag), c.expected)
            << c.sqlType << " " << c.signedFlag;
}

TEST(FieldTypes, FieldTypesMapToCTypesByTheirLowSevenBits)
{
    struct Case
    {
        int fieldType;
        std::int16_t expected;
    };
    const Case cases[] = {
        {ftSmallint, SQL_C_SSHORT},      {ftInteger, SQL_C_SLONG},  {ftWord, SQL_C_USHORT},
        {ftBoolean, SQL_C_BIT},          {ftFloat, SQL_C_DOUBLE},   {ftCurrency, SQL_C_DOUBLE},
        {ftDate, SQL_C_TYPE_DATE},       {ftTime, SQL_C_TYPE_TIME}, {ftDateTime, SQL_C_TYPE_TIMESTAMP},
        {ftBytes, SQL_C_BINARY},         {ftBlob, SQL_C_BINARY},    {ftLargeint, SQL_C_SBIGINT},
        {ftUnknown, SQL_C_CHAR},         {ftString, SQL_C_CHAR},    {ftBCD, SQL_C_CHAR},
        {ftVarBytes, SQL_C_CHAR},        {ftAutoInc, SQL_C_CHAR},   {ftMemo, SQL_C_CHAR},
        {ftInteger | 0x80, SQL_C_SLONG},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FieldTypeToCType(static_cast<TFieldType>(c.fieldType)), c.expected) << c.fieldType;
}

TEST(FieldTypes, ParameterDirectionsBothWays)
{
    EXPECT_EQ(ODBCToParamType(SQL_PARAM_INPUT), ptInput);
    EXPECT_EQ(ODBCToParamType(SQL_PARAM_INPUT_OUTPUT), ptInputOutput);
    EXPECT_EQ(ODBCToParamType(SQL_PARAM_OUTPUT), ptOutput);
    EXPECT_EQ(ODBCToParamType(SQL_RETURN_VALUE), ptResult);
    for (std::int16_t other : {0, 3, 6, -1})
        EXPECT_EQ(ODBCToParamType(other), ptUnknown) << other;

    EXPECT_EQ(ParamTypeToODBC(ptUnknown), 0);
    EXPECT_EQ(ParamTypeToODBC(ptInput), SQL_PARAM_INPUT);
    EXPECT_EQ(ParamTypeToODBC(ptInputOutput), SQL_PARAM_INPUT_OUTPUT);
    EXPECT_EQ(ParamTypeToODBC(ptOutput), SQL_PARAM_OUTPUT);
    EXPECT_EQ(ParamTypeToODBC(ptResult), SQL_PARAM_OUTPUT) << "a result is bound as an output parameter";
    EXPECT_EQ(ParamTypeToODBC(static_cast<TParamType>(9)), 0);
}
