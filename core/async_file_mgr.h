// File reads and writes spread over frames. A job copies between an open file
// and a memory buffer in chunks of at most 4,096 bytes, limited by its rate
// class (bytes per second since the job started) and by a time budget per
// frame. A job is active until its position reaches the end of its buffer or
// a step fails (a failed seek, read or write, or a read that finds the end of
// the file first).
#pragma once
#include <cstdint>
#include <vector>

#include "platform/file_io.h"

class CAsyncFileMgr {
public:
    enum JobMode : uint8_t { kJobRead = 0, kJobWrite = 1 };
    enum JobState : uint8_t { kJobDone = 0, kJobActive = 1, kJobFailed = 2 };
    enum RateClass : uint8_t { kRateSlow = 0, kRateFast = 1, kRateUnlimited = 2 };
    static constexpr uint32_t kChunkSize = 4096;
    static constexpr uint32_t kFrameBudgetMs = 3;
    static constexpr uint32_t kNoTimeLimit = 0xffffffffu;

    CAsyncFileMgr();
    // Finishes every job and closes every file.
    ~CAsyncFileMgr();
    CAsyncFileMgr(const CAsyncFileMgr&) = delete;
    CAsyncFileMgr& operator=(const CAsyncFileMgr&) = delete;

    // Adds a job on file, which the manager closes from then on (CloseFile).
    // mode 0 reads length bytes at fileOffset into buffer, 1 writes them
    // there; buffer must stay valid until the job is no longer active. False
    // for a bad argument or a file whose closing was asked for.
    bool SubmitJob(plat::FileHandle file, uint8_t mode, uint8_t rateClass, uint64_t fileOffset,
                   uint8_t* buffer, uint32_t length);

    bool IsJobActive(plat::FileHandle file) const;
    // True when a job of the file stopped before its end.
    bool HasFailedJob(plat::FileHandle file) const;
    bool IsFileOpen(plat::FileHandle file) const;
    // Closes the file when none of its jobs is active, else marks it to be
    // closed once they are; false when it is not open or already marked.
    bool CloseFile(plat::FileHandle file);
    // Runs the jobs without time or rate limits until none of the file's is active.
    void FinishJobs(plat::FileHandle file);
    // Once per frame: closes the marked files whose jobs are done, then runs
    // the jobs for the frame's budget.
    void Update();
    // One step of each active job, in order, until budgetMs is spent
    // (kNoTimeLimit: no time limit and no rate limit).
    void PumpFileJobs(uint32_t budgetMs);

private:
    struct Job {
        plat::FileHandle file;
        uint8_t mode;
        uint8_t state;
        uint8_t rateClass;
        uint64_t fileOffset;  // where the buffer's base goes in the file
        uint8_t* buffer;
        uint32_t position;  // next byte of the buffer
        uint32_t end;
        uint32_t base;
        uint32_t startTime;  // ms
    };
    struct OpenFile {
        plat::FileHandle file;
        bool closeRequested;
    };

    void RunFileJobStep(Job& job, uint32_t pumpStart, uint32_t budgetMs);
    OpenFile* FindFile(plat::FileHandle file);
    void Forget(plat::FileHandle file);

    std::vector<OpenFile> m_files;
    std::vector<Job> m_jobs;
    uint32_t m_budgetMs = kFrameBudgetMs;
    int64_t m_rates[3] = {131072, 8388608, -1};
};
