// The data layer's global objects, made and deleted by start-up in its fixed
// order: the file-job manager, the pack archive (opened from the pack folder),
// the text tables and the text buffers copied from them.
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
// Copies rows 14 to 27 of text table 0 (the character class names) into the
// fourteen 64-byte buffers of the world and effect code, each cut between
// characters to fit with its terminating zero. True.
bool FillTextBuffers();
