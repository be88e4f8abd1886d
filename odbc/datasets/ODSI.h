#pragma once
// ODSI: the library's datasets, gathered for users with what working with them takes: fields, field
// definitions, parameters and data sources.
#include "odbc/datasets/CustomOEDataSet.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEBlobStream.h"
#include "odbc/datasets/OEDataLink.h"
#include "odbc/datasets/OEDataSet.h"
#include "odbc/datasets/OEFieldTypes.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/datasets/Target.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/FieldDefs.h"
#include "platform/db/Params.h"
