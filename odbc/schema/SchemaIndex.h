#pragma once
// TSchemaIndex and TSchemaIndexes: an index of a table in the schema description, and the table's
// list of them.
#include "odbc/schema/SchemaList.h"
#include "platform/core/StringList.h"

#include <memory>
#include <string>

class TSchemaIndexes;
class TSchemaTable;

class TSchemaIndex
{
public:
    TSchemaIndexes& Indexes() const { return indexes_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    bool Unique() const { return unique_; }
    void SetUnique(bool value) { unique_ = value; }
    // Column names, each optionally followed by " ASC" or " DESC".
    TStringList& Columns() { return columns_; }
    const TStringList& Columns() const { return columns_; }

private:
    friend class TSchemaIndexes;
    explicit TSchemaIndex(TSchemaIndexes& indexes) : indexes_(indexes) {}

    TSchemaIndexes& indexes_;
    std::string name_;
    bool unique_ = false;
    TStringList columns_;
};

class TSchemaIndexes : public TSchemaList<TSchemaIndex>
{
public:
    explicit TSchemaIndexes(TSchemaTable& table) : table_(table) {}
    TSchemaTable& Table() const { return table_; }

protected:
    std::unique_ptr<TSchemaIndex> NewItem() override;

private:
    TSchemaTable& table_;
};
