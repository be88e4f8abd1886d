#pragma once
// The catalog, gathered for users: TOECatalog with its lists of tables (their columns, keys and
// indexes) and of stored procedures (their parameters).
#include "odbc/catalog/CatalogColumn.h"
#include "odbc/catalog/CatalogList.h"
#include "odbc/catalog/CatalogProcedure.h"
#include "odbc/catalog/CatalogTable.h"
#include "odbc/catalog/OECatalog.h"
#include "odbc/catalog/TableType.h"
