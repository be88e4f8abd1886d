#pragma once
// Descriptions of the columns a dataset's cursor offers, from which default fields are made.
#include "platform/db/DBTypes.h"

#include <memory>
#include <string>
#include <vector>

struct TFieldDef
{
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
    int FieldNo = 0;   // 1-based column number in the cursor
    int Precision = 0; // decimal digits (scale) of a numeric column
};

class TFieldDefs
{
public:
    // Appends a definition; its FieldNo is its position from 1 unless the caller sets another.
    TFieldDef& Add(const std::string& name, TFieldType dataType, int size = 0, bool required = false);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError for a bad index.
    TFieldDef& Items(int index);
    const TFieldDef& Items(int index) const;
    // By name without regard to case; nullptr / -1 when absent.
    const TFieldDef* Find(const std::string& name) const;
    int IndexOf(const std::string& name) const;

private:
    std::vector<std::unique_ptr<TFieldDef>> items_;
};
