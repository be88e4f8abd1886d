#include "platform/core/Exception.h"

#include <gtest/gtest.h>

TEST(Exception, EveryLibraryExceptionIsCaughtAsExceptionWithItsMessage)
{
    try {
        throw EConvertError("'x' is not a valid integer value");
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "'x' is not a valid integer value");
        EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
    }
    EXPECT_THROW(Abort(), EAbort);
}
