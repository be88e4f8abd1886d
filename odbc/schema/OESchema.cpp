// TOESchema: the component, its statements in direct mode and its drops.
#include "odbc/schema/OESchema.h"

#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/FileStream.h"
#include "platform/core/Filer.h"
#include "platform/core/StringUtils.h"

#include <sqlext.h>

namespace {

// Runs one drop; with ignoreErrors its failure is passed over and the walk goes on.
template <class Drop> void Guarded(bool ignoreErrors, Drop drop)
{
    if (!ignoreErrors) {
        drop();
        return;
    }
    try {
        drop();
    } catch (const Exception&) {
        // Dropping what is not there (or no longer) is what ignoreErrors asks to pass over.
    }
}

} // namespace

TOESchema::TOESchema(TComponent* owner)
    : TComponent(owner), hstmt_(std::make_unique<THstmt>(nullptr)),
      tables_(std::make_unique<TSchemaTables>(*this)), views_(std::make_unique<TSchemaViews>(*this))
{
    if (THdbc* connection = FirstHdbc(owner))
        SetHdbc(connection);
}

TOESchema::~TOESchema() = default;

void TOESchema::SetHdbc(THdbc* connection)
{
    FollowHdbc(*this, hdbc_, connection);
    hstmt_->SetHdbc(connection);
}

void TOESchema::SetExecMarker(const std::string& text)
{
    const std::string trimmed = Trim(text);
    if (text != execMarker_ && !trimmed.empty())
        execMarker_ = trimmed;
}

void TOESchema::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (THdbc* offered = OfferedHdbc(component, operation, hdbc_)) {
        SetHdbc(offered);
    } else if (HdbcGoing(component, operation, hdbc_)) {
        // The statement is told on its own and lets go of the connection itself.
        hdbc_ = nullptr;
    }
}

void TOESchema::Clear()
{
    tables_->Clear();
    views_->Clear();
}

void TOESchema::Terminate()
{
    hstmt_->Terminate();
}

std::string TOESchema::TypeName(std::int16_t dataType, std::int32_t precision)
{
    std::string name = hstmt_->TypeString(dataType, precision);
    hstmt_->CloseCursor();
    return name;
}

void TOESchema::Run(const std::string& statement)
{
    hstmt_->SetSQL(statement);
    hstmt_->Prepare();
    hstmt_->Execute();
}

void TOESchema::Perform(const std::string& statement)
{
    if (statement.empty())
        return;
    if (scriptMode_)
        WriteLine(statement);
    else
        Run(statement);
}

void TOESchema::LoadTables()
{
    const TTypeNamer typeName = [this](std::int16_t dataType, std::int32_t precision) {
        return TypeName(dataType, precision);
    };
    for (int t = 0; t < tables_->GetCount(); ++t) {
        const TSchemaTable& table = tables_->GetItem(t);
        Perform(CreateTableStatement(table, nameConstraints_, typeName));
        for (int i = 0; i < table.Indexes().GetCount(); ++i)
            Perform(CreateIndexStatement(table.Indexes().GetItem(i)));
    }
}

void TOESchema::LoadViews()
{
    for (int v = 0; v < views_->GetCount(); ++v)
        Perform(CreateViewStatement(views_->GetItem(v)));
}

void TOESchema::DropViews(bool ignoreErrors)
{
    for (int v = views_->GetCount() - 1; v >= 0; --v)
        Guarded(ignoreErrors, [&] { Perform(DropViewStatement(views_->GetItem(v))); });
}

TDropIndexForm TOESchema::DropIndexForm()
{
    if (hdbc_ == nullptr)
        return TDropIndexForm::AfterTable;
    // Connects, as running or naming types would.
    hstmt_->Init();
    return hdbc_->Traits().IndexesInTableSchema ? TDropIndexForm::InSchema : TDropIndexForm::AfterTable;
}

void TOESchema::DropTables(bool ignoreErrors)
{
    std::optional<TDropIndexForm> form;
    for (int t = tables_->GetCount() - 1; t >= 0; --t) {
        const TSchemaTable& table = tables_->GetItem(t);
        for (int i = table.Indexes().GetCount() - 1; i >= 0; --i) {
            Guarded(ignoreErrors, [&] {
                const TSchemaIndex& index = table.Indexes().GetItem(i);
                if (index.Name().empty())
                    return;
                if (!form)
                    form = DropIndexForm();
                Perform(DropIndexStatement(index, *form));
            });
        }
        Guarded(ignoreErrors, [&] { Perform(DropTableStatement(table)); });
    }
}

void TOESchema::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineProperty(
        "hDbc", [this](TReader& r) { streamedHdbc_ = r.ReadString(); },
        [this](TWriter& w) { w.WriteString(hdbc_->Name()); }, hdbc_ != nullptr && !hdbc_->Name().empty());
    DefineSubProperties(filer, "Tables", *tables_);
    DefineSubProperties(filer, "Views", *views_);
    filer.DefineProperty(
        "ExecMarker", [this](TReader& r) { SetExecMarker(r.ReadString()); },
        [this](TWriter& w) { w.WriteString(execMarker_); }, execMarker_ != "go");
    filer.DefineProperty(
        "NameConstraints", [this](TReader& r) { SetNameConstraints(r.ReadBoolean()); },
        [this](TWriter& w) { w.WriteBoolean(nameConstraints_); }, nameConstraints_);
}

void TOESchema::Loaded()
{
    TComponent::Loaded();
    if (THdbc* connection = TakeStreamedHdbc(Owner(), streamedHdbc_))
        SetHdbc(connection);
}
