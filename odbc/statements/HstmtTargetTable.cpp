// THstmt: what the row writes work on — the target table, its key columns and the columns that
// cannot be written.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Check.h"
#include "odbc/handles/Henv.h"

#include <cstring>

namespace {

// A character attribute of column col; false when the driver could not tell it.
bool QuietColAttr(void* handle, std::uint16_t col, std::uint16_t field, std::string& text)
{
    char buffer[256] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = Oci::SQLColAttribute(handle, col, field, buffer, sizeof buffer, &length, nullptr);
    if (!GlobalHenv().Error().Success(rc))
        return false;
    text = TrimString(std::string(buffer, strnlen(buffer, sizeof buffer)), stTrimBoth);
    return true;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

} // namespace

void THstmt::DetermineTargetTable()
{
    RunningCall running;
    const std::string target = TrimString(targetTable_, stTrimBoth);
    if (!target.empty()) {
        tableOwner_.clear();
        tableName_ = target;
        return;
    }
    if (!Init())
        return;
    tableOwner_.clear();
    tableName_.clear();
    QuietColAttr(handle_, 1, SQL_DESC_SCHEMA_NAME, tableOwner_);
    const bool named = QuietColAttr(handle_, 1, SQL_DESC_TABLE_NAME, tableName_);
    if (tableName_.empty()) {
        // The word after " FROM " in the statement's own text.
        // Built afresh rather than with replace(), which GCC 12 at -O2 warns about (-Wrestrict).
        std::string text;
        text.reserve(sql_.size());
        for (std::size_t i = 0; i < sql_.size(); ++i) {
            const bool lineBreak = sql_[i] == '\r' && i + 1 < sql_.size() && sql_[i + 1] == '\n';
            text += lineBreak ? ' ' : sql_[i];
            if (lineBreak)
                ++i;
        }
        const std::size_t from = UpperAscii(text).find(" FROM ");
        if (from != std::string::npos) {
            tableName_ = TrimString(text.substr(from + 6), stTrimBoth);
            tableName_ = tableName_.substr(0, tableName_.find(' '));
        }
    }
    if (!named || tableName_.empty())
        throw RIDIZOrurori("Unable to determine table name:  set TargetTable property.");
}

void THstmt::DeterminePrimaryCols()
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    for (const auto& rec : cols_) {
        if (rec->Primary)
            return;
    }
    DetermineTargetTable();
    std::unique_ptr<THstmt> special = NewHelperStatement();
    void* handle = special->GetHandle();
    if (handle == nullptr)
        return;
    auto* owner = tableOwner_.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(tableOwner_.data());
    if (!CheckCall(*special, Oci::SQLSpecialColumns(handle, SQL_BEST_ROWID, nullptr, 0, owner,
                                                    owner != nullptr ? SQL_NTS : 0,
                                                    reinterpret_cast<SQLCHAR*>(tableName_.data()), SQL_NTS,
                                                    SQL_SCOPE_CURROW, SQL_NULLABLE)))
        return;
    std::vector<int> keys;
    bool allHere = true;
    const auto take = [&](THstmt& rows, std::uint16_t nameCol, bool skipPseudo) {
        while (rows.FetchNext()) {
            if (skipPseudo && rows.GetColSmallint(8) == SQL_PC_PSEUDO)
                continue;
            const int index = IndexOf(rows.GetColString(nameCol), colNames_);
            allHere = allHere && index >= 0 && static_cast<std::size_t>(index) < cols_.size();
            keys.push_back(index);
        }
    };
    take(*special, 2, true);
    if (keys.empty() || !allHere) {
        // NOTE: the SQLite driver names only its _ROWID_ pseudo column for an INTEGER PRIMARY KEY,
        // and psqlODBC nothing for a table without OIDs (or its oid, which the result lacks): the
        // table's declared primary key is taken then. A driver without SQLPrimaryKeys (mdbtools)
        // leaves the key unknown.
        keys.clear();
        allHere = true;
        std::unique_ptr<THstmt> primary = NewHelperStatement();
        void* keysHandle = primary->GetHandle();
        if (keysHandle == nullptr)
            return;
        const SQLRETURN rc =
            Oci::SQLPrimaryKeys(keysHandle, nullptr, 0, owner, owner != nullptr ? SQL_NTS : 0,
                                reinterpret_cast<SQLCHAR*>(tableName_.data()), SQL_NTS);
        if (!GlobalHenv().Error().Success(rc))
            return;
        take(*primary, 4, false);
    }
    // A key the result lacks would leave a clause that matches other rows too: all key columns or
    // none (the program then names them with PrimaryCols).
    if (!allHere)
        return;
    for (const int index : keys)
        cols_[static_cast<std::size_t>(index)]->Primary = true;
}

void THstmt::DetermineIgnoreCols()
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    for (std::size_t i = 0; i < cols_.size() && initialized_; ++i) {
        TColRec& rec = *cols_[i];
        if (ColAttrInteger(static_cast<std::uint16_t>(i + 1), SQL_DESC_UPDATABLE) != SQL_ATTR_READONLY)
            continue;
        if (rec.IsBlob || writeRow_ > rowSetSize_) {
            rec.Ind[0] = SQL_COLUMN_IGNORE;
        } else {
            // The cell's length goes; its fetched value stays for a key clause.
            KeepFetchedCell(rec, writeRow_);
            rec.Ind[writeRow_ - 1] = SQL_COLUMN_IGNORE;
        }
    }
}

std::string THstmt::GetPrimaryColNames()
{
    std::string names;
    for (const auto& rec : cols_) {
        if (rec->Primary)
            names += rec->Name + ";";
    }
    return names;
}

std::string THstmt::GetIgnoreColNames()
{
    std::string names;
    for (const auto& rec : cols_) {
        if (rec->Ignore || rec->Ind[0] == SQL_COLUMN_IGNORE)
            names += rec->Name + ";";
    }
    return names;
}
