#pragma once
// TCatalogList: what the catalog's lists share. A list owns its items and frees them when it is
// emptied or freed; a bad index raises EListError.
#include "platform/core/Exception.h"

#include <memory>
#include <string>
#include <vector>

template <class Item> class TCatalogList
{
public:
    TCatalogList() = default;
    TCatalogList(const TCatalogList&) = delete;
    TCatalogList& operator=(const TCatalogList&) = delete;
    virtual ~TCatalogList() = default;

    int GetCount() const { return static_cast<int>(items_.size()); }
    Item* GetItem(int index) const
    {
        if (index < 0 || index >= GetCount())
            throw EListError("List index out of bounds (" + std::to_string(index) + ")");
        return items_[static_cast<std::size_t>(index)].get();
    }
    Item* operator[](int index) const { return GetItem(index); }
    // Items are made only by AddItem: replacing one from outside does nothing.
    void SetItem(int, Item*) {}
    void FreeItems() { items_.clear(); }

protected:
    Item* Append(std::unique_ptr<Item> item)
    {
        items_.push_back(std::move(item));
        return items_.back().get();
    }

private:
    std::vector<std::unique_ptr<Item>> items_;
};
