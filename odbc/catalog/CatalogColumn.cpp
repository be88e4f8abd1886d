// TCatalogColumns: looking columns up by name.
#include "odbc/catalog/CatalogColumn.h"

#include "platform/core/StringList.h"
#include "platform/core/StringUtils.h"

void TCatalogColumns::Names(TStringList& names) const
{
    names.Clear();
    for (int i = 0; i < GetCount(); ++i)
        names.Add(GetItem(i)->Name);
}

TCatalogColumn* TCatalogColumns::ByName(std::string_view name) const
{
    const std::string wanted = UpperCase(Trim(name));
    for (int i = 0; i < GetCount(); ++i) {
        if (UpperCase(GetItem(i)->Name) == wanted)
            return GetItem(i);
    }
    return nullptr;
}
