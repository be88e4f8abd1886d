#include "odbc/controls/ExtVCsImageList.h"

#include "platform/core/Exception.h"

#include <QPainter>
#include <string>

TImageList::TImageList(int width, int height, QObject* parent)
    : QObject(parent), width_(width), height_(height)
{
}

int TImageList::Add(const QImage& image)
{
    QImage sized = image.size() == QSize(width_, height_)
                       ? image
                       : image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    images_.push_back(sized.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    return Count() - 1;
}

const QImage& TImageList::Image(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return images_[static_cast<std::size_t>(index)];
}

void TImageList::Draw(QPainter& canvas, int x, int y, int index, bool enabled) const
{
    if (index < 0 || index >= Count())
        return;
    const QImage& image = images_[static_cast<std::size_t>(index)];
    if (enabled) {
        canvas.drawImage(x, y, image);
        return;
    }
    QImage grey = image.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_ARGB32);
    grey.setAlphaChannel(image.convertToFormat(QImage::Format_Alpha8));
    canvas.drawImage(x, y, grey);
}
