#pragma once
// TSchemaView and TSchemaViews: a view of the schema description (owner, name, column names, the
// SELECT text) and the schema's list of them, which streams itself as the property "Views".
#include "odbc/schema/SchemaList.h"
#include "platform/core/Persistent.h"
#include "platform/core/StringList.h"

#include <memory>
#include <string>

class TOESchema;
class TSchemaViews;

class TSchemaView
{
public:
    TSchemaViews& Views() const { return views_; }
    const std::string& Owner() const { return owner_; }
    void SetOwner(const std::string& value) { owner_ = value; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    // Names of the view's columns; none keeps the names of the SELECT.
    TStringList& Columns() { return columns_; }
    const TStringList& Columns() const { return columns_; }
    const std::string& SQL() const { return sql_; }
    void SetSQL(const std::string& value) { sql_ = value; }

private:
    friend class TSchemaViews;
    explicit TSchemaView(TSchemaViews& views) : views_(views) {}

    TSchemaViews& views_;
    std::string owner_;
    std::string name_;
    TStringList columns_;
    std::string sql_;
};

class TSchemaViews : public TPersistent, public TSchemaList<TSchemaView>
{
public:
    explicit TSchemaViews(TOESchema& schema) : schema_(schema) {}
    TOESchema& Schema() const { return schema_; }

    // The property "Views": a list holding the version tag "OE5.02" and then one list entry per
    // view.
    void DefineProperties(TFiler& filer) override;

protected:
    std::unique_ptr<TSchemaView> NewItem() override;

private:
    TOESchema& schema_;
};
