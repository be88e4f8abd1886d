#pragma once
// TOECatalog: what a data source holds, read through the ODBC catalog functions: its tables (with
// their columns, keys and indexes) and its stored procedures (with their parameters). Each list is
// read on first use and kept until a property that selects it changes or Refresh is called; items of
// a list are freed when it is read again, so callers must not keep them across a refresh.
#include "odbc/catalog/CatalogProcedure.h"
#include "odbc/catalog/CatalogTable.h"
#include "odbc/catalog/TableType.h"
#include "platform/core/Component.h"
#include "platform/core/StringList.h"

#include <memory>
#include <string>
#include <string_view>

class THdbc;
class THstmt;

class TOECatalog : public TComponent
{
public:
    // hDbc is the first THdbc among the owner's components, if any.
    explicit TOECatalog(TComponent* owner = nullptr);
    ~TOECatalog() override;

    THdbc* hDbc() const { return hdbc_; }
    // Also the statement's connection; every list is read again.
    void SetHdbc(THdbc* connection);
    // The statement every catalog function runs on.
    THstmt& Statement() { return *hstmt_; }

    // Which tables GetTables lists: schema and name patterns ("%" any run of characters, "_" any
    // one), and the kinds of table. An empty owner is any schema.
    const std::string& TableOwner() const { return tableOwner_; }
    void SetTableOwner(const std::string& value);
    const std::string& TableName() const { return tableName_; }
    void SetTableName(const std::string& value);
    TTableTypeSet TableType() const { return tableType_; }
    void SetTableType(TTableTypeSet value);
    const std::string& ProcedureOwner() const { return procedureOwner_; }
    void SetProcedureOwner(const std::string& value);
    const std::string& ProcedureName() const { return procedureName_; }
    void SetProcedureName(const std::string& value);

    TCatalogTables& GetTables();
    TCatalogTables& Tables() { return GetTables(); }
    TCatalogProcedures& GetProcedures();
    TCatalogProcedures& Procedures() { return GetProcedures(); }
    const TStringList& GetTableNames();
    const TStringList& TableNames() { return GetTableNames(); }
    const TStringList& GetProcedureNames();
    const TStringList& ProcedureNames() { return GetProcedureNames(); }

    // The first item whose name equals name, and whose owner equals owner unless that is empty; both
    // trimmed and compared without regard to ASCII case. nullptr when none does.
    TCatalogTable* TableByName(std::string_view owner, std::string_view name);
    TCatalogProcedure* ProcedureByName(std::string_view owner, std::string_view name);

    // Both lists are read again on their next use.
    void Refresh();
    // Releases the statement's ODBC handle.
    void Terminate();
    // Raises RIDIZOrurori "Property Hdbc of <Name> not set." without a connection.
    void CheckHdbc() const;

    // Splits a ForeignKeys entry; raises RIDIZOrurori "Invalid foreign key format." unless it has
    // exactly three parts.
    static void ParseForeignKey(std::string_view text, std::string& column, std::string& foreignOwner,
                                std::string& foreignTable, std::string& foreignColumn);
    // Splits an Indexes entry into columns (cleared first); raises RIDIZOrurori "Invalid index
    // format." unless it has exactly three parts. Only "U" (that case) is unique.
    static void ParseIndex(std::string_view text, std::string& name, bool& unique, TStringList& columns);

    void Notification(TComponent* component, TOperation operation) override;
    void DefineProperties(TFiler& filer) override;
    void Loaded() override;

private:
    void RetrieveTables();
    void RetrieveProcedures();

    THdbc* hdbc_ = nullptr;
    std::unique_ptr<THstmt> hstmt_;
    TCatalogTables tables_;
    TCatalogProcedures procedures_;
    TStringList tableNames_;
    TStringList procedureNames_;
    std::string tableOwner_;
    std::string tableName_ = "%";
    TTableTypeSet tableType_{ttTable, ttView};
    std::string procedureOwner_;
    std::string procedureName_ = "%";
    bool readTables_ = true;
    bool readProcedures_ = true;
    // The connection's name from a form resource, found among the owner's components once loading
    // has ended.
    std::string streamedHdbc_;
};
