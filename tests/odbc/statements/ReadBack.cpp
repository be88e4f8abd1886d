// ReadBack: table contents read with direct driver calls.
#include "ReadBack.h"

#include "odbc/driver/Oci.h"

#include <stdexcept>

namespace {

struct Statement
{
    SQLHANDLE h = nullptr;
    explicit Statement(THdbc& c) { Oci::SQLAllocHandle(SQL_HANDLE_STMT, c.GetHandle(), &h); }
    ~Statement() { Oci::SQLFreeHandle(SQL_HANDLE_STMT, h); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
};

} // namespace

std::vector<std::optional<std::string>> ReadColumn(THdbc& c, const std::string& sql, short cType)
{
    Statement s(c);
    if (!SQL_SUCCEEDED(
            Oci::SQLExecDirect(s.h, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS)))
        throw std::runtime_error("cannot run: " + sql);
    std::vector<std::optional<std::string>> rows;
    while (SQL_SUCCEEDED(Oci::SQLFetch(s.h))) {
        std::string value;
        char piece[4096];
        SQLLEN indicator = 0;
        bool null = false;
        for (;;) {
            const SQLRETURN rc = Oci::SQLGetData(s.h, 1, cType, piece, sizeof piece, &indicator);
            if (rc == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(rc))
                throw std::runtime_error("cannot read: " + sql);
            if (indicator == SQL_NULL_DATA) {
                null = true;
                break;
            }
            const SQLLEN room = cType == SQL_C_CHAR ? SQLLEN{sizeof piece - 1} : SQLLEN{sizeof piece};
            const SQLLEN got = indicator == SQL_NO_TOTAL || indicator > room ? room : indicator;
            value.append(piece, static_cast<std::size_t>(got));
            if (rc == SQL_SUCCESS)
                break;
        }
        rows.push_back(null ? std::nullopt : std::optional<std::string>(value));
    }
    return rows;
}

std::optional<std::string> ReadValue(THdbc& c, const std::string& sql, short cType)
{
    const auto rows = ReadColumn(c, sql, cType);
    return rows.empty() ? std::nullopt : rows.front();
}

std::string BinaryType(THdbc& c)
{
    // NOTE: SQLite reports a BLOB column as SQL_BINARY 255; LONGVARBINARY is a long column there.
    return c.GetInfoString(SQL_DBMS_NAME) == "PostgreSQL" ? "BYTEA" : "LONGVARBINARY";
}
