// OCL.h: one include gives a library user the connection and statement classes.
#include "odbc/statements/OCL.h"

#include <gtest/gtest.h>

TEST(OclHeader, GathersConnectionAndStatement)
{
    THdbc connection;
    THstmt statement;
    statement.SetHdbc(&connection);
    EXPECT_EQ(statement.hDbc(), &connection);
}
