#include "odbc/controls/ExtVCsExtendedListBox.h"

#include "odbc/controls/ExtVCsImageList.h"
#include "odbc/controls/ExtVCsItemDrawing.h"

TExtendedListBox::TExtendedListBox(QWidget* parent)
    : QListWidget(parent), itemImages_(std::make_unique<TListImages>()),
      delegate_(new TOwnerDrawDelegate(
          this, [this] { return itemHeight_; },
          [this](QPainter& canvas, int index, const QStyleOptionViewItem& option) {
              DrawItem(canvas, index, option);
          }))
{
    itemImages_->SetBox(this);
    setUniformItemSizes(true);
    setItemDelegate(delegate_);
}

TExtendedListBox::~TExtendedListBox() = default;

void TExtendedListBox::SetImageList(TImageList* images)
{
    imageList_ = images;
    viewport()->update();
}

void TExtendedListBox::SetStyle(TListBoxStyle style)
{
    style_ = style;
    Relayout();
}

void TExtendedListBox::SetItemHeight(int height)
{
    if (height > 0)
        itemHeight_ = height;
    Relayout();
}

void TExtendedListBox::Relayout()
{
    // The delegate's size hint changed: have the view ask again.
    setItemDelegate(delegate_);
    doItemsLayout();
    viewport()->update();
}

void TExtendedListBox::DrawItem(QPainter& canvas, int index, const QStyleOptionViewItem& option)
{
    const QModelIndex modelIndex = model()->index(index, 0);
    if (imageList_ == nullptr || style_ != lbOwnerDrawFixed) {
        delegate_->PaintDefault(canvas, option, modelIndex);
        return;
    }
    const int imageIndex = index < itemImages_->Count() ? itemImages_->GetImageIndex(index) : -1;
    DrawImageItem(canvas, option, modelIndex.data(Qt::DisplayRole).toString(), *imageList_, imageIndex,
                  itemHeight_);
}
