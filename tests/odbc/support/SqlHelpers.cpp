#include "odbc/support/SqlHelpers.h"

#include "odbc/driver/Oci.h"
#include "odbc/support/OdbcTestConfig.h"

void UseNewSqlite(THdbc& c)
{
    c.SetDriver("SQLite3");
    TStringList lines;
    lines.Add("Database=" + OdbcTest::NewSqliteFile());
    c.SetAttributes(lines);
}

namespace {
struct Statement
{
    SQLHANDLE h = nullptr;
    explicit Statement(THdbc& c) { Oci::SQLAllocHandle(SQL_HANDLE_STMT, c.GetHandle(), &h); }
    ~Statement() { Oci::SQLFreeHandle(SQL_HANDLE_STMT, h); }
};
SQLCHAR* Text(const std::string& s)
{
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}
} // namespace

short ExecSql(THdbc& c, const std::string& sql)
{
    Statement s(c);
    return Oci::SQLExecDirect(s.h, Text(sql), SQL_NTS);
}

long QueryLong(THdbc& c, const std::string& sql)
{
    Statement s(c);
    SQLINTEGER value = -1;
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(Oci::SQLExecDirect(s.h, Text(sql), SQL_NTS)) || !SQL_SUCCEEDED(Oci::SQLFetch(s.h)))
        return -1;
    Oci::SQLGetData(s.h, 1, SQL_C_SLONG, &value, 0, &indicator);
    return value;
}

std::string QueryText(THdbc& c, const std::string& sql)
{
    Statement s(c);
    char value[512] = {};
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(Oci::SQLExecDirect(s.h, Text(sql), SQL_NTS)) || !SQL_SUCCEEDED(Oci::SQLFetch(s.h)))
        return {};
    Oci::SQLGetData(s.h, 1, SQL_C_CHAR, value, sizeof value, &indicator);
    return value;
}
