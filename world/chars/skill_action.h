// One use of a skill by a character: the skill's effect (or its script)
// runs for the skill's time, then the use ends on the caster and the targets
// the server reported as finished go after their dying motion. The running
// use is a child of the skill manager (which finds it by caster and target);
// as an icon it can be dragged onto the quick-slot window.
#pragma once
#include <cstdint>
#include <memory>

#include "core/base_object.h"
#include "data/skill_table_mgr.h"
#include "platform/seam.h"

class CChar;
class CSkillActionMsg;
class CSkillHitMsg;
class CSkillAction;

// ---- What a skill use runs: the effects and the scripts ----

// A running effect of the effect manager; owned by it. Its holders keep a
// weak reference: a deleted effect reads as gone, and a later effect made at
// the same address never passes for it.
class ISkillEffect : public CRefTarget {
public:
    virtual ~ISkillEffect() = default;
    virtual bool IsFinished() = 0;
    // A cast effect's phases: from the start of the cast, and to its end.
    virtual void ResetPhase() {}
    virtual void NextPhase() {}
};

class ISkillEffects {
public:
    virtual ~ISkillEffects() = default;
    // The skill's effect for the use (its skill and caster), or null when
    // the skill has none. It waits unstarted until the use holds its hits.
    virtual ISkillEffect* StartEffectForSkill(CSkillUse* use) = 0;
    // The cast effect of the id for the caster, its phase reset; null for
    // none.
    virtual ISkillEffect* StartCastEffect(uint32_t effectId, CChar* caster) = 0;
    // Whether the effect is still one of the manager's.
    virtual bool IsRunning(ISkillEffect* effect) = 0;
    virtual void RemoveEffect(ISkillEffect* effect) = 0;
};

void SetSkillEffects(ISkillEffects* effects);
ISkillEffects* GetSkillEffects();
using ScopedSkillEffects = plat::ScopedInstall<GetSkillEffects, SetSkillEffects>;

// A running script of the script manager; owned by it. The skill action only
// names it to the manager, which answers for it (also once it has gone).
class ISkillScriptRunner {
public:
    virtual ~ISkillScriptRunner() = default;
};

class ISkillScripts {
public:
    virtual ~ISkillScripts() = default;
    // Starts the named script with its natives, owned by the skill action;
    // null when it cannot.
    virtual ISkillScriptRunner* StartScript(const char* name, CSkillAction* owner) = 0;
    // The runner has finished, or the manager no longer runs it.
    virtual bool IsEnded(ISkillScriptRunner* runner) = 0;
    // Stops the runner (and deletes its animated objects).
    virtual void StopScript(ISkillScriptRunner* runner) = 0;
};

void SetSkillScripts(ISkillScripts* scripts);
ISkillScripts* GetSkillScripts();
using ScopedSkillScripts = plat::ScopedInstall<GetSkillScripts, SetSkillScripts>;

// The quick-slot window ("QuickSlotWindow") takes a dropped skill icon.
class ISkillIconTarget {
public:
    virtual ~ISkillIconTarget() = default;
    virtual void DropSkillIcon(CSkillAction* icon, int32_t mouseX, int32_t mouseY) = 0;
};

// ---- The skill use ----

// Hit timing: an attack's hit falls this long before the use ends.
inline constexpr uint32_t SKILL_HIT_LEAD_MS = 250;
inline constexpr char SKILL_NO_SCRIPT[] = "null";
// The skill table's column naming a skill's script.
inline constexpr int SKILL_COL_SCRIPT = SKILL_COL_TEXT_46;

class CSkillAction : public CSkillUse {
public:
    CSkillAction();
    ~CSkillAction() override;

    // Clears the run: finished, no caster (id -1).
    bool Create() override;
    // Finishes a run.
    bool Release() override;
    // Each frame while running.
    bool Update() override;
    bool BeginDrag(uint32_t data) override;
    // On the quick-slot window (and without drag data) the window takes the
    // icon; anywhere else the icon goes: the skill manager deletes it with
    // its next update.
    bool EndDrag() override;
    bool DrawAtCursor() override;
    bool UpdateAtCursor() override;

    // Runs the use for the caster: the record's target, the skill's effect or
    // script; false (nothing runs) without a target or anything to run.
    bool Start(CChar* caster, const CSkillActionMsg& record);
    // Ends the run: the caster's use, the script and effect, the targets the
    // server marked hit go after their dying motion.
    void Finish();
    // Once per run: an attack with a follow target marks its hit 250 ms
    // before the end on the caster's data.
    void CheckHitTiming();
    // The caster still uses this skill (a gone or dead one is forgotten).
    bool IsCasterValid();
    // The server's report of the hits (kept when none is held yet): the
    // targets with their values and blocked flags.
    bool TakeHitRecord(std::unique_ptr<CSkillHitMsg> record);

    bool IsRunning() const { return m_running != 0; }
    bool IsFinished() const { return m_finished != 0; }
    CChar* Caster() const { return m_pCaster; }
    uint32_t CasterId() const { return m_casterId; }
    int32_t SkillRow() const { return m_skillRow; }
    // The skill an icon stands for (a quick slot's, a dragged one's).
    void SetSkillRow(int32_t row) { m_skillRow = row; }
    uint32_t StartTime() const { return m_startTime; }
    uint32_t Duration() const { return m_duration; }
    // The pause after the use (the caster's after-use delay).
    uint32_t DelayValue() const { return m_secondValue; }
    bool IsScriptMode() const { return m_scriptMode != 0; }
    // The hit record while the use holds one (the effects mark its entries).
    CSkillHitMsg* HitRecord() const { return m_pHitRecord.get(); }
    ISkillEffect* Effect() const { return m_effect.GetAs<ISkillEffect>(); }

private:
    void RemoveEffect();
    // The script has ended (also when the script manager has gone).
    bool ScriptEnded() const;
    void StopScript();
    void ReturnCasterToRest();

    int32_t m_skillRow = 0;
    CChar* m_pCaster = nullptr;
    uint32_t m_casterId = UINT32_MAX;
    std::unique_ptr<CSkillHitMsg> m_pHitRecord;
    uint8_t m_scriptMode = 0;
    ISkillScriptRunner* m_pScript = nullptr;
    CWeakRef m_effect;
    uint8_t m_running = 0;
    uint32_t m_startTime = 0;
    uint32_t m_duration = 0;
    uint32_t m_secondValue = 0;
    uint8_t m_hitTimingDone = 0;
    uint32_t m_dragData = 0;
};
