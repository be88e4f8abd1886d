#include "odbc/controls/ExtVCsItemImages.h"

#include "odbc/controls/ExtVCsExtendedComboBox.h"
#include "odbc/controls/ExtVCsExtendedListBox.h"
#include "platform/core/Exception.h"

#include <string>
#include <type_traits>

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

// ---- the boxes -----------------------------------------------------------------------------------

// A list box holds its items as objects it owns; a combo box holds texts with their data.
template <class TBox> constexpr bool kHoldsItemObjects = std::is_base_of_v<QListWidget, TBox>;

template <class TBox> int TBoxImages<TBox>::ItemCount() const
{
    return box_->count();
}

template <class TBox>
void TBoxImages<TBox>::InsertItem(int position, const QString& text, const QVariant& object)
{
    if constexpr (kHoldsItemObjects<TBox>) {
        auto* item = new QListWidgetItem(text);
        if (object.isValid())
            item->setData(Qt::UserRole, object);
        box_->insertItem(position, item); // the box owns the item from here
    } else {
        box_->insertItem(position, text, object);
    }
}

template <class TBox> void TBoxImages<TBox>::DeleteItem(int position)
{
    if constexpr (kHoldsItemObjects<TBox>)
        delete box_->takeItem(position);
    else
        box_->removeItem(position);
}

template <class TBox> void TBoxImages<TBox>::ClearItems()
{
    box_->clear();
}

template <class TBox> void TBoxImages<TBox>::RepaintBox()
{
    // A combo box paints its current item itself and the others in its drop-down view.
    if constexpr (kHoldsItemObjects<TBox>) {
        box_->viewport()->update();
    } else {
        box_->update();
        if (box_->view() != nullptr)
            box_->view()->viewport()->update();
    }
}

template class TBoxImages<TExtendedListBox>;
template class TBoxImages<TExtendedComboBox>;
