#include "odbc/controls/ExtVCsExtendedComboBox.h"

#include "odbc/controls/ExtVCsImageList.h"
#include "odbc/controls/ExtVCsItemDrawing.h"
#include "platform/ui/Guard.h"

#include <QAbstractItemView>
#include <QStyleOptionComboBox>
#include <QStylePainter>

TExtendedComboBox::TExtendedComboBox(QWidget* parent)
    : QComboBox(parent), itemImages_(std::make_unique<TComboImages>()),
      delegate_(new TOwnerDrawDelegate(
          this, [this] { return itemHeight_; },
          [this](QPainter& canvas, int index, const QStyleOptionViewItem& option) {
              DrawItem(canvas, index, option);
          }))
{
    itemImages_->SetBox(this);
    setItemDelegate(delegate_);
}

TExtendedComboBox::~TExtendedComboBox() = default;

void TExtendedComboBox::SetImageList(TImageList* images)
{
    imageList_ = images;
    update();
}

void TExtendedComboBox::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    setEditable(style == csDropDown);
    update();
}

void TExtendedComboBox::SetItemHeight(int height)
{
    if (height > 0)
        itemHeight_ = height;
    setItemDelegate(delegate_); // the popup list asks for the new size
    update();
}

void TExtendedComboBox::DrawItem(QPainter& canvas, int index, const QStyleOptionViewItem& option)
{
    const QModelIndex modelIndex = model()->index(index, modelColumn(), rootModelIndex());
    if (!DrawsImages()) {
        delegate_->PaintDefault(canvas, option, modelIndex);
        return;
    }
    const int imageIndex = index < itemImages_->Count() ? itemImages_->GetImageIndex(index) : -1;
    DrawImageItem(canvas, option, modelIndex.data(Qt::DisplayRole).toString(), *imageList_, imageIndex,
                  itemHeight_);
}

void TExtendedComboBox::paintEvent(QPaintEvent* event)
{
    if (!DrawsImages() || isEditable()) {
        QComboBox::paintEvent(event);
        return;
    }
    // The frame and arrow as usual, then the current item drawn like the list's items.
    QStylePainter painter(this);
    QStyleOptionComboBox box;
    initStyleOption(&box);
    box.currentText.clear();
    box.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, box);
    if (currentIndex() < 0)
        return;
    QStyleOptionViewItem item;
    item.initFrom(this);
    item.rect = style()->subControlRect(QStyle::CC_ComboBox, &box, QStyle::SC_ComboBoxEditField, this);
    item.font = font();
    if (hasFocus())
        item.state |= QStyle::State_Selected;
    Guarded([&] { DrawItem(painter, currentIndex(), item); });
}
