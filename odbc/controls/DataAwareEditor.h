// TDataAwareEditor: what the data-aware number and date-time editors share.
#pragma once
// A picker bound to one field of a dataset through a field data link. It publishes the link's
// DataField, DataSource and ReadOnly, lets go of a data source that is destroyed, keeps the
// picker's value read-only while the record is not being edited, starts an edit on a typed
// character and on the keys that change the value (Up, Down, Delete, Shift+Insert), shows the
// stored value again on Escape, and writes the value back when the focus leaves; a write that fails
// keeps the focus in the editor. The editor itself says how the field is shown (DataChange) and
// written (UpdateData), and where the focus stays (FocusPart).
//
// Picker is the picker class: it provides Loaded, Notification, KeyPress, KeyDown, DoExit and
// SetEditReadOnly.
#include "platform/core/Component.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldDataLink.h"

#include <QWidget>

#include <memory>
#include <string>

class TField;

template <class Picker> class TDataAwareEditor : public Picker
{
public:
    ~TDataAwareEditor() override
    {
        link_->SetOnDataChange(nullptr);
        link_->SetOnUpdateData(nullptr);
        link_->SetOnEditingChange(nullptr);
        link_.reset();
    }

    // The bound field; nullptr while the link has none (no source, closed dataset, no such name).
    TField* Field() const { return link_->Field(); }
    bool ReadOnly() const { return link_->ReadOnly(); }
    void SetReadOnly(bool value) { link_->SetReadOnly(value); }
    const std::string& DataField() const { return link_->FieldName(); }
    void SetDataField(const std::string& value) { link_->SetFieldName(value); }
    TDataSource* DataSource() const { return link_->DataSource(); }
    // The control hears when the source is destroyed and lets go of it.
    void SetDataSource(TDataSource* value)
    {
        link_->SetDataSource(value);
        if (value != nullptr)
            value->FreeNotification(this);
    }

    // Shows the field's value again, discarding the edit.
    void Reset() { link_->Reset(); }

    void Loaded() override
    {
        Picker::Loaded();
        if (this->HasState(csDesigning))
            DataChange();
    }

    void Notification(TComponent* component, TOperation operation) override
    {
        Picker::Notification(component, operation);
        if (operation == opRemove && link_ != nullptr && component == DataSource())
            SetDataSource(nullptr);
    }

protected:
    explicit TDataAwareEditor(TComponent* owner, QWidget* parent)
        : Picker(owner, parent), link_(std::make_unique<TFieldDataLink>())
    {
        link_->SetControl(this);
        link_->SetOnDataChange([this](TFieldDataLink*) { DataChange(); });
        link_->SetOnUpdateData([this](TFieldDataLink*) { UpdateData(); });
        link_->SetOnEditingChange([this](TFieldDataLink*) { EditingChange(); });
        EditingChange();
    }

    TFieldDataLink& DataLink() const { return *link_; }

    // Shows the field's value (or the empty state when there is no field).
    virtual void DataChange() = 0;
    // Writes the shown value into the field, which exists.
    virtual void UpdateData() = 0;
    // The part that takes the focus back when leaving failed to write.
    virtual QWidget* FocusPart() const = 0;

    void KeyPress(QChar& key) override
    {
        link_->Edit();
        Picker::KeyPress(key);
    }

    void KeyDown(int& key, Qt::KeyboardModifiers shift) override
    {
        if (key == Qt::Key_Escape)
            Reset();
        else if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Delete ||
                 (key == Qt::Key_Insert && shift.testFlag(Qt::ShiftModifier)))
            link_->Edit();
        Picker::KeyDown(key, shift);
    }

    void DoExit() override
    {
        try {
            link_->UpdateRecord();
        } catch (...) {
            // The value could not be written: the user stays here to correct it.
            FocusPart()->setFocus(Qt::OtherFocusReason);
        }
        Picker::DoExit();
    }

private:
    void EditingChange() { this->SetEditReadOnly(!link_->Editing()); }

    std::unique_ptr<TFieldDataLink> link_;
};
