// CMainMgr: the root object manager and the frame loop. Its children are the
// current scene and the mouse cursor; they are added and removed only through
// two 10-slot pending lists applied once per frame, removals first.
#pragma once
#include <cstdint>
#include <memory>

#include "core/object_mgr.h"

class CFrameTimer;

class CMainMgr : public CObjectMgr {
public:
    static constexpr int MAX_PENDING_CHILDREN = 10;
    static constexpr uint32_t DEFAULT_FRAME_RATE = 30;
    static constexpr uint32_t INACTIVE_SLEEP_MS = 50;

    CMainMgr();
    ~CMainMgr() override;

    bool Create() override;
    bool Release() override;
    // Type 0 makes a plain CBaseObject; other types nothing.
    CMsgObject* CreateObject(uint32_t type) override;
    // The base's, then the frame timer goes too.
    bool DeleteAllChildren() override;

    void SetFrameRate(uint32_t fps);

    // Schedules the object's addition. True when it is stored or already
    // pending; false when a different object of the same kind id is pending
    // or all slots are taken: the caller keeps (and deletes) the object.
    bool ScheduleAddChild(CBaseObject* object);
    // Schedules the removal (and deletion) of a child; true when stored or
    // already pending, false when all slots are taken.
    bool ScheduleRemoveChild(CBaseObject* object);
    void ApplyPendingChildren();

    void UpdateChildren();
    void DrawChildren();
    bool BeginFrame();
    void EndFrame();
    void RunFrame();
    // The program's loop: messages when there are any, else a frame; returns
    // when the program is to end.
    void PumpMessages();

    uint32_t GetFrameCounter() const { return m_frameCounter; }
    uint32_t GetTargetFrameRate() const { return m_targetFps; }
    float GetFrameRate() const { return m_fps; }
    bool IsInFrame() const { return m_inFrame != 0; }
    bool IsFrameDone() const { return m_frameDone != 0; }
    CFrameTimer* GetFrameTimer() const { return m_pFrameTimer.get(); }

private:
    // A false frame operation: removes the child (or ends the program).
    // Returns false when the walk must stop.
    bool RemoveFailedChild(CBaseObject* child, bool fromUpdate);

    uint32_t m_targetFps = DEFAULT_FRAME_RATE;
    float m_fps = 0.0f;
    std::unique_ptr<CFrameTimer> m_pFrameTimer;
    uint8_t m_inFrame = 0;
    uint8_t m_frameDone = 0;
    uint32_t m_frameCounter = 0;
    CBaseObject* m_pendingRemove[MAX_PENDING_CHILDREN] = {};
    CBaseObject* m_pendingAdd[MAX_PENDING_CHILDREN] = {};
};

extern CMainMgr* g_pMainMgr;
