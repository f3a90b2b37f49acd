// CScriptMgr: the one owner of the loaded scripts and of every runner.
// Skill actions (and characters) start a script by name and stop it when
// they go; the game scene updates and draws the manager once a frame and
// releases it when the game is left. A loaded script stays until the
// manager is released; a finished runner stays listed until its owner stops
// it, or, when its script asks to be removed once finished and no owner holds
// it, until the next update.
//
// A runner an owner holds is deleted only by the owner's StopScript: the
// manager's Release stops it and keeps it, unlisted, for that call.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "core/object_mgr.h"

class CScript;
class CScriptRunner;
class ISkillScriptRunner;

class CScriptMgr : public CObjectMgr {
public:
    CScriptMgr();
    ~CScriptMgr() override;

    // Clears the state word.
    bool Init();
    // Deletes every runner no owner holds and every loaded script; held
    // runners stop and wait, unlisted, for their owner's StopScript.
    bool Release() override;

    // The loaded script of the name (byte for byte), else loaded now; null
    // with the error box when it cannot be.
    CScript* LoadScript(const char* name);
    // A new runner of the script, started and listed; null when the script
    // does not load, or when it is not re-entrant and a runner of it is
    // listed (also a finished one). A script without an entry function gives
    // a runner that never runs.
    CScriptRunner* StartScript(const char* name);
    // The runner's play entries are removed and deleted (deleteObjects), or
    // only lose it and go on alone; then the runner is unlisted and deleted.
    // Nothing for a runner the manager does not hold. True.
    bool StopScript(CScriptRunner* runner, bool deleteObjects);
    // One frame of every listed runner, in the order they were started.
    void Update();
    void Draw();

    // The runner as the manager holds it (listed or released), found by the
    // owner's pointer without reading through it; null when it has none.
    CScriptRunner* FindRunner(const ISkillScriptRunner* runner) const;
    // Finished, or no longer listed.
    bool IsEnded(const ISkillScriptRunner* runner) const;

    const std::vector<std::unique_ptr<CScriptRunner>>& Runners() const { return m_runners; }
    size_t LoadedCount() const { return m_scripts.size(); }
    uint32_t GetState() const { return m_state; }

private:
    // Unlinks the runner at the index of the list and deletes it; its entries
    // lose it.
    void DeleteRunner(std::vector<std::unique_ptr<CScriptRunner>>& list, size_t index);

    uint32_t m_state = 0;
    std::vector<std::unique_ptr<CScriptRunner>> m_runners;   // in the order started
    std::vector<std::unique_ptr<CScriptRunner>> m_released;  // held by owners past a release
    std::vector<std::shared_ptr<CScript>> m_scripts;         // in the order loaded
};

extern CScriptMgr* g_pScriptMgr;
