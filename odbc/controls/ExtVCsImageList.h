#pragma once
// A list of same-sized images drawn by number, as the boxes with item images need it. Images of
// another size are scaled to the list's size when added.
#include <QImage>
#include <QObject>
#include <vector>

class QPainter;

class TImageList : public QObject
{
public:
    explicit TImageList(int width = 16, int height = 16, QObject* parent = nullptr);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(images_.size()); }

    // Adds the image and returns its number.
    int Add(const QImage& image);
    const QImage& Image(int index) const;

    // Draws image number index with its top-left corner at (x, y); greyed when not enabled. A
    // number outside the list draws nothing.
    void Draw(QPainter& canvas, int x, int y, int index, bool enabled = true) const;

private:
    int width_;
    int height_;
    std::vector<QImage> images_;
};
