#include "platform/paths.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

TEST(PathsTest, MixedCaseAndSeparatorsFindOneFile) {
    qmtest::TempDir dir;
    dir.WriteFile("Data/Maps/0001.Z5M", "map");
    const std::string base = dir.Path();
    for (const char* rel :
         {"Data/Maps/0001.Z5M", "data\\maps\\0001.z5m", "DATA\\\\Maps/0001.z5M", "./data/MAPS/0001.Z5m"}) {
        SCOPED_TRACE(rel);
        std::string mapped = plat::MapPath(base + "/" + rel);
        EXPECT_TRUE(plat::FileExists(mapped)) << mapped;
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(plat::ReadWholeFile(base + "\\" + rel, bytes));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "map");
    }
}

TEST(PathsTest, ExactNameWinsOverOtherCase) {
    qmtest::TempDir dir;
    dir.WriteFile("abc.txt", "lower");
    dir.WriteFile("ABC.txt", "upper");
    EXPECT_EQ(plat::MapPath(dir.Path() + "/ABC.txt"), dir.Path() + "/ABC.txt");
    EXPECT_EQ(plat::MapPath(dir.Path() + "/abc.txt"), dir.Path() + "/abc.txt");
}

TEST(PathsTest, NewFileKeepsItsCaseAndReusesAnExistingOne) {
    qmtest::TempDir dir;
    dir.WriteFile("Options/Existing.DAT", "x");
    EXPECT_EQ(plat::MapPathForCreate(dir.Path() + "/options\\NewFile.Dat"),
              dir.Path() + "/Options/NewFile.Dat");
    EXPECT_EQ(plat::MapPathForCreate(dir.Path() + "/OPTIONS/existing.dat"),
              dir.Path() + "/Options/Existing.DAT");
}

TEST(PathsTest, AtomicWriteReplacesWholeFileAndFailsCleanly) {
    qmtest::TempDir dir;
    dir.WriteFile("opt.dat", "old contents");
    const std::string target = dir.Path() + "/OPT.DAT";
    ASSERT_TRUE(plat::WriteFileAtomic(target, "new", 3));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(plat::ReadWholeFile(dir.Path() + "/opt.dat", bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new");
    EXPECT_EQ(dir.List(), std::vector<std::string>{"opt.dat"});  // no temporary left

    // A folder that does not exist: nothing is written, false is returned.
    EXPECT_FALSE(plat::WriteFileAtomic(dir.Path() + "/missing/opt.dat", "x", 1));
}

}  // namespace
