#pragma once
// The image numbers of a box's items, kept in a list parallel to the box's items. Items changed
// through these objects change both lists alike; an item added to the box directly has no image
// number, and the positions of the two lists no longer match after it.
#include <QString>
#include <QVariant>
#include <vector>

class TExtendedComboBox;
class TExtendedListBox;

class TItemImages
{
public:
    TItemImages() = default;
    TItemImages(const TItemImages&) = delete;
    TItemImages& operator=(const TItemImages&) = delete;
    virtual ~TItemImages() = default;

    // The object, where given, is kept with the item as the box's item data.
    void Add(const QString& text, int imageIndex);
    void AddObject(const QString& text, int imageIndex, const QVariant& object);
    // Positions are checked against both lists before either changes; a bad one raises EListError.
    void Insert(int position, const QString& text, int imageIndex);
    void InsertObject(int position, const QString& text, int imageIndex, const QVariant& object);
    void Delete(int position);
    void Clear();

    // The number of image numbers (not of the box's items).
    int Count() const { return static_cast<int>(indexes_.size()); }
    // EListError for a position outside the list of image numbers.
    int GetImageIndex(int position) const;
    // Changes only the image number, then repaints the box.
    void SetImageIndex(int position, int imageIndex);

protected:
    virtual int ItemCount() const = 0;
    virtual void InsertItem(int position, const QString& text, const QVariant& object) = 0;
    virtual void DeleteItem(int position) = 0;
    virtual void ClearItems() = 0;
    virtual void RepaintBox() = 0;

private:
    void CheckIndex(int position) const;

    std::vector<int> indexes_;
};

// The image numbers of one kind of box's items: TListImages for the list box, TComboImages for the
// combo box. The box operations are defined once for both in ExtVCsItemImages.cpp, where the two
// are instantiated.
template <class TBox> class TBoxImages : public TItemImages
{
public:
    TBoxImages() = default;
    TBox* Box() const { return box_; }
    void SetBox(TBox* box) { box_ = box; }

protected:
    int ItemCount() const override;
    void InsertItem(int position, const QString& text, const QVariant& object) override;
    void DeleteItem(int position) override;
    void ClearItems() override;
    void RepaintBox() override;

private:
    TBox* box_ = nullptr;
};

extern template class TBoxImages<TExtendedListBox>;
extern template class TBoxImages<TExtendedComboBox>;
using TListImages = TBoxImages<TExtendedListBox>;
using TComboImages = TBoxImages<TExtendedComboBox>;
