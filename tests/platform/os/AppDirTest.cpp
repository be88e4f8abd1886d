#include "platform/os/AppDir.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(AppDir, IsTheExecutablesFolderWithTrailingSlash)
{
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(ExecutableFileName(), "test_platform_os");
    EXPECT_TRUE(std::filesystem::exists(folder + ExecutableFileName()));
    EXPECT_EQ(AppDir(), folder);
}

TEST(AppDir, CanBeSetAndReturnsToTheDefault)
{
    SetAppDir("/srv/counter");
    EXPECT_EQ(AppDir(), "/srv/counter/");
    SetAppDir("/srv/counter//");
    EXPECT_EQ(AppDir(), "/srv/counter/");
    SetAppDir("");
    EXPECT_EQ(AppDir(), ExecutableFolder());
}

TEST(AppDir, TrailingSlashIsAddedOnce)
{
    EXPECT_EQ(WithTrailingSlash(""), "");
    EXPECT_EQ(WithTrailingSlash("/"), "/");
    EXPECT_EQ(WithTrailingSlash("a"), "a/");
    EXPECT_EQ(WithTrailingSlash("a/"), "a/");
    EXPECT_EQ(WithTrailingSlash("a///"), "a/");
}
