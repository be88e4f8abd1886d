// THstmt: column and parameter names, and the driver's names of SQL types.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Henv.h"
#include "platform/core/StringUtils.h"

std::uint16_t THstmt::ColByName(std::string_view name)
{
    if (!colsBound_) {
        Operation([this] {
            if (Init())
                BindCols();
            return true;
        });
    }
    const int index = IndexOf(name, colNames_);
    if (index < 0)
        throw RIDIZOrurori("Identifier " + std::string(name) + " not found in result set.");
    return static_cast<std::uint16_t>(index + 1);
}

std::uint16_t THstmt::ParamByName(std::string_view name)
{
    Log(1, "THstmt.ParamByName");
    const std::string wanted = UpperCase(std::string(name));
    for (int i = 0; i < paramNames_.Count(); ++i) {
        if (UpperCase(paramNames_[i]) == wanted)
            return static_cast<std::uint16_t>(i + 1);
    }
    throw RIDIZOrurori("Token " + wanted + " not found in SQL statement.");
}

void THstmt::NullCols(std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names)
        SetColNull(ColByName(name), true);
}

void THstmt::IgnoreCols(std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names)
        SetColIgnore(ColByName(name), true);
}

void THstmt::PrimaryCols(std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names)
        SetColPrimary(ColByName(name), true);
}

std::string THstmt::TypeString(std::int16_t dataType, SqlLen size)
{
    RunningCall running;
    Close();
    if (!initialized_)
        return {};
    const SQLRETURN rc = Oci::SQLGetTypeInfo(handle_, dataType);
    SetRetCode(rc);
    std::string name;
    if (GlobalHenv().Error().Success(rc) && FetchNext())
        name = GetColString(1);
    Close();
    if (size > 0 && !name.empty() &&
        (dataType == SQL_CHAR || dataType == SQL_VARCHAR || dataType == SQL_BINARY ||
         dataType == SQL_VARBINARY)) {
        const std::size_t open = name.find('(');
        if (open != std::string::npos)
            name.insert(open + 1, std::to_string(size));
        else
            name += "(" + std::to_string(size) + ")";
    }
    return name;
}
