// COfflineScene: runs the world locally, without a server, to play one
// visual event with a local character, and goes back to the title when the
// event ends or on Escape. Server mode is off while it runs.
#pragma once
#include <cstdint>

#include "core/base_object.h"
#include "scenes/scene.h"

class CBaseWindow;

inline constexpr uint32_t OFFLINE_EVENT_FILE = 379;
inline constexpr char OFFLINE_CHAR_NAME[] = "QuillMarrow";
// The first frame's elapsed time.
inline constexpr uint32_t FIRST_FRAME_MS = 20;

class COfflineScene : public CScene {
public:
    COfflineScene();
    ~COfflineScene() override;

    bool Create() override;
    bool Release() override;
    bool Update() override;
    bool Draw() override;
    bool ProcessInput() override;

    CBaseWindow* GetEventSelectionWindow() const;

private:
    void AddLocalCharacter();
    void RunWorldFrame();

    uint8_t m_savedByte = 0;
    bool m_forced = false;
    bool m_started = false;
    bool m_savedServerMode = false;
    uint32_t m_lastFrame = 0;
    CWeakRef m_selection;
};

// The player resource id of the local character: the base plus CHAR_NUM, or
// the base alone when the player table has no such row.
uint32_t LocalCharResourceId();
