#pragma once
// DataSourceConfig: a private data-source configuration for one test of data-source administration
// or the pickers. The run's private ODBC folder (OdbcTestConfig) gets, for the test's duration, an
// odbcinst.ini that adds a test driver whose Setup is our set-up library, a system odbc.ini and a user
// odbc.ini of its own; the files the run started with come back afterwards. The set-up library is kept
// loaded, so its record of the last ConfigDSN call can be read.
#include "fakes/odbcsetup/OdbcSetup.h"

#include <gtest/gtest.h>

#include <string>

class DataSourceConfig : public ::testing::Test
{
protected:
    // Driver description of the test driver (the SQLite3 driver with our set-up library).
    static constexpr const char* kTestDriver = "Zira Test Driver";

    void SetUp() override;
    void TearDown() override;

    // Replace the system or user odbc.ini with text.
    void WriteSystemIni(const std::string& text);
    void WriteUserIni(const std::string& text);
    // Appends text to the odbcinst.ini of this test.
    void AddToDriverIni(const std::string& text);
    std::string SystemIni() const;
    std::string UserIni() const;
    // A value of a data-source section in the system or user odbc.ini, read back from the file.
    std::string SystemValue(const std::string& dsn, const std::string& key) const;
    std::string UserValue(const std::string& dsn, const std::string& key) const;

    // What the set-up library saw last. It may stay loaded between tests: count calls from the
    // value at the start.
    const ZiraSetupCall& LastSetupCall() const;
    std::string Folder() const { return folder_; }

private:
    std::string folder_;
    std::string savedDriverIni_;
    std::string savedSystemIni_;
    std::string savedUserIniVariable_;
    void* setup_ = nullptr;
};
