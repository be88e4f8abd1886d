// The list and combo boxes with item images: what they draw (rendered into images), and the image
// numbers kept parallel to the items.
#include "odbc/controls/ExtVCsExtendedComboBox.h"
#include "odbc/controls/ExtVCsExtendedListBox.h"
#include "odbc/controls/ExtVCsImageList.h"
#include "platform/core/Exception.h"

#include <QPainter>
#include <QStyleOptionViewItem>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::vector<QColor> kColours = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};

// Three solid 16 by 16 images: red, green, blue.
std::unique_ptr<TImageList> Images()
{
    auto images = std::make_unique<TImageList>(16, 16);
    for (const QColor& c : kColours) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(c);
        images->Add(image);
    }
    return images;
}

// The colour at the image slot's centre of item row, as the box draws it: "red", "green",
// "blue" or "none".
std::string ImageAt(TExtendedListBox& box, int row)
{
    const QImage shot = box.grab().toImage();
    const QRect item = box.visualItemRect(box.item(row));
    const QPoint centre = box.viewport()->mapTo(&box, item.topLeft() + QPoint(1 + 8, 8));
    const QColor c = shot.pixelColor(centre);
    const std::vector<std::string> names = {"red", "green", "blue"};
    for (std::size_t i = 0; i < kColours.size(); ++i)
        if (c == kColours[i])
            return names[i];
    return "none";
}

// Whether ink of the (dark) text colour shows in the columns [from, to) of item row; the images are
// bright, the background white.
bool TextIn(TExtendedListBox& box, int row, int from, int to)
{
    const QImage shot = box.grab().toImage();
    const QRect item = box.visualItemRect(box.item(row));
    for (int y = item.top(); y <= item.bottom(); ++y)
        for (int x = item.left() + from; x < item.left() + to; ++x)
            if (shot.pixelColor(box.viewport()->mapTo(&box, QPoint(x, y))).value() < 128)
                return true;
    return false;
}

TEST(ExtendedListBox, DrawsEachItemsImageThenItsText)
{
    auto images = Images();
    TExtendedListBox box;
    box.resize(200, 120);
    box.SetImageList(images.get());
    box.ItemImages().Add("red item", 0);
    box.ItemImages().Add("blue item", 2);
    box.ItemImages().AddObject("green item", 1, QVariant(42));
    box.addItem("direct"); // not through ItemImages: no image
    box.show();

    EXPECT_EQ(box.visualItemRect(box.item(0)).height(), 16);
    EXPECT_EQ(ImageAt(box, 0), "red");
    EXPECT_EQ(ImageAt(box, 1), "blue");
    EXPECT_EQ(ImageAt(box, 2), "green");
    EXPECT_EQ(ImageAt(box, 3), "none");
    EXPECT_EQ(box.item(2)->data(Qt::UserRole).toInt(), 42);
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(TextIn(box, row, 18, 120)) << row; // after the image slot
        EXPECT_FALSE(TextIn(box, row, 0, 18)) << row;
    }

    box.ItemImages().SetImageIndex(0, 1);
    EXPECT_EQ(ImageAt(box, 0), "green");
}

TEST(ExtendedListBox, WithoutImageListDrawsPlainItems)
{
    TExtendedListBox box;
    box.resize(200, 80);
    box.ItemImages().Add("plain", 0);
    box.show();
    EXPECT_EQ(ImageAt(box, 0), "none");
    EXPECT_TRUE(TextIn(box, 0, 0, 18)); // the text starts at the left

    auto images = Images();
    box.SetImageList(images.get());
    EXPECT_EQ(ImageAt(box, 0), "red");
    images.reset(); // the box forgets an image list that goes
    EXPECT_EQ(box.ImageList(), nullptr);
    EXPECT_EQ(ImageAt(box, 0), "none");
}

TEST(ExtendedListBox, ImageNumbersFollowTheItems)
{
    TExtendedListBox box;
    TListImages& images = box.ItemImages();
    images.Add("a", 0);
    images.Add("c", 2);
    images.Insert(1, "b", 1);
    images.InsertObject(0, "first", 5, QVariant(7));
    auto items = [&] {
        std::vector<std::string> texts;
        for (int i = 0; i < box.count(); ++i)
            texts.push_back(box.item(i)->text().toStdString() + "=" +
                            std::to_string(images.GetImageIndex(i)));
        return texts;
    };
    EXPECT_EQ(items(), (std::vector<std::string>{"first=5", "a=0", "b=1", "c=2"}));
    images.Delete(1);
    EXPECT_EQ(items(), (std::vector<std::string>{"first=5", "b=1", "c=2"}));

    // A bad position changes neither list.
    EXPECT_THROW(images.Insert(4, "x", 0), EListError);
    EXPECT_THROW(images.Insert(-1, "x", 0), EListError);
    EXPECT_THROW(images.Delete(3), EListError);
    EXPECT_THROW(images.GetImageIndex(3), EListError);
    EXPECT_THROW(images.SetImageIndex(-1, 0), EListError);
    EXPECT_EQ(items(), (std::vector<std::string>{"first=5", "b=1", "c=2"}));

    box.addItem("direct"); // only in the box: its position has no image number
    EXPECT_THROW(images.Delete(3), EListError);
    EXPECT_EQ(box.count(), 4);
    images.Clear();
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(images.Count(), 0);
}

// Whether image colour c shows anywhere in the closed combo box.
bool Shows(TExtendedComboBox& box, const QColor& c)
{
    const QImage shot = box.grab().toImage();
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixelColor(x, y) == c)
                return true;
    return false;
}

TEST(ExtendedComboBox, DrawsTheCurrentItemsImageAndEachListItem)
{
    auto images = Images();
    TExtendedComboBox box;
    box.resize(160, 24);
    box.SetImageList(images.get());
    box.ItemImages().Add("red", 0);
    box.ItemImages().Add("green", 1);
    box.show();
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_TRUE(Shows(box, kColours[0]));
    box.setCurrentIndex(1);
    EXPECT_TRUE(Shows(box, kColours[1]));
    EXPECT_FALSE(Shows(box, kColours[0]));

    // An item of the list, drawn into an image as the popup draws it.
    QImage canvasImage(100, 16, QImage::Format_ARGB32);
    canvasImage.fill(Qt::white);
    {
        QPainter canvas(&canvasImage);
        QStyleOptionViewItem option;
        option.initFrom(&box);
        option.rect = QRect(0, 0, 100, 16);
        option.font = box.font();
        box.DrawItem(canvas, 0, option);
    }
    EXPECT_EQ(canvasImage.pixelColor(1, 0), kColours[0]);
    EXPECT_EQ(canvasImage.pixelColor(16, 15), kColours[0]);
    EXPECT_NE(canvasImage.pixelColor(17, 8), kColours[0]);
    EXPECT_NE(canvasImage.pixelColor(0, 8), kColours[0]);

    box.ItemImages().SetImageIndex(1, 2);
    EXPECT_TRUE(Shows(box, kColours[2]));
    box.ItemImages().Delete(1);
    EXPECT_EQ(box.count(), 1);
    EXPECT_EQ(box.ItemImages().Count(), 1);
}

} // namespace
