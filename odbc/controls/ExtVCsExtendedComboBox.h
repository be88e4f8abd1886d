#pragma once
// A combo box that draws an image from its ImageList before each item, in the list and in the
// closed box. The image numbers are kept by ItemImages; add items through it so that both lists
// stay parallel.
#include "odbc/controls/ExtVCsImageList.h"
#include "odbc/controls/ExtVCsItemImages.h"

#include <QComboBox>
#include <QPointer>
#include <memory>

class TOwnerDrawDelegate;
class QPaintEvent;

enum TComboBoxStyle
{
    csDropDown,     // with a text field
    csDropDownList, // choice only
    csOwnerDrawFixed,
};

class TExtendedComboBox : public QComboBox
{
public:
    explicit TExtendedComboBox(QWidget* parent = nullptr);
    ~TExtendedComboBox() override;

    // Not owned; the box forgets it when it is destroyed.
    TImageList* ImageList() const { return imageList_; }
    void SetImageList(TImageList* images);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);

    TComboImages& ItemImages() { return *itemImages_; }

    // Draws item index in option.rect; Qt's own drawing without an ImageList or when not owner-drawn.
    virtual void DrawItem(QPainter& canvas, int index, const QStyleOptionViewItem& option);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool DrawsImages() const { return imageList_ != nullptr && style_ == csOwnerDrawFixed; }

    QPointer<TImageList> imageList_;
    TComboBoxStyle style_ = csOwnerDrawFixed;
    int itemHeight_ = 16;
    std::unique_ptr<TComboImages> itemImages_;
    TOwnerDrawDelegate* delegate_;
};
