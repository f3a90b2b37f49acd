#include "core/async_file_mgr.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + i / 251);
    return v;
}

class AsyncFileMgrTest : public ::testing::Test {
protected:
    AsyncFileMgrTest() : m_guard(m_clock) {}

    plat::FileHandle OpenRead(const std::vector<uint8_t>& content) {
        std::string path = m_dir.WriteFile("in.bin", std::string(content.begin(), content.end()));
        return plat::CreateFile(path, plat::FileAccess::kRead);
    }

    plat::FakeClock m_clock{1000};
    plat::ScopedClock m_guard;
    qmtest::TempDir m_dir;
};

TEST_F(AsyncFileMgrTest, ReadFollowsTheRateOfItsClass) {
    std::vector<uint8_t> content = Pattern(20000);
    std::vector<uint8_t> buffer(10000, 0);
    CAsyncFileMgr mgr;
    plat::FileHandle file = OpenRead(content);
    ASSERT_NE(file, plat::kInvalidFileHandle);
    // Class 0 moves 131,072 bytes a second; the job starts at file offset 100.
    ASSERT_TRUE(
        mgr.SubmitJob(file, CAsyncFileMgr::kJobRead, CAsyncFileMgr::kRateSlow, 100, buffer.data(), 10000));
    mgr.Update();  // no time has passed: the allowed end is the position, nothing moves
    EXPECT_EQ(buffer[0], 0);
    EXPECT_TRUE(mgr.IsJobActive(file));

    m_clock.Advance(10);  // 1,310 bytes allowed since the start
    mgr.Update();
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 1310, content.begin() + 100));
    EXPECT_EQ(buffer[1310], 0);
    mgr.Update();  // same time: nothing more
    EXPECT_EQ(buffer[1310], 0);

    m_clock.Advance(40);  // 6,553 bytes since the start in all
    mgr.Update();
    EXPECT_NE(buffer[6552], 0);
    EXPECT_EQ(buffer[6553], 0);
    EXPECT_TRUE(mgr.IsJobActive(file));

    m_clock.Advance(1000);
    mgr.Update();
    EXPECT_FALSE(mgr.IsJobActive(file));
    EXPECT_FALSE(mgr.HasFailedJob(file));
    EXPECT_EQ(buffer, std::vector<uint8_t>(content.begin() + 100, content.begin() + 10100));
}

TEST_F(AsyncFileMgrTest, ReadingPastTheEndOfTheFileEndsTheJob) {
    std::vector<uint8_t> content = Pattern(5000);
    std::vector<uint8_t> buffer(8000, 0);
    CAsyncFileMgr mgr;
    plat::FileHandle file = OpenRead(content);
    ASSERT_TRUE(
        mgr.SubmitJob(file, CAsyncFileMgr::kJobRead, CAsyncFileMgr::kRateUnlimited, 0, buffer.data(), 8000));
    mgr.Update();
    EXPECT_FALSE(mgr.IsJobActive(file));
    EXPECT_TRUE(mgr.HasFailedJob(file));
    EXPECT_TRUE(std::equal(content.begin(), content.end(), buffer.begin()));
}

TEST_F(AsyncFileMgrTest, CloseWaitsForTheActiveJob) {
    std::vector<uint8_t> content = Pattern(9000);
    std::vector<uint8_t> buffer(9000, 0);
    CAsyncFileMgr mgr;
    plat::FileHandle file = OpenRead(content);
    ASSERT_TRUE(
        mgr.SubmitJob(file, CAsyncFileMgr::kJobRead, CAsyncFileMgr::kRateSlow, 0, buffer.data(), 9000));
    EXPECT_TRUE(mgr.CloseFile(file));   // only marked
    EXPECT_FALSE(mgr.CloseFile(file));  // already marked
    EXPECT_FALSE(mgr.SubmitJob(file, CAsyncFileMgr::kJobRead, 0, 0, buffer.data(), 1));
    EXPECT_TRUE(mgr.IsFileOpen(file));
    m_clock.Advance(1000);
    mgr.Update();  // the job finishes in this frame
    EXPECT_TRUE(mgr.IsFileOpen(file));
    mgr.Update();  // and the file is closed at the next
    EXPECT_FALSE(mgr.IsFileOpen(file));
    EXPECT_EQ(buffer, content);
    EXPECT_FALSE(mgr.CloseFile(file));
}

TEST_F(AsyncFileMgrTest, FinishJobsIgnoresRateAndBudgetAndWritesLand) {
    std::vector<uint8_t> content = Pattern(12345);
    std::string path = m_dir.Path() + "/out.bin";
    CAsyncFileMgr mgr;
    plat::FileHandle file = plat::CreateFile(path, plat::FileAccess::kWrite);
    ASSERT_NE(file, plat::kInvalidFileHandle);
    ASSERT_TRUE(
        mgr.SubmitJob(file, CAsyncFileMgr::kJobWrite, CAsyncFileMgr::kRateSlow, 0, content.data(), 12345));
    mgr.FinishJobs(file);
    EXPECT_FALSE(mgr.IsJobActive(file));
    EXPECT_TRUE(mgr.CloseFile(file));
    std::vector<uint8_t> written;
    ASSERT_TRUE(plat::ReadWholeFile(path, written));
    EXPECT_EQ(written, content);
}

TEST_F(AsyncFileMgrTest, DestructionFinishesJobsAndClosesFiles) {
    std::vector<uint8_t> content = Pattern(3000);
    std::string path = m_dir.Path() + "/out.bin";
    {
        CAsyncFileMgr mgr;
        plat::FileHandle file = plat::CreateFile(path, plat::FileAccess::kWrite);
        ASSERT_TRUE(
            mgr.SubmitJob(file, CAsyncFileMgr::kJobWrite, CAsyncFileMgr::kRateSlow, 0, content.data(), 3000));
    }
    std::vector<uint8_t> written;
    ASSERT_TRUE(plat::ReadWholeFile(path, written));
    EXPECT_EQ(written, content);
}

TEST_F(AsyncFileMgrTest, RefusesBadJobs) {
    CAsyncFileMgr mgr;
    uint8_t b[4];
    EXPECT_FALSE(mgr.SubmitJob(plat::kInvalidFileHandle, 0, 0, 0, b, 4));
    plat::FileHandle file = OpenRead(Pattern(10));
    EXPECT_FALSE(mgr.SubmitJob(file, 2, 0, 0, b, 4));
    EXPECT_FALSE(mgr.SubmitJob(file, 0, 3, 0, b, 4));
    EXPECT_FALSE(mgr.SubmitJob(file, 0, 0, 0, nullptr, 4));
    EXPECT_FALSE(mgr.IsFileOpen(file));
    plat::CloseHandle(file);
}

}  // namespace
