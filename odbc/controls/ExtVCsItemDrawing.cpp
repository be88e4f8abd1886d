#include "odbc/controls/ExtVCsItemDrawing.h"

#include "odbc/controls/ExtVCsImageList.h"
#include "platform/ui/Guard.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

void DrawImageItem(QPainter& canvas, const QStyleOptionViewItem& option, const QString& text,
                   const TImageList& images, int imageIndex, int itemHeight)
{
    const QRect& r = option.rect;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group =
        option.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    canvas.save();
    canvas.fillRect(r, option.palette.brush(group, selected ? QPalette::Highlight : QPalette::Base));
    canvas.setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    canvas.setFont(option.font);

    const int h = images.Height();
    const QFontMetrics metrics(option.font);
    const int imageOffset = std::max(0, (itemHeight - h) / 2);
    const int textOffset = std::max(0, (itemHeight - metrics.height()) / 2);
    if (imageIndex >= 0)
        images.Draw(canvas, r.left() + 1, r.top() + imageOffset, imageIndex, true);
    const QRect textRect(r.left() + h + 2, r.top() + textOffset,
                         std::max(0, r.right() - (r.left() + h + 2) + 1), metrics.height());
    canvas.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    canvas.restore();
}

TOwnerDrawDelegate::TOwnerDrawDelegate(QObject* parent, std::function<int()> itemHeight, DrawFunction draw)
    : QStyledItemDelegate(parent), itemHeight_(std::move(itemHeight)), draw_(std::move(draw))
{
}

void TOwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    Guarded([&] { draw_(*painter, index.row(), opt); });
}

QSize TOwnerDrawDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), itemHeight_());
}

void TOwnerDrawDelegate::PaintDefault(QPainter& canvas, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    QStyledItemDelegate::paint(&canvas, option, index);
}
