// Sex and nation code lookup through the main window's query.
#include "app/mainwindow/CodeLookup.h"

#include "app/CardFields.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/NumberText.h"
#include "platform/db/Field.h"

namespace {

void Begin(TCustomOEQuery& query, const char* firstLine)
{
    query.Close();
    query.SQL().Clear();
    query.SQL().Add(firstLine);
}

// The text of the first row for code; shown when there is no row.
// NOTE: the Access database's driver has no parameter markers: the code goes into the statement
// text, so callers pass only plain codes.
std::string FirstText(TCustomOEQuery& query, const std::string& code, const std::string& shown)
{
    query.SQL().Add(" and di_selno = '" + code + "'");
    query.Open();
    return query.Eof() ? shown : query.FieldByName("di_cvalue")->AsString();
}

} // namespace

std::string LookupSexText(TCustomOEQuery& query, const std::string& code)
{
    Begin(query, " select di_selno,di_mnemonic,di_cvalue from dictionary where di_dfid=7 ");
    if (!IsPlainCode(code))
        return code;
    return FirstText(query, code, code);
}

std::string LookupNationText(TCustomOEQuery& query, const std::string& code)
{
    Begin(query, " select di_selno,di_mnemonic,di_cvalue from dictionary where di_dfid=8 ");
    if (!IsPlainCode(code))
        return code;
    // Plain and a number: its decimal text is digits alone.
    return FirstText(query, IntToStr(StrToInt(code)), code);
}

void OpenCodeTable(THdbc& connection)
{
    THstmt statement;
    statement.SetHdbc(&connection);
    // One line without a line break: the Access driver's parser echoes a line break at a statement's
    // end on standard output.
    statement.SetSQL("select di_selno,di_mnemonic,di_cvalue from dictionary where di_dfid=7");
    statement.Execute();
    statement.FetchNext();
}
