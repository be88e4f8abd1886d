#pragma once
// TOEAdministrator: lists the ODBC data sources and drivers the driver manager knows and adds,
// changes or removes a data source through the installer (SQLConfigDataSource), which hands the
// work to the driver's set-up library. Works on GlobalHenv.
#include "platform/core/Component.h"
#include "platform/core/Filer.h"
#include "platform/core/StringList.h"

#include <cstdint>
#include <string>

enum TDataSourceType
{
    dsDefault, // user and system data sources; changes go to the user's
    dsUser,
    dsSystem,
};

class TOEAdministrator : public TComponent
{
public:
    explicit TOEAdministrator(TComponent* owner = nullptr);
    ~TOEAdministrator() override;

    bool Prompt() const { return prompt_; }
    void SetPrompt(bool value) { prompt_ = value; }
    TDataSourceType DataSourceType() const { return dataSourceType_; }
    // Stores the type and marks both lists to be read again.
    void SetDataSourceType(TDataSourceType value);
    const std::string& Driver() const { return driver_; }
    void SetDriver(const std::string& value) { driver_ = value; }
    const std::string& DataSource() const { return dataSource_; }
    // Trims the name; a non-empty name the installer calls invalid is ignored (the old value stays).
    void SetDataSource(const std::string& name);
    const std::string& UserName() const { return userName_; }
    void SetUserName(const std::string& value) { userName_ = value; }
    // Kept and passed on as plain text.
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& value) { password_ = value; }
    // Further keyword=value lines for the set-up library.
    TStringList& Attributes() { return attributes_; }
    const TStringList& Attributes() const { return attributes_; }
    void SetAttributes(const TStringList& value) { attributes_.Assign(value); }

    // The data-source names of DataSourceType, read on first use after construction, Refresh or a
    // type change; DataSourceDrivers holds each one's driver description at the same index.
    const TStringList& GetDataSources();
    const TStringList& DataSourceDrivers() const { return dataSourceDrivers_; }
    // The installed drivers' descriptions, read like GetDataSources.
    const TStringList& GetDrivers();
    // The lists are read again at their next use (changes made by Add, Modify and Remove show only
    // after this).
    void Refresh();

    // The installer's syntax check of a data-source name.
    bool Valid(const std::string& name);
    // The driver of the data source named (any ASCII case); empty when there is none.
    void DataSourceDriver(const std::string& name, std::string& driver);

    // Add, change or remove the data source DataSource through Driver's set-up library: the system
    // one for dsSystem, else the user's. They return the installer's result; the lists are not
    // refreshed.
    bool Add();
    bool Modify();
    bool Remove();
    // SQLConfigDataSource with request (ODBC_ADD_DSN ...), Driver and the attribute list built from
    // DataSource, UserName, Password and Attributes. RIDIZOrurori "No Driver Value Specified" when
    // Driver is empty; a false result raises nothing.
    bool Configure(std::uint16_t request);
    // The attribute list Configure passes: each keyword=value pair followed by a NUL, then the
    // closing NUL (an empty list is two NULs). Empty Attributes lines are left out.
    std::string AttributeList() const;

    void DefineProperties(TFiler& filer) override;

private:
    void RetrieveDataSources();
    void RetrieveDrivers();

    bool prompt_ = false;
    TDataSourceType dataSourceType_ = dsDefault;
    std::string driver_;
    std::string dataSource_;
    std::string userName_;
    std::string password_;
    TStringList attributes_;
    TStringList dataSources_;
    TStringList dataSourceDrivers_;
    TStringList drivers_;
    bool dataSourcesStale_ = true;
    bool driversStale_ = true;
};
