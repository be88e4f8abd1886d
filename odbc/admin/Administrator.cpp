// TOEAdministrator: data-source and driver lists, and SQLConfigDataSource requests.
#include "odbc/admin/Administrator.h"

#include "odbc/base/OcihError.h"
#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Henv.h"
#include "platform/core/StringUtils.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace {

// One call of SQLDataSources or SQLDrivers: direction, then two text buffers with their sizes and
// the lengths the driver manager reports.
using ListingCall = std::function<SQLRETURN(SQLUSMALLINT direction, SQLCHAR* first, SQLSMALLINT firstSize,
                                            SQLSMALLINT* firstLength, SQLCHAR* second, SQLSMALLINT secondSize,
                                            SQLSMALLINT* secondLength)>;
using Listing = std::vector<std::pair<std::string, std::string>>;

// Walks a listing from its first entry while the environment's error object counts the calls as
// successful; the first other result (SQL_NO_DATA at the end, or an error) ends it quietly. The
// buffers start at 256 bytes; an entry that does not fit starts the walk again with buffers that
// hold it, so no name comes back cut, and a cut never ends the walk in success-only mode.
Listing Walk(SQLUSMALLINT firstDirection, const ListingCall& call)
{
    constexpr SQLSMALLINT largest = 32767;
    SQLSMALLINT firstSize = 256;
    SQLSMALLINT secondSize = 256;
    TODBCError& error = GlobalHenv().Error();
    for (;;) {
        Listing entries;
        std::string first(static_cast<std::size_t>(firstSize), '\0');
        std::string second(static_cast<std::size_t>(secondSize), '\0');
        SQLUSMALLINT direction = firstDirection;
        bool grown = false;
        for (;;) {
            SQLSMALLINT firstLength = 0;
            SQLSMALLINT secondLength = 0;
            const SQLRETURN rc =
                call(direction, reinterpret_cast<SQLCHAR*>(first.data()), firstSize, &firstLength,
                     reinterpret_cast<SQLCHAR*>(second.data()), secondSize, &secondLength);
            // A cut entry comes back as success with information; grow before judging the result.
            if (rc == SQL_SUCCESS_WITH_INFO) {
                const auto fit = [&](SQLSMALLINT length, SQLSMALLINT& size) {
                    if (length < size || size == largest)
                        return;
                    size = static_cast<SQLSMALLINT>(std::min<int>(length + 1, largest));
                    grown = true;
                };
                fit(firstLength, firstSize);
                fit(secondLength, secondSize);
                if (grown)
                    break;
            }
            if (!error.Success(rc))
                break;
            entries.emplace_back(first.c_str(), second.c_str());
            direction = SQL_FETCH_NEXT;
        }
        if (!grown)
            return entries;
    }
}

SQLHENV EnvironmentHandle()
{
    THenv& env = GlobalHenv();
    env.Init();
    return env.Handle();
}

} // namespace

TOEAdministrator::TOEAdministrator(TComponent* owner) : TComponent(owner) {}

TOEAdministrator::~TOEAdministrator() = default;

void TOEAdministrator::SetDataSourceType(TDataSourceType value)
{
    dataSourceType_ = value;
    Refresh();
}

void TOEAdministrator::SetDataSource(const std::string& name)
{
    std::string trimmed = Trim(name);
    if (!trimmed.empty() && !Valid(trimmed))
        return;
    dataSource_ = std::move(trimmed);
}

const TStringList& TOEAdministrator::GetDataSources()
{
    if (dataSourcesStale_) {
        RetrieveDataSources();
        dataSourcesStale_ = false;
    }
    return dataSources_;
}

const TStringList& TOEAdministrator::GetDrivers()
{
    if (driversStale_) {
        RetrieveDrivers();
        driversStale_ = false;
    }
    return drivers_;
}

void TOEAdministrator::Refresh()
{
    dataSourcesStale_ = true;
    driversStale_ = true;
}

bool TOEAdministrator::Valid(const std::string& name)
{
    return Oci::SQLValidDSN(name.c_str()) != 0;
}

void TOEAdministrator::DataSourceDriver(const std::string& name, std::string& driver)
{
    driver.clear();
    const int index = IndexOf(name, GetDataSources());
    if (index >= 0)
        driver = dataSourceDrivers_.Strings(index);
}

void TOEAdministrator::RetrieveDataSources()
{
    Log(2, "TOEAdministrator.RetrieveDataSources");
    dataSources_.Clear();
    dataSourceDrivers_.Clear();
    const SQLUSMALLINT first = dataSourceType_ == dsUser     ? SQL_FETCH_FIRST_USER
                               : dataSourceType_ == dsSystem ? SQL_FETCH_FIRST_SYSTEM
                                                             : SQL_FETCH_FIRST;
    const SQLHENV env = EnvironmentHandle();
    const Listing listing = Walk(first, [env](SQLUSMALLINT direction, SQLCHAR* name, SQLSMALLINT nameSize,
                                              SQLSMALLINT* nameLength, SQLCHAR* description,
                                              SQLSMALLINT descriptionSize, SQLSMALLINT* descriptionLength) {
        return Oci::SQLDataSources(env, direction, name, nameSize, nameLength, description, descriptionSize,
                                   descriptionLength);
    });
    for (const auto& [name, driver] : listing) {
        dataSources_.Add(name);
        dataSourceDrivers_.Add(driver);
    }
}

void TOEAdministrator::RetrieveDrivers()
{
    Log(2, "TOEAdministrator.RetrieveDrivers");
    drivers_.Clear();
    const SQLHENV env = EnvironmentHandle();
    const Listing listing =
        Walk(SQL_FETCH_FIRST, [env](SQLUSMALLINT direction, SQLCHAR* description, SQLSMALLINT descriptionSize,
                                    SQLSMALLINT* descriptionLength, SQLCHAR* attributes,
                                    SQLSMALLINT attributesSize, SQLSMALLINT* attributesLength) {
            return Oci::SQLDrivers(env, direction, description, descriptionSize, descriptionLength,
                                   attributes, attributesSize, attributesLength);
        });
    for (const auto& entry : listing)
        drivers_.Add(entry.first);
}

bool TOEAdministrator::Add()
{
    return Configure(dataSourceType_ == dsSystem ? ODBC_ADD_SYS_DSN : ODBC_ADD_DSN);
}

bool TOEAdministrator::Modify()
{
    return Configure(dataSourceType_ == dsSystem ? ODBC_CONFIG_SYS_DSN : ODBC_CONFIG_DSN);
}

bool TOEAdministrator::Remove()
{
    // The default type removes the named user data source, as Add and Modify work on the user's:
    // ODBC_REMOVE_DEFAULT_DSN would ask the set-up library for the "Default" entry instead, which
    // no set-up library here handles.
    return Configure(dataSourceType_ == dsSystem ? ODBC_REMOVE_SYS_DSN : ODBC_REMOVE_DSN);
}

std::string TOEAdministrator::AttributeList() const
{
    std::string list;
    const auto add = [&list](const std::string& pair) {
        list += pair;
        list += '\0';
    };
    if (!dataSource_.empty())
        add("DSN=" + dataSource_);
    if (!userName_.empty())
        add("UID=" + userName_);
    if (!password_.empty())
        add("PWD=" + password_);
    // An empty line would read as the end of the list and hide every line after it.
    for (const std::string& line : attributes_.Lines())
        if (!line.empty())
            add(line);
    // The list ends in an empty entry; an empty list is that entry alone, still two NULs.
    if (list.empty())
        list += '\0';
    list += '\0';
    return list;
}

bool TOEAdministrator::Configure(std::uint16_t request)
{
    Log(2, "TOEAdministrator.Configure");
    if (driver_.empty())
        throw RIDIZOrurori("No Driver Value Specified");
    // No window handle: unixODBC hands it to the set-up library unchanged, and set-up libraries here
    // take it for a window structure of their own toolkit, never a Qt window. Prompt therefore
    // cannot open a driver's dialog on this platform.
    const std::string attributes = AttributeList();
    return Oci::SQLConfigDataSource(nullptr, request, driver_.c_str(), attributes.c_str()) != 0;
}

void TOEAdministrator::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineProperty(
        "Prompt", [this](TReader& r) { SetPrompt(r.ReadBoolean()); },
        [this](TWriter& w) { w.WriteBoolean(prompt_); }, prompt_);
    filer.DefineProperty(
        "DataSourceType",
        [this](TReader& r) {
            const std::int32_t value = r.ReadInteger();
            if (value < dsDefault || value > dsSystem)
                throw EReadError("Invalid property value");
            SetDataSourceType(static_cast<TDataSourceType>(value));
        },
        [this](TWriter& w) { w.WriteInteger(dataSourceType_); }, dataSourceType_ != dsDefault);
    DefineTextProperty(filer, "Driver", driver_, [this](const std::string& v) { SetDriver(v); });
    DefineTextProperty(filer, "DataSource", dataSource_, [this](const std::string& v) { SetDataSource(v); });
    DefineTextProperty(filer, "UserName", userName_, [this](const std::string& v) { SetUserName(v); });
    DefineTextProperty(filer, "Password", password_, [this](const std::string& v) { SetPassword(v); });
    DefineLinesProperty(filer, "Attributes", attributes_, [this](const TStringList& v) { SetAttributes(v); });
}
