#pragma once
// TSchemaList: what every list of the schema description does. A list owns its items, makes every
// one of them (so each is linked to the list's owner where it has such a link) and frees them when
// they are deleted or the list is cleared or freed. A bad index raises EListError.
#include "platform/core/Exception.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

template <class Item> class TSchemaList
{
public:
    TSchemaList() = default;
    TSchemaList(const TSchemaList&) = delete;
    TSchemaList& operator=(const TSchemaList&) = delete;
    virtual ~TSchemaList() = default;

    int GetCount() const { return static_cast<int>(items_.size()); }
    Item& GetItem(int index) const
    {
        Check(index, GetCount() - 1);
        return *items_[static_cast<std::size_t>(index)];
    }
    Item& operator[](int index) const { return GetItem(index); }

    // A new item at the end; its index.
    int AddItem()
    {
        items_.push_back(NewItem());
        return GetCount() - 1;
    }
    // A new item at index (0 to GetCount()).
    void InsertItem(int index)
    {
        Check(index, GetCount());
        items_.insert(items_.begin() + index, NewItem());
    }
    void DeleteItem(int index)
    {
        Check(index, GetCount() - 1);
        items_.erase(items_.begin() + index);
    }
    // Takes the item at from out and puts it back at to.
    void MoveItem(int from, int to)
    {
        Check(from, GetCount() - 1);
        Check(to, GetCount() - 1);
        std::unique_ptr<Item> item = std::move(items_[static_cast<std::size_t>(from)]);
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, std::move(item));
    }
    void ExchangeItems(int a, int b)
    {
        Check(a, GetCount() - 1);
        Check(b, GetCount() - 1);
        std::swap(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]);
    }
    void Clear() { items_.clear(); }

protected:
    virtual std::unique_ptr<Item> NewItem() = 0;

private:
    static void Check(int index, int last)
    {
        if (index < 0 || index > last)
            throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    }

    std::vector<std::unique_ptr<Item>> items_;
};
