// TOECatalog: the component, its filters, its two lists and the parsers of their entries.
#include "odbc/catalog/OECatalog.h"

#include "odbc/base/OcihError.h"
#include "odbc/base/OcihText.h"
#include "odbc/catalog/CatalogCall.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/RunningCall.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/Filer.h"
#include "platform/core/StringUtils.h"

#include <algorithm>
#include <vector>

namespace {

// The part of text before its first separator (all of it when there is none), and the rest after it.
bool SplitAt(std::string_view text, char separator, std::string_view& before, std::string_view& after)
{
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos)
        return false;
    before = text.substr(0, at);
    after = text.substr(at + 1);
    return true;
}

template <class List>
auto ByName(List& list, std::string_view owner, std::string_view name) -> decltype(list.GetItem(0))
{
    const std::string wantedOwner = UpperCase(Trim(owner));
    const std::string wantedName = UpperCase(Trim(name));
    for (int i = 0; i < list.GetCount(); ++i) {
        auto* item = list.GetItem(i);
        if (UpperCase(item->Name()) == wantedName &&
            (wantedOwner.empty() || UpperCase(item->Owner()) == wantedOwner))
            return item;
    }
    return nullptr;
}

} // namespace

TOECatalog::TOECatalog(TComponent* owner)
    : TComponent(owner), hstmt_(std::make_unique<THstmt>(nullptr)), tables_(*this), procedures_(*this)
{
    if (THdbc* connection = FirstHdbc(owner))
        SetHdbc(connection);
}

TOECatalog::~TOECatalog() = default;

void TOECatalog::SetHdbc(THdbc* connection)
{
    FollowHdbc(*this, hdbc_, connection);
    hstmt_->SetHdbc(connection);
    Refresh();
}

void TOECatalog::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (THdbc* offered = OfferedHdbc(component, operation, hdbc_)) {
        SetHdbc(offered);
    } else if (HdbcGoing(component, operation, hdbc_)) {
        // The statement is told on its own and lets go of the connection itself.
        hdbc_ = nullptr;
        Refresh();
    }
}

void TOECatalog::SetTableOwner(const std::string& value)
{
    if (value != tableOwner_) {
        tableOwner_ = value;
        readTables_ = true;
    }
}

void TOECatalog::SetTableName(const std::string& value)
{
    if (value != tableName_) {
        tableName_ = value;
        readTables_ = true;
    }
}

void TOECatalog::SetTableType(TTableTypeSet value)
{
    if (value != tableType_) {
        tableType_ = value;
        readTables_ = true;
    }
}

void TOECatalog::SetProcedureOwner(const std::string& value)
{
    if (value != procedureOwner_) {
        procedureOwner_ = value;
        readProcedures_ = true;
    }
}

void TOECatalog::SetProcedureName(const std::string& value)
{
    if (value != procedureName_) {
        procedureName_ = value;
        readProcedures_ = true;
    }
}

void TOECatalog::Refresh()
{
    readTables_ = true;
    readProcedures_ = true;
}

void TOECatalog::Terminate()
{
    hstmt_->Terminate();
}

TCatalogTables& TOECatalog::GetTables()
{
    if (readTables_) {
        RetrieveTables();
        readTables_ = false;
    }
    return tables_;
}

TCatalogProcedures& TOECatalog::GetProcedures()
{
    if (readProcedures_) {
        RetrieveProcedures();
        readProcedures_ = false;
    }
    return procedures_;
}

const TStringList& TOECatalog::GetTableNames()
{
    TCatalogTables& tables = GetTables();
    tableNames_.Clear();
    for (int i = 0; i < tables.GetCount(); ++i)
        tableNames_.Add(tables.GetItem(i)->Name());
    return tableNames_;
}

const TStringList& TOECatalog::GetProcedureNames()
{
    TCatalogProcedures& procedures = GetProcedures();
    procedureNames_.Clear();
    for (int i = 0; i < procedures.GetCount(); ++i)
        procedureNames_.Add(procedures.GetItem(i)->Name());
    return procedureNames_;
}

TCatalogTable* TOECatalog::TableByName(std::string_view owner, std::string_view name)
{
    return ByName(GetTables(), owner, name);
}

TCatalogProcedure* TOECatalog::ProcedureByName(std::string_view owner, std::string_view name)
{
    return ByName(GetProcedures(), owner, name);
}

void TOECatalog::CheckHdbc() const
{
    if (hdbc_ == nullptr)
        throw RIDIZOrurori("Property Hdbc of " + Name() + " not set.");
}

void TOECatalog::RetrieveTables()
{
    Log(2, "TOECatalog.RetrieveTables");
    RunningCall running;
    CheckHdbc();
    tableOwner_ = Trim(tableOwner_);
    tableName_ = Trim(tableName_);
    hdbc_->Connect();
    if (hdbc_->Traits().ListsTablesUnfiltered)
        tableType_ = {};

    // NOTE: the list is joined by "," alone: SQLite's driver honours only the first entry of a list
    // joined by ", ". What drivers that ignore the list (mdbtools) give of the other kinds is sifted
    // out below; a kind the driver names otherwise (psqlODBC's MATVIEW) it gave for the list.
    std::vector<std::string> wanted;
    for (TTableType type : {ttTable, ttView, ttSystem}) {
        if (tableType_.Contains(type))
            wanted.push_back(TableTypeToString(type));
    }
    std::string typeList;
    for (const std::string& type : wanted)
        typeList += (typeList.empty() ? "'" : ",'") + type + "'";

    if (!CatalogCall::Run(*hstmt_, [&](void* handle) {
            return Oci::SQLTables(handle, nullptr, 0, CatalogCall::Arg(tableOwner_),
                                  CatalogCall::ArgLength(tableOwner_), CatalogCall::Arg(tableName_),
                                  CatalogCall::ArgLength(tableName_), CatalogCall::Arg(typeList),
                                  CatalogCall::ArgLength(typeList));
        }))
        return;

    struct Row
    {
        std::string owner, name, type, remarks;
    };
    std::vector<Row> rows;
    while (hstmt_->FetchNext()) {
        Row row{hstmt_->GetColString(2), hstmt_->GetColString(3), hstmt_->GetColString(4),
                hstmt_->GetColString(5)};
        const std::string type = UpperCase(Trim(row.type));
        const bool knownKind = type == TableTypeToString(ttTable) || type == TableTypeToString(ttView) ||
                               type == TableTypeToString(ttSystem);
        if (wanted.empty() || !knownKind || std::find(wanted.begin(), wanted.end(), type) != wanted.end())
            rows.push_back(std::move(row));
    }
    tables_.FreeItems();
    for (Row& row : rows) {
        TCatalogTable* table = tables_.AddItem();
        table->SetOwner(row.owner);
        table->SetName(row.name);
        table->SetTableType(StringToTableType(row.type));
        table->SetRemarks(row.remarks);
    }
}

void TOECatalog::RetrieveProcedures()
{
    Log(2, "TOECatalog.RetrieveProcedures");
    RunningCall running;
    CheckHdbc();
    procedureOwner_ = Trim(procedureOwner_);
    procedureName_ = Trim(procedureName_);
    if (!CatalogCall::Run(*hstmt_, [&](void* handle) {
            return Oci::SQLProcedures(handle, nullptr, 0, CatalogCall::Arg(procedureOwner_),
                                      CatalogCall::ArgLength(procedureOwner_),
                                      CatalogCall::Arg(procedureName_),
                                      CatalogCall::ArgLength(procedureName_));
        }))
        return;

    struct Row
    {
        std::string owner, name, remarks;
        std::int16_t type;
    };
    std::vector<Row> rows;
    while (hstmt_->FetchNext()) {
        rows.push_back(Row{hstmt_->GetColString(2), CatalogCall::ProcedureName(hstmt_->GetColString(3)),
                           hstmt_->GetColString(7), hstmt_->GetColSmallint(8)});
    }
    procedures_.FreeItems();
    for (Row& row : rows) {
        TCatalogProcedure* procedure = procedures_.AddItem();
        procedure->SetOwner(row.owner);
        procedure->SetName(row.name);
        procedure->SetProcedureType(row.type);
        procedure->SetRemarks(row.remarks);
    }
}

void TOECatalog::ParseForeignKey(std::string_view text, std::string& column, std::string& foreignOwner,
                                 std::string& foreignTable, std::string& foreignColumn)
{
    std::string_view first, rest, qualified, last;
    if (!SplitAt(text, ';', first, rest) || !SplitAt(rest, ';', qualified, last) ||
        last.find(';') != std::string_view::npos)
        throw RIDIZOrurori("Invalid foreign key format.");
    column = Trim(first);
    foreignColumn = Trim(last);
    const std::string table = Trim(qualified);
    std::string_view owner, name;
    if (SplitAt(table, '.', owner, name)) {
        foreignOwner = Trim(owner);
        foreignTable = std::string(name);
    } else {
        foreignOwner.clear();
        foreignTable = table;
    }
}

void TOECatalog::ParseIndex(std::string_view text, std::string& name, bool& unique, TStringList& columns)
{
    std::string_view first, rest, flag, last;
    if (!SplitAt(text, ';', first, rest) || !SplitAt(rest, ';', flag, last) ||
        last.find(';') != std::string_view::npos)
        throw RIDIZOrurori("Invalid index format.");
    name = Trim(first);
    unique = Trim(flag) == "U";
    Split(Trim(last), ",", columns);
}

void TOECatalog::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    // The connection is stored by name and found among the owner's components once loading ends
    // (it may come later in the resource).
    filer.DefineProperty(
        "hDbc", [this](TReader& r) { streamedHdbc_ = r.ReadString(); },
        [this](TWriter& w) { w.WriteString(hdbc_->Name()); }, hdbc_ != nullptr && !hdbc_->Name().empty());
    const auto text = [&](const char* name, std::string TOECatalog::*field, const char* defaultValue,
                          void (TOECatalog::*set)(const std::string&)) {
        filer.DefineProperty(
            name, [this, set](TReader& r) { (this->*set)(r.ReadString()); },
            [this, field](TWriter& w) { w.WriteString(this->*field); }, this->*field != defaultValue);
    };
    text("TableOwner", &TOECatalog::tableOwner_, "", &TOECatalog::SetTableOwner);
    text("TableName", &TOECatalog::tableName_, "%", &TOECatalog::SetTableName);
    // The set as its bits: 1 tables, 2 views, 4 system tables.
    filer.DefineProperty(
        "TableType",
        [this](TReader& r) {
            SetTableType(TTableTypeSet::FromBits(static_cast<std::uint32_t>(r.ReadInteger())));
        },
        [this](TWriter& w) { w.WriteInteger(tableType_.Bits()); },
        tableType_ != TTableTypeSet{ttTable, ttView});
    text("ProcedureOwner", &TOECatalog::procedureOwner_, "", &TOECatalog::SetProcedureOwner);
    text("ProcedureName", &TOECatalog::procedureName_, "%", &TOECatalog::SetProcedureName);
}

void TOECatalog::Loaded()
{
    TComponent::Loaded();
    if (THdbc* connection = TakeStreamedHdbc(Owner(), streamedHdbc_))
        SetHdbc(connection);
}
