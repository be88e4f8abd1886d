// TSchemaTable and TSchemaTables, with the stored form of the tables.
#include "odbc/schema/SchemaTable.h"

#include "platform/core/Filer.h"

namespace {

// The version tag that opens the stored form; read back and not compared.
constexpr const char* kVersionTag = "OE5.02";

void WriteTables(TWriter& w, const TSchemaTables& tables)
{
    w.WriteListBegin();
    w.WriteString(kVersionTag);
    w.WriteListBegin();
    for (int t = 0; t < tables.GetCount(); ++t) {
        const TSchemaTable& table = tables.GetItem(t);
        w.WriteString(table.Owner());
        w.WriteString(table.Name());
        w.WriteListBegin();
        for (int c = 0; c < table.Columns().GetCount(); ++c) {
            const TSchemaColumn& column = table.Columns().GetItem(c);
            w.WriteString(column.Name());
            w.WriteInteger(column.DataType());
            w.WriteInteger(column.Precision());
            w.WriteInteger(column.Constraints());
            w.WriteString(column.Default());
            w.WriteString(column.ForeignTable());
            w.WriteString(column.ForeignColumn());
        }
        w.WriteListEnd();
        w.WriteListBegin();
        for (int i = 0; i < table.Indexes().GetCount(); ++i) {
            const TSchemaIndex& index = table.Indexes().GetItem(i);
            w.WriteString(index.Name());
            w.WriteBoolean(index.Unique());
            w.WriteListBegin();
            for (const std::string& name : index.Columns().Lines())
                w.WriteString(name);
            w.WriteListEnd();
        }
        w.WriteListEnd();
    }
    w.WriteListEnd();
    w.WriteListEnd();
}

void ReadTables(TReader& r, TSchemaTables& tables)
{
    r.ReadListBegin();
    (void)r.ReadString(); // the version tag
    r.ReadListBegin();
    while (!r.EndOfList()) {
        TSchemaTable& table = tables.GetItem(tables.AddItem());
        table.SetOwner(r.ReadString());
        table.SetName(r.ReadString());
        r.ReadListBegin();
        while (!r.EndOfList()) {
            TSchemaColumn& column = table.Columns().GetItem(table.Columns().AddItem());
            column.SetName(r.ReadString());
            column.SetDataType(static_cast<std::int16_t>(r.ReadInteger()));
            column.SetPrecision(r.ReadInteger());
            column.SetConstraints(static_cast<TColumnConstraints>(r.ReadInteger()));
            column.SetDefault(r.ReadString());
            column.SetForeignTable(r.ReadString());
            column.SetForeignColumn(r.ReadString());
        }
        r.ReadListEnd();
        r.ReadListBegin();
        while (!r.EndOfList()) {
            TSchemaIndex& index = table.Indexes().GetItem(table.Indexes().AddItem());
            index.SetName(r.ReadString());
            index.SetUnique(r.ReadBoolean());
            index.Columns().Clear();
            r.ReadListBegin();
            while (!r.EndOfList())
                index.Columns().Add(r.ReadString());
            r.ReadListEnd();
        }
        r.ReadListEnd();
    }
    r.ReadListEnd();
    r.ReadListEnd();
}

} // namespace

std::unique_ptr<TSchemaTable> TSchemaTables::NewItem()
{
    return std::unique_ptr<TSchemaTable>(new TSchemaTable(*this));
}

void TSchemaTables::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        "Tables", [this](TReader& r) { ReadTables(r, *this); }, [this](TWriter& w) { WriteTables(w, *this); },
        GetCount() > 0);
}
