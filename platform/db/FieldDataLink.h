#pragma once
// The link between one field and an editing control: it finds the field by name when the dataset
// opens, tells the control when the value must be shown again (OnDataChange) and asks it for the
// edited value when the record is written (OnUpdateData, only after Modified()).
#include "platform/db/DataLink.h"

#include <functional>
#include <string>

class TComponent;
class TFieldDataLink;

using TFieldDataLinkEvent = std::function<void(TFieldDataLink* sender)>;

class TFieldDataLink : public TDataLink
{
public:
    // The editing control this link serves (not owned; for the control's own use).
    TComponent* Control() const { return control_; }
    void SetControl(TComponent* control) { control_ = control; }
    TField* Field() const { return field_; }
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& name);
    // Editing and the field may be written.
    bool Editing() const { return fieldEditing_; }
    // Not read-only and the field may be written.
    bool CanModify() const;
    // Puts the dataset into edit mode when the field may be written; true when editing.
    bool Edit();
    // The control's value differs from the field's.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // Shows the field's value again, discarding the control's edit.
    void Reset() { RecordChanged(nullptr); }

    void SetOnDataChange(TFieldDataLinkEvent h) { onDataChange_ = std::move(h); }
    void SetOnUpdateData(TFieldDataLinkEvent h) { onUpdateData_ = std::move(h); }
    void SetOnEditingChange(TFieldDataLinkEvent h) { onEditingChange_ = std::move(h); }
    void SetOnActiveChange(TFieldDataLinkEvent h) { onActiveChange_ = std::move(h); }

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateField();
    void SetField(TField* field);

    TComponent* control_ = nullptr;
    TField* field_ = nullptr;
    std::string fieldName_;
    bool modified_ = false;
    bool fieldEditing_ = false;
    TFieldDataLinkEvent onDataChange_;
    TFieldDataLinkEvent onUpdateData_;
    TFieldDataLinkEvent onEditingChange_;
    TFieldDataLinkEvent onActiveChange_;
};
