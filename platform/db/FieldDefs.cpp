#include "platform/db/FieldDefs.h"

#include "platform/core/Exception.h"
#include "platform/core/StringUtils.h"

TFieldDef& TFieldDefs::Add(const std::string& name, TFieldType dataType, int size, bool required)
{
    auto def = std::make_unique<TFieldDef>();
    def->Name = name;
    def->DataType = dataType;
    def->Size = size;
    def->Required = required;
    def->FieldNo = Count() + 1;
    items_.push_back(std::move(def));
    return *items_.back();
}

TFieldDef& TFieldDefs::Items(int index)
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<size_t>(index)];
}

const TFieldDef& TFieldDefs::Items(int index) const
{
    return const_cast<TFieldDefs*>(this)->Items(index);
}

int TFieldDefs::IndexOf(const std::string& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(items_[static_cast<size_t>(i)]->Name, name))
            return i;
    return -1;
}

const TFieldDef* TFieldDefs::Find(const std::string& name) const
{
    const int i = IndexOf(name);
    return i < 0 ? nullptr : items_[static_cast<size_t>(i)].get();
}
