#pragma once
// Sex and nation code lookup: the card's sex and nation codes turned into display texts with two
// queries on the code table `dictionary` of the program's database (di_dfid 7 sex, 8 nation;
// di_selno the code as text, nation codes without leading zeros; di_cvalue the text), run through the
// main window's query Table1. The query stays open on the last lookup's result until the next one.
#include <string>

class TCustomOEQuery;
class THdbc;

// The text of sex code code; the code itself when the table has no row for it or when it is not a
// plain code (app/CardFields.h: only plain codes become part of the statement). Database errors are
// raised.
std::string LookupSexText(TCustomOEQuery& query, const std::string& code);

// The text of nation code code, looked up as a number without leading zeros ("01" as 1); the code as it
// came when the table has no row for it or when it is not a plain code. A plain code that is not a
// number (a letter in it) raises EConvertError, leaving the query closed. Database errors are raised.
std::string LookupNationText(TCustomOEQuery& query, const std::string& code);

// Reads the code table's first row of sex codes through connection: a database whose table cannot be
// read (a damaged file the driver still connects to) raises here, before any card is read.
void OpenCodeTable(THdbc& connection);
