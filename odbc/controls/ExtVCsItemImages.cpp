#include "odbc/controls/ExtVCsItemImages.h"

#include "odbc/controls/ExtVCsExtendedComboBox.h"
#include "odbc/controls/ExtVCsExtendedListBox.h"
#include "platform/core/Exception.h"

#include <string>

namespace {
[[noreturn]] void ListIndexError(int position)
{
    throw EListError("List index out of bounds (" + std::to_string(position) + ")");
}
} // namespace

void TItemImages::Add(const QString& text, int imageIndex)
{
    AddObject(text, imageIndex, QVariant());
}

void TItemImages::AddObject(const QString& text, int imageIndex, const QVariant& object)
{
    InsertItem(ItemCount(), text, object);
    indexes_.push_back(imageIndex);
}

void TItemImages::Insert(int position, const QString& text, int imageIndex)
{
    InsertObject(position, text, imageIndex, QVariant());
}

void TItemImages::InsertObject(int position, const QString& text, int imageIndex, const QVariant& object)
{
    // Checked first: a box would append an item at a bad position and leave the lists apart.
    if (position < 0 || position > ItemCount() || position > Count())
        ListIndexError(position);
    InsertItem(position, text, object);
    indexes_.insert(indexes_.begin() + position, imageIndex);
}

void TItemImages::Delete(int position)
{
    if (position < 0 || position >= ItemCount() || position >= Count())
        ListIndexError(position);
    DeleteItem(position);
    indexes_.erase(indexes_.begin() + position);
}

void TItemImages::Clear()
{
    ClearItems();
    indexes_.clear();
}

void TItemImages::CheckIndex(int position) const
{
    if (position < 0 || position >= Count())
        ListIndexError(position);
}

int TItemImages::GetImageIndex(int position) const
{
    CheckIndex(position);
    return indexes_[static_cast<std::size_t>(position)];
}

void TItemImages::SetImageIndex(int position, int imageIndex)
{
    CheckIndex(position);
    indexes_[static_cast<std::size_t>(position)] = imageIndex;
    RepaintBox();
}

// ---- list box -----------------------------------------------------------------------------------

int TListImages::ItemCount() const
{
    return box_->count();
}

void TListImages::InsertItem(int position, const QString& text, const QVariant& object)
{
    auto* item = new QListWidgetItem(text);
    if (object.isValid())
        item->setData(Qt::UserRole, object);
    box_->insertItem(position, item); // the box owns the item from here
}

void TListImages::DeleteItem(int position)
{
    delete box_->takeItem(position);
}

void TListImages::ClearItems()
{
    box_->clear();
}

void TListImages::RepaintBox()
{
    box_->viewport()->update();
}

// ---- combo box ----------------------------------------------------------------------------------

int TComboImages::ItemCount() const
{
    return box_->count();
}

void TComboImages::InsertItem(int position, const QString& text, const QVariant& object)
{
    box_->insertItem(position, text, object);
}

void TComboImages::DeleteItem(int position)
{
    box_->removeItem(position);
}

void TComboImages::ClearItems()
{
    box_->clear();
}

void TComboImages::RepaintBox()
{
    box_->update();
    if (box_->view() != nullptr)
        box_->view()->viewport()->update();
}
