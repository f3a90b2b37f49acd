#include "data/data_startup.h"

#include <cstring>
#include <iterator>
#include <string>

#include "core/app_state.h"
#include "core/async_file_mgr.h"
#include "core/config.h"
#include "core/frame_hooks.h"
#include "data/data_table.h"
#include "data/pack_archive.h"
#include "data/text_tables.h"
#include "platform/codepage.h"

CAsyncFileMgr* g_pAsyncFileMgr = nullptr;

namespace {

// Runs the file jobs at the end of every frame.
class CFileJobPump : public IFrameClient {
public:
    void OnFrame() override {
        if (g_pAsyncFileMgr) g_pAsyncFileMgr->Update();
    }
};
CFileJobPump g_fileJobPump;

}  // namespace

bool CreateFileJobMgr() {
    if (!g_pAsyncFileMgr) g_pAsyncFileMgr = new CAsyncFileMgr;
    SetFileJobFrameClient(&g_fileJobPump);
    return true;
}

void DestroyFileJobMgr() {
    if (GetFileJobFrameClient() == &g_fileJobPump) SetFileJobFrameClient(nullptr);
    delete g_pAsyncFileMgr;
    g_pAsyncFileMgr = nullptr;
}

bool CreatePackArchive() {
    g_bUsePackFile = g_config.m_usePack;
    g_bUseCompressedFiles = g_config.m_useCompressedFiles;
    SetDatabaseFolder(g_config.m_folders[FOLDER_DATABASE]);
    if (!g_pPackFile) g_pPackFile = new CPackFile;
    std::string path = g_config.m_folders[FOLDER_PACK] + "/QuillMarrow.DAT";
    g_pPackFile->OpenPack(path.c_str());  // the result is not checked: loose files still serve
    return true;
}

void DestroyPackArchive() {
    delete g_pPackFile;
    g_pPackFile = nullptr;
}

bool CreateTextTables() {
    return LoadTextTables();
}

void DestroyTextTables() {
    ReleaseTextTables();
}

bool FillTextBuffers() {
    constexpr int kFirstRow = 14;
    for (size_t i = 0; i < std::size(g_textBuffers); ++i) {
        char* buffer = g_textBuffers[i];
        const char* text = GetTableText(0, kFirstRow + int(i));
        const size_t length = plat::DbcsPrefixLength(text, sizeof g_textBuffers[i] - 1);
        std::memcpy(buffer, text, length);
        std::memset(buffer + length, 0, sizeof g_textBuffers[i] - length);
    }
    return true;
}
