#pragma once
// How the boxes with item images draw one item, and the item delegate through which Qt asks them
// to: the box's DrawItem is called for every item, at the box's fixed item height.
#include <QStyledItemDelegate>
#include <functional>

class TImageList;

// Fills rect with the selected or normal background, draws image imageIndex of images (none when
// below 0) 1 pixel from the left, centred in itemHeight, and the text after a slot as wide as the
// images are high.
void DrawImageItem(QPainter& canvas, const QStyleOptionViewItem& option, const QString& text,
                   const TImageList& images, int imageIndex, int itemHeight);

class TOwnerDrawDelegate : public QStyledItemDelegate
{
public:
    using DrawFunction = std::function<void(QPainter& canvas, int index, const QStyleOptionViewItem& option)>;

    TOwnerDrawDelegate(QObject* parent, std::function<int()> itemHeight, DrawFunction draw);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Qt's own drawing of the item: the boxes' drawing without images.
    void PaintDefault(QPainter& canvas, const QStyleOptionViewItem& option, const QModelIndex& index) const;

private:
    std::function<int()> itemHeight_;
    DrawFunction draw_;
};
