// THstmt: counting the rows of the whole result, by the driver, the application, a count statement
// or traversal.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Henv.h"

#include <cctype>

namespace {

// Position of word (blanks included) in text, or npos.
std::size_t Find(const std::string& text, const char* word)
{
    return text.find(word);
}

// The statement text with every kind of white space as a blank, and its keyword form: upper-cased
// (ASCII) with ",", "(" and ")" as blanks too, of the same length.
void CountTexts(const std::string& sql, std::string& text, std::string& keywords)
{
    text = sql;
    for (char& c : text) {
        if (std::isspace(static_cast<unsigned char>(c)))
            c = ' ';
    }
    keywords = text;
    for (char& c : keywords) {
        if (c == ',' || c == '(' || c == ')')
            c = ' ';
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
}

} // namespace

std::unique_ptr<THstmt> THstmt::NewHelperStatement() const
{
    auto helper = std::make_unique<THstmt>();
    helper->SetHdbc(hdbc_);
    helper->SetPump(pump_);
    helper->SetClock(clock_);
    helper->SetBlobSize(blobSize_);
    return helper;
}

void THstmt::RebindParamsTo(THstmt& target)
{
    RebindMovedValues();
    // The oldest record first, so the target's list comes out in the same order.
    for (auto it = params_.rbegin(); it != params_.rend(); ++it) {
        const TParamRec& p = **it;
        if (target.BindCore())
            target.BindParamCore(p.Param, p.ColType, p.Value, p.SqlType);
        else
            target.BindParam(p.Param, p.ColType, p.Value);
        if (TParamRec* copy = target.ParamRec(p.Param);
            copy != nullptr && copy->Ind != nullptr && p.Ind != nullptr)
            copy->Ind[0] = p.Ind[0];
    }
}

SqlLen THstmt::CountBySelect(THstmt& counter)
{
    std::string text, keywords;
    CountTexts(sql_, text, keywords);
    // A grouped statement returns its groups, which a count of the rows before grouping is not; a
    // limited one (LIMIT, OFFSET, FETCH FIRST, TOP) fewer rows than the count, which the limit does
    // not cut.
    const std::size_t from = Find(keywords, " FROM ");
    if (from == std::string::npos || Find(keywords, " DISTINCT ") != std::string::npos ||
        Find(keywords, " HAVING ") != std::string::npos || Find(keywords, " UNION ") != std::string::npos ||
        Find(keywords, " GROUP ") != std::string::npos || Find(keywords, " LIMIT ") != std::string::npos ||
        Find(keywords, " OFFSET ") != std::string::npos || Find(keywords, " FETCH ") != std::string::npos ||
        Find(keywords, " TOP ") != std::string::npos)
        return -1;
    // A parameter before FROM belongs to the select list the count drops: its markers would be
    // numbered differently.
    {
        THstmt probe;
        probe.sql_ = text.substr(0, from);
        if (probe.GetParamNames().Count() > 0)
            return -1;
    }
    std::size_t end = text.size();
    if (const std::size_t order = Find(keywords, " ORDER "); order != std::string::npos && order > from)
        end = std::min(end, order);
    counter.SetSQL("SELECT Count(*)" + text.substr(from, end - from));
    counter.Prepare();
    RebindParamsTo(counter);
    counter.Execute();
    // A count statement always gives one row. NOTE: mdbtools answers Count(*) with a WHERE clause
    // with no row at all; a missing, NULL or 0 count is confirmed by fetching (cheap when true).
    if (!counter.FetchNext() || counter.GetColNull(1))
        return -1;
    const SqlLen count = static_cast<SqlLen>(counter.GetColInt64(1));
    return count > 0 ? count : -1;
}

SqlLen THstmt::CountByTraversal(THstmt& counter)
{
    counter.SetSQL(sql_);
    counter.Prepare();
    RebindParamsTo(counter);
    counter.Execute();
    // Only a statement that returns rows is fetched; anything else is not run again and again.
    if (counter.GetColCount() <= 0)
        return 0;
    SqlLen rows = 0;
    while (counter.FetchNext())
        ++rows;
    return rows;
}

SqlLen THstmt::GetRowCount()
{
    RunningCall running;
    // The statement returns no more rows than MaxRows lets through; neither the driver's count nor
    // a count statement knows of that limit. The OnRowCount handler's answer is taken as it is.
    const SqlULen maxRows = GetMaxRows();
    const auto capped = [maxRows](SqlLen count) {
        return maxRows > 0 && count > static_cast<SqlLen>(maxRows) ? static_cast<SqlLen>(maxRows) : count;
    };
    if (rowCountMethod_ == rcFunction && Init()) {
        // NOTE: mdbtools answers this diagnostic field with 0 and success whatever the result holds,
        // so 0 is never taken for "no rows": it falls through to counting, which finds 0 soon enough
        // where it is true.
        SQLLEN count = -1;
        const SQLRETURN rc =
            Oci::SQLGetDiagField(SQL_HANDLE_STMT, handle_, 0, SQL_DIAG_CURSOR_ROW_COUNT, &count, 0, nullptr);
        SetRetCode(rc);
        if (GlobalHenv().Error().Success(rc) && count > 0)
            return capped(count);
    }
    if (rowCountMethod_ == rcCustom) {
        const std::int32_t count = DoRowCount();
        if (count >= 0)
            return count;
    }
    std::unique_ptr<THstmt> counter = NewHelperStatement();
    counter->SetMaxRows(maxRows);
    if (rowCountMethod_ != rcTraverse) {
        try {
            const SqlLen count = CountBySelect(*counter);
            if (count >= 0)
                return capped(count);
        } catch (const Exception&) {
            // The count statement is a guess at the text; counting by traversal does not guess.
        }
        counter = NewHelperStatement();
        counter->SetMaxRows(maxRows);
    }
    return capped(CountByTraversal(*counter));
}
