#include "core/async_file_mgr.h"

#include <algorithm>

#include "platform/clock.h"

CAsyncFileMgr::CAsyncFileMgr() = default;

CAsyncFileMgr::~CAsyncFileMgr() {
    while (!m_files.empty()) {
        plat::FileHandle file = m_files.front().file;
        FinishJobs(file);
        plat::CloseHandle(file);
        Forget(file);
    }
}

bool CAsyncFileMgr::SubmitJob(plat::FileHandle file, uint8_t mode, uint8_t rateClass, uint64_t fileOffset,
                              uint8_t* buffer, uint32_t length) {
    if (file == plat::kInvalidFileHandle || mode > kJobWrite || rateClass > kRateUnlimited ||
        (!buffer && length))
        return false;
    OpenFile* open = FindFile(file);
    if (open && open->closeRequested) return false;
    if (!open) m_files.push_back({file, false});
    Job job{file,
            mode,
            length ? uint8_t(kJobActive) : uint8_t(kJobDone),
            rateClass,
            fileOffset,
            buffer,
            0,
            length,
            0,
            plat::timeGetTime()};
    m_jobs.push_back(job);
    return true;
}

CAsyncFileMgr::OpenFile* CAsyncFileMgr::FindFile(plat::FileHandle file) {
    for (OpenFile& f : m_files)
        if (f.file == file) return &f;
    return nullptr;
}

bool CAsyncFileMgr::IsFileOpen(plat::FileHandle file) const {
    return std::any_of(m_files.begin(), m_files.end(), [&](const OpenFile& f) { return f.file == file; });
}

bool CAsyncFileMgr::IsJobActive(plat::FileHandle file) const {
    return std::any_of(m_jobs.begin(), m_jobs.end(),
                       [&](const Job& j) { return j.file == file && j.state == kJobActive; });
}

bool CAsyncFileMgr::HasFailedJob(plat::FileHandle file) const {
    return std::any_of(m_jobs.begin(), m_jobs.end(),
                       [&](const Job& j) { return j.file == file && j.state == kJobFailed; });
}

void CAsyncFileMgr::Forget(plat::FileHandle file) {
    std::erase_if(m_files, [&](const OpenFile& f) { return f.file == file; });
    std::erase_if(m_jobs, [&](const Job& j) { return j.file == file; });
}

bool CAsyncFileMgr::CloseFile(plat::FileHandle file) {
    OpenFile* open = FindFile(file);
    if (!open || open->closeRequested) return false;
    if (IsJobActive(file)) {
        open->closeRequested = true;
        return true;
    }
    plat::CloseHandle(file);
    Forget(file);
    return true;
}

void CAsyncFileMgr::FinishJobs(plat::FileHandle file) {
    // Every step without limits either ends its job or fails it.
    while (IsJobActive(file)) PumpFileJobs(kNoTimeLimit);
}

void CAsyncFileMgr::Update() {
    std::vector<plat::FileHandle> closing;
    for (const OpenFile& f : m_files)
        if (f.closeRequested && !IsJobActive(f.file)) closing.push_back(f.file);
    for (plat::FileHandle file : closing) {
        plat::CloseHandle(file);
        Forget(file);
    }
    PumpFileJobs(m_budgetMs);
}

void CAsyncFileMgr::PumpFileJobs(uint32_t budgetMs) {
    uint32_t start = plat::timeGetTime();
    for (Job& job : m_jobs) {
        if (budgetMs != kNoTimeLimit && plat::timeGetTime() - start >= budgetMs) break;
        if (job.state == kJobActive) RunFileJobStep(job, start, budgetMs);
    }
}

void CAsyncFileMgr::RunFileJobStep(Job& job, uint32_t pumpStart, uint32_t budgetMs) {
    bool unlimited = budgetMs == kNoTimeLimit;
    int64_t rate = unlimited ? -1 : m_rates[job.rateClass];
    uint32_t allowed = job.end;
    if (rate >= 0) {
        // The bytes the rate allows since the job started, counted from its base.
        uint32_t elapsed = pumpStart - job.startTime;
        double bytes = double(rate) * double(0.001f) * double(elapsed);
        uint64_t limit = uint64_t(job.base) + (bytes >= double(job.end) ? job.end : uint64_t(bytes));
        allowed = uint32_t(std::min<uint64_t>(limit, job.end));
    }
    if (allowed <= job.position) return;
    if (!plat::SetFilePointer(job.file, job.fileOffset + (job.position - job.base))) {
        job.state = kJobFailed;
        return;
    }
    while ((unlimited || plat::timeGetTime() - pumpStart < budgetMs) && job.position < allowed) {
        uint32_t count = std::min(kChunkSize, allowed - job.position);
        int64_t done = job.mode == kJobRead ? plat::ReadFile(job.file, job.buffer + job.position, count)
                                            : plat::WriteFile(job.file, job.buffer + job.position, count);
        if (done <= 0) {
            job.state = kJobFailed;
            return;
        }
        job.position += uint32_t(done);
    }
    if (job.position >= job.end) job.state = kJobDone;
}
