#pragma once
// What the dataset tests share: the per-database fixture of the ODBC tests with a form-like owner for
// the datasets, and helpers to make tables and read what a dataset shows.
#include "odbc/datasets/OEDataSet.h"
#include "odbc/support/EachDatabase.h"
#include "platform/core/Component.h"
#include "platform/db/Field.h"

#include <memory>
#include <string>
#include <vector>

// A form: owns the datasets placed on it and destroys them (in reverse order) when it goes.
class Form : public TComponent
{
};

class DataSetTest : public EachDatabase
{
protected:
    void SetUp() override;
    // The datasets go before the tables they read.
    void TearDown() override;

    // Runs sql on the connection; fails the test when the driver refuses it.
    void Exec(const std::string& sql);
    // A dataset on the form, on the connection, over sql (not opened).
    TOEDataSet* NewDataSet(const std::string& sql = {});

    std::unique_ptr<Form> form;
};

// The rows sql gives on connection, read through a statement of its own: each row's columns as text
// joined by " " (NULL as "-"), the rows joined by "|".
std::string RowsAsText(THdbc& connection, const std::string& sql);
// The ids a dataset shows from its current record to EOF (field "id").
std::vector<int> IdsToEof(TDataSet& ds);
