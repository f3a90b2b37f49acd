// The data layer's global objects, made and deleted by start-up in its fixed
// order: the file-job manager, the pack archive (opened from the pack folder)
// and the text tables.
#pragma once

class CAsyncFileMgr;

extern CAsyncFileMgr* g_pAsyncFileMgr;

bool CreateFileJobMgr();
void DestroyFileJobMgr();
// Makes the pack object and opens "<pack folder>/QuillMarrow.DAT"; a pack that
// does not open has shown its box and start-up goes on without it.
bool CreatePackArchive();
void DestroyPackArchive();
bool CreateTextTables();
void DestroyTextTables();
