#pragma once
// TOEParams: a query's parameters (the platform's TParams) together with, per parameter name, the
// buffer its value is bound from and the definition the driver or the catalog gave of it.
//
// A buffer holds the value as native ODBC data of the C type its field type is bound as (text with
// a terminating zero; a date, time or time stamp as ODBC's structure; a boolean as one byte 0 or 1).
// It is sized to the value, never smaller than the size the definition asks for: a string or byte
// value longer than the default is bound whole. Blob and memo values are bound from a memory stream.
#include "platform/db/Params.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class THstmt;
class TReader;
class TMemoryStream;

struct TOEParamRec
{
    std::string Name;
    TFieldType DataType = ftUnknown;
    std::vector<std::uint8_t> Buffer;      // the bound value; empty for a blob or memo
    std::unique_ptr<TMemoryStream> Stream; // the bound value of a blob or memo
    std::int32_t Index = 0;                // its position in the list when it was made
};

struct TOEDefRec
{
    std::string Name;
    bool Required = false;
    TFieldType DataType = ftUnknown;
    std::int32_t Precision = 0; // decimal digits
    std::uint16_t Size = 0;     // column size; 0 when unknown or too large to keep
    std::int32_t Index = 0;
};

class TOEParams : public TParams
{
public:
    explicit TOEParams(TPersistent* owner = nullptr);
    ~TOEParams() override;

    // ---- Buffers and definitions, by position or by name (trimmed, without regard to case)
    int OEParamCount() const { return static_cast<int>(buffers_.size()); }
    TOEParamRec* OEParam(int index) const;
    TOEParamRec* OEParam(std::string_view name) const;
    int OEDefCount() const { return static_cast<int>(defs_.size()); }
    TOEDefRec* OEDef(int index) const;
    TOEDefRec* OEDef(std::string_view name) const;

    // The buffer size a parameter of this name and type starts with: a string its definition's size
    // + 1 (256 without one), bytes their definition's size (256), a blob or memo none (it has a
    // stream), an unknown type 4, every other type the size of its C type.
    std::size_t OEParamSize(std::string_view name, TFieldType dataType) const;
    // A zero-filled buffer of OEParamSize bytes, or valueSize when that is larger.
    TOEParamRec& CreateOEParam(const std::string& name, TFieldType dataType, std::size_t valueSize = 0);
    void FreeOEParam(int index);
    void FreeOEParams();
    TOEDefRec& CreateOEDef(const std::string& name, bool required, TFieldType dataType,
                           std::int32_t precision, std::uint16_t size);
    void RemoveOEDef(std::string_view name);
    void FreeOEDef(int index);
    void FreeOEDefs();
    // The fields of the definition of that name; false, ftUnknown or 0 without one.
    bool GetDefRequired(std::string_view name) const;
    TFieldType GetDefDataType(std::string_view name) const;
    std::int32_t GetDefPrecision(std::string_view name) const;
    std::uint16_t GetDefSize(std::string_view name) const;

    // ---- Binding (the query calls these; unbind is called before any buffer is freed or made, or
    // when a stream's memory moved, since the statement holds the old addresses)

    // Buffers for exactly the parameters there are now: those of names no parameter has go; a
    // parameter whose buffer has another type, or is too small for its value, gets a new one.
    void CreateOEParams(const std::function<void()>& unbind);
    // Each value that is not null into its buffer.
    void WriteOEParamsData(const std::function<void()>& unbind);
    // The length of each parameter's value to the statement: -1 for null, the text's or the bytes'
    // length, 0 for the fixed types.
    void WriteOEParamsSize(THstmt& statement);
    // Output, input/output and result parameters from their buffers after execution (null where
    // the statement's length is -1).
    void ReadOEParams(THstmt& statement);

    // Binds one parameter's buffer on statement (its marker found by name), with the driver's
    // description unless core.
    void BindOneParam(THstmt& statement, const TParam& param, bool core);

    // "Params": the parameters in a form resource, as the platform's collection (names, types,
    // directions, values); written when there are any.
    void DefineProperties(TFiler& filer) override;
    // The same under another name (an update object's ModifyParams, InsertParams, DeleteParams).
    void DefineParamsProperty(TFiler& filer, const std::string& name);
    std::string ClassName() const override { return "TOEParams"; }

private:
    // The collection, or the list earlier versions wrote: a version tag and, per parameter, its
    // name, direction, type, a value by type, whether it is bound, whether it is null and a number
    // nothing reads.
    void ReadParams(TReader& reader);
    void ReadEarlierParams(TReader& reader);

    std::vector<std::unique_ptr<TOEParamRec>> buffers_;
    std::vector<std::unique_ptr<TOEDefRec>> defs_;
};
