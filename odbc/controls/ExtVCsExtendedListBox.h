#pragma once
// A list box that draws an image from its ImageList before each item. The image numbers are kept
// by ItemImages; add items through it so that both lists stay parallel.
#include "odbc/controls/ExtVCsImageList.h"
#include "odbc/controls/ExtVCsItemImages.h"

#include <QListWidget>
#include <QPointer>
#include <memory>

class TOwnerDrawDelegate;

enum TListBoxStyle
{
    lbStandard,
    lbOwnerDrawFixed,
};

class TExtendedListBox : public QListWidget
{
public:
    explicit TExtendedListBox(QWidget* parent = nullptr);
    ~TExtendedListBox() override;

    // Not owned; the box forgets it when it is destroyed.
    TImageList* ImageList() const { return imageList_; }
    void SetImageList(TImageList* images);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle style);
    // Height of every item in pixels (the drawing centres image and text in it).
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);

    TListImages& ItemImages() { return *itemImages_; }

    // Draws item index in option.rect; Qt's own drawing without an ImageList or when not owner-drawn.
    virtual void DrawItem(QPainter& canvas, int index, const QStyleOptionViewItem& option);

private:
    void Relayout();

    QPointer<TImageList> imageList_;
    TListBoxStyle style_ = lbOwnerDrawFixed;
    int itemHeight_ = 16;
    std::unique_ptr<TListImages> itemImages_;
    TOwnerDrawDelegate* delegate_;
};
