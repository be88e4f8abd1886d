#pragma once
// TSchemaTable and TSchemaTables: a table of the schema description (owner, name, columns,
// indexes) and the schema's list of them, which streams itself as the property "Tables".
#include "odbc/schema/SchemaColumn.h"
#include "odbc/schema/SchemaIndex.h"
#include "odbc/schema/SchemaList.h"
#include "platform/core/Persistent.h"

#include <memory>
#include <string>

class TOESchema;
class TSchemaTables;

class TSchemaTable
{
public:
    TSchemaTables& Tables() const { return tables_; }
    // The schema or owner name; empty for none.
    const std::string& Owner() const { return owner_; }
    void SetOwner(const std::string& value) { owner_ = value; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    TSchemaColumns& Columns() { return columns_; }
    const TSchemaColumns& Columns() const { return columns_; }
    TSchemaIndexes& Indexes() { return indexes_; }
    const TSchemaIndexes& Indexes() const { return indexes_; }

private:
    friend class TSchemaTables;
    explicit TSchemaTable(TSchemaTables& tables) : tables_(tables), indexes_(*this) {}

    TSchemaTables& tables_;
    std::string owner_;
    std::string name_;
    TSchemaColumns columns_;
    TSchemaIndexes indexes_;
};

class TSchemaTables : public TPersistent, public TSchemaList<TSchemaTable>
{
public:
    explicit TSchemaTables(TOESchema& schema) : schema_(schema) {}
    TOESchema& Schema() const { return schema_; }

    // The property "Tables": a list holding the version tag "OE5.02" and then one list entry per
    // table with its columns and indexes.
    void DefineProperties(TFiler& filer) override;

protected:
    std::unique_ptr<TSchemaTable> NewItem() override;

private:
    TOESchema& schema_;
};
