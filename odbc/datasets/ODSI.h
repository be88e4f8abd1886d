#pragma once
// ODSI: the library's datasets, gathered for users.
#include "odbc/datasets/CustomOEDataSet.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEBlobStream.h"
#include "odbc/datasets/OEDataLink.h"
#include "odbc/datasets/OEDataSet.h"
#include "odbc/datasets/OEFieldTypes.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/datasets/Target.h"
