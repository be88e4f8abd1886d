// TSchemaIndex and TSchemaIndexes.
#include "odbc/schema/SchemaIndex.h"

std::unique_ptr<TSchemaIndex> TSchemaIndexes::NewItem()
{
    return std::unique_ptr<TSchemaIndex>(new TSchemaIndex(*this));
}
