#include "platform/db/DBTypes.h"

const char* FieldTypeName(TFieldType type)
{
    static const char* const names[] = {
        "Unknown",    "String",     "Smallint", "Integer",     "Word",      "Boolean",
        "Float",      "Currency",   "BCD",      "Date",        "Time",      "DateTime",
        "Bytes",      "VarBytes",   "AutoInc",  "Blob",        "Memo",      "Graphic",
        "FmtMemo",    "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor",    "FixedChar",
        "WideString", "Largeint",   "ADT",      "Array",       "Reference", "DataSet",
        "OraBlob",    "OraClob",    "Variant",  "Interface",   "IDispatch", "Guid"};
    if (type < sizeof names / sizeof names[0])
        return names[type];
    return "Unknown";
}
