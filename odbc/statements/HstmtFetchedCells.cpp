// THstmt: the fetched values of edited cells, kept until the next fetch so that a write keyed on a
// column the program changed still finds its row.
#include "odbc/statements/Hstmt.h"

#include <cstring>

void THstmt::KeepFetchedCell(TColRec& rec, SqlULen row)
{
    if (rec.IsBlob || rec.Value == nullptr || row == 0 || row > rowSetSize_)
        return;
    if (rec.Fetched.size() < rowSetSize_)
        rec.Fetched.resize(rowSetSize_);
    std::optional<TFetchedCell>& kept = rec.Fetched[row - 1];
    if (kept)
        return;
    const auto* cell = static_cast<const std::uint8_t*>(RowOffset(rec.Value, row, rec.CellWidth));
    kept.emplace(TFetchedCell{std::vector<std::uint8_t>(cell, cell + rec.CellWidth), rec.Ind[row - 1]});
    fetchedKept_ = true;
}

void THstmt::ForgetFetchedCells()
{
    if (!fetchedKept_)
        return;
    for (const auto& rec : cols_)
        rec->Fetched.clear();
    fetchedKept_ = false;
}

void THstmt::ForgetFetchedRow(SqlULen row)
{
    // The row as written is what the database holds now.
    for (const auto& rec : cols_) {
        if (row >= 1 && row <= rec->Fetched.size())
            rec->Fetched[row - 1].reset();
    }
}
