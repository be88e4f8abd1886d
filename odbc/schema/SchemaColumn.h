#pragma once
// TSchemaColumn and TSchemaColumns: a column of a table in the schema description, and the table's
// list of them.
#include "odbc/schema/SchemaList.h"

#include <cstdint>
#include <memory>
#include <string>

// Column constraints, combined with | into a TColumnConstraints (the stored form keeps these bit
// values).
using TColumnConstraints = unsigned;
inline constexpr TColumnConstraints ccNotNull = 1;
inline constexpr TColumnConstraints ccUnique = 2;
inline constexpr TColumnConstraints ccPrimaryKey = 4;

class TSchemaColumns;

class TSchemaColumn
{
public:
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    // The ODBC SQL type code (SQL_CHAR 1, SQL_VARCHAR 12 ...).
    std::int16_t DataType() const { return dataType_; }
    void SetDataType(std::int16_t value) { dataType_ = value; }
    // Length or precision; a negative value is ignored.
    std::int32_t Precision() const { return precision_; }
    void SetPrecision(std::int32_t value);
    TColumnConstraints Constraints() const { return constraints_; }
    void SetConstraints(TColumnConstraints value) { constraints_ = value; }
    bool Has(TColumnConstraints constraint) const { return (constraints_ & constraint) != 0; }
    // The default-value expression, written into the statement as it stands.
    const std::string& Default() const { return default_; }
    void SetDefault(const std::string& value) { default_ = value; }
    // A different table empties ForeignColumn.
    const std::string& ForeignTable() const { return foreignTable_; }
    void SetForeignTable(const std::string& value);
    // Taken only while ForeignTable is set.
    const std::string& ForeignColumn() const { return foreignColumn_; }
    void SetForeignColumn(const std::string& value);

private:
    friend class TSchemaColumns;
    TSchemaColumn() = default;

    std::string name_;
    std::int16_t dataType_ = 1;
    std::int32_t precision_ = 0;
    TColumnConstraints constraints_ = 0;
    std::string default_;
    std::string foreignTable_;
    std::string foreignColumn_;
};

class TSchemaColumns : public TSchemaList<TSchemaColumn>
{
protected:
    std::unique_ptr<TSchemaColumn> NewItem() override;
};
