// TSchemaView and TSchemaViews, with the stored form of the views.
#include "odbc/schema/SchemaView.h"

#include "platform/core/Filer.h"

namespace {

constexpr const char* kVersionTag = "OE5.02";

void WriteViews(TWriter& w, const TSchemaViews& views)
{
    w.WriteListBegin();
    w.WriteString(kVersionTag);
    w.WriteListBegin();
    for (int v = 0; v < views.GetCount(); ++v) {
        const TSchemaView& view = views.GetItem(v);
        w.WriteString(view.Owner());
        w.WriteString(view.Name());
        w.WriteListBegin();
        for (const std::string& name : view.Columns().Lines())
            w.WriteString(name);
        w.WriteListEnd();
        w.WriteString(view.SQL());
    }
    w.WriteListEnd();
    w.WriteListEnd();
}

void ReadViews(TReader& r, TSchemaViews& views)
{
    r.ReadListBegin();
    (void)r.ReadString(); // the version tag
    r.ReadListBegin();
    while (!r.EndOfList()) {
        TSchemaView& view = views.GetItem(views.AddItem());
        view.SetOwner(r.ReadString());
        view.SetName(r.ReadString());
        view.Columns().Clear();
        r.ReadListBegin();
        while (!r.EndOfList())
            view.Columns().Add(r.ReadString());
        r.ReadListEnd();
        view.SetSQL(r.ReadString());
    }
    r.ReadListEnd();
    r.ReadListEnd();
}

} // namespace

std::unique_ptr<TSchemaView> TSchemaViews::NewItem()
{
    return std::unique_ptr<TSchemaView>(new TSchemaView(*this));
}

void TSchemaViews::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        "Views", [this](TReader& r) { ReadViews(r, *this); }, [this](TWriter& w) { WriteViews(w, *this); },
        GetCount() > 0);
}
