#pragma once
// A field: one column of a dataset's current record, read and written in the column's native data
// form through the dataset's GetFieldData/SetFieldData (see NativeData.h for the forms). One class
// serves every field type; conversions follow the DataType. Blobs and memos travel through the
// dataset's CreateBlobStream.
//
// Reading a null field gives "", 0, false, 0.0 or Null (AsVariant). Writing is allowed only while
// the dataset is in a write state (Edit, Insert, a calculation or filter pass ...), on a data
// field that is not read-only; a data field cannot be written while calculated fields are being
// computed. Writing Null or an Empty variant, or "" to a field that is not text, clears it.
#include "platform/core/Variant.h"
#include "platform/db/DBTypes.h"

#include <functional>
#include <string>

class TDataSet;
class TField;
class TStream;

using TFieldNotifyEvent = std::function<void(TField* sender)>;

class TField
{
public:
    TField(std::string fieldName, TFieldType dataType, int size = 0, TFieldKind kind = fkData);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;
    virtual ~TField() = default;

    const std::string& FieldName() const { return fieldName_; }
    const std::string& DisplayName() const { return fieldName_; }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    void SetSize(int size);
    TFieldKind FieldKind() const { return kind_; }
    bool Calculated() const { return kind_ != fkData; }
    bool IsBlob() const;
    // Column number in the cursor for a data field (set when the dataset binds its fields), -1
    // for calculated and lookup fields.
    int FieldNo() const { return fieldNo_; }
    // Offset of a calculated or lookup field in the calculated-field area: DataSize bytes and a
    // presence byte.
    int Offset() const { return offset_; }
    TDataSet* DataSet() const { return dataSet_; }
    bool Required() const { return required_; }
    void SetRequired(bool value) { required_ = value; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    // The field may be written: not read-only and the dataset can modify.
    bool CanModify() const;

    // Bytes of the native data (FieldDataSize).
    int DataSize() const;
    // Copies the native data into buffer when it is not null (buffer may be null to ask only);
    // false when the field is null.
    bool GetData(void* buffer) const;
    // Native data in, or nullptr for null.
    void SetData(const void* buffer);
    bool IsNull() const { return !GetData(nullptr); }
    void Clear() { SetData(nullptr); }

    std::string AsString() const;
    void SetAsString(const std::string& value);
    std::int32_t AsInteger() const;
    void SetAsInteger(std::int32_t value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    double AsFloat() const;
    void SetAsFloat(double value);
    double AsCurrency() const;
    void SetAsCurrency(double value);
    double AsDateTime() const;
    void SetAsDateTime(double value);
    Variant AsVariant() const;
    void SetAsVariant(const Variant& value);
    Variant Value() const { return AsVariant(); }
    void SetValue(const Variant& value) { SetAsVariant(value); }

    // The value before the current edit (read in the dataset's dsOldValue state), and the value
    // being written (dsNewValue).
    Variant OldValue() const;
    Variant NewValue() const;
    void SetNewValue(const Variant& value);

    // Blob and memo content, whole.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

    // Runs OnValidate with buffer as the field's value: while it runs the field reads buffer
    // (nullptr meaning null). Datasets call it from SetFieldData before storing the data.
    void Validate(const void* buffer);
    void SetOnValidate(TFieldNotifyEvent handler) { onValidate_ = std::move(handler); }
    // Runs OnChange; the dataset calls it when the field's value has changed.
    void Change();
    void SetOnChange(TFieldNotifyEvent handler) { onChange_ = std::move(handler); }

private:
    friend class TDataSet;

    // A write state, and for a data field not read-only and not during a calculation.
    void CheckWritable() const;
    Variant ReadNative() const;
    // Fast forms of the reads that take the native data as it is: the text of a string field, and
    // a fixed-size native value of type T (false when null). Browsing reads every field of every
    // record, and these skip the variant in between.
    bool ReadText(std::string& text) const;
    template <typename T> bool ReadFixed(T& value) const;
    void WriteNative(const Variant& value);
    Variant ReadBlob() const;
    void WriteBlob(const Variant& value);
    [[noreturn]] void ConvertError(const std::string& text, const char* what) const;

    std::string fieldName_;
    TFieldType dataType_;
    int size_;
    TFieldKind kind_;
    int fieldNo_ = 0;
    int offset_ = 0;
    TDataSet* dataSet_ = nullptr;
    bool required_ = false;
    bool readOnly_ = false;
    // While OnValidate runs, reads come from here.
    bool validating_ = false;
    const void* validateBuffer_ = nullptr;
    TFieldNotifyEvent onValidate_;
    TFieldNotifyEvent onChange_;
};
