// The single manager of running skill and visual effects: it owns them, makes
// new ones by effect id through the factory, runs and draws them once a
// frame, deletes them when their owner removes them or when they queue
// themselves for removal, and clears them all when the map changes or the
// field is left. It serves the skill uses and the casts of the characters.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "effects/base/effect_player.h"

class CChar;
class CSkillAction;

// Effect ids run from 1 to this.
inline constexpr uint32_t MAX_EFFECT_PLAYER_ID = 178;
// Ids that make no effect and report nothing.
inline constexpr uint32_t NO_EFFECT_ID = 0;
inline constexpr uint32_t UNUSED_EFFECT_ID = 110;

// The factory: one row per effect id, each filled by its family's
// registration function with the maker of its class. A row left empty makes
// no effect (the skill then takes its script).
class CEffectFactory {
public:
    using Maker = std::unique_ptr<CEffectPlayer> (*)();
    static constexpr uint32_t ROW_COUNT = MAX_EFFECT_PLAYER_ID + 1;

    // Fills a row; false for an id outside the table.
    bool Set(uint32_t id, Maker maker);
    // A new effect of the row's class, or null for an empty row.
    std::unique_ptr<CEffectPlayer> Make(uint32_t id) const;
    bool HasRow(uint32_t id) const { return id < ROW_COUNT && m_rows[id] != nullptr; }

    template <class T>
    static std::unique_ptr<CEffectPlayer> MakeOf() {
        return std::make_unique<T>();
    }

private:
    Maker m_rows[ROW_COUNT] = {};
};

// Fills the factory with every family's rows (effects/classes/effect_families.cpp).
void RegisterEffectFamilies(CEffectFactory& factory);

class CEffectPlayerMgr : public ISkillEffects {
public:
    CEffectPlayerMgr();
    ~CEffectPlayerMgr() override;
    CEffectPlayerMgr(const CEffectPlayerMgr&) = delete;
    CEffectPlayerMgr& operator=(const CEffectPlayerMgr&) = delete;

    // A new effect of the id for the caster, appended, not started; null for
    // no caster, ids 0 and 110, an empty row, or an id above 178 (reported).
    CEffectPlayer* StartNewEffect(uint32_t effectId, CChar* caster);
    // The effect of the use's skill for its caster, holding the use.
    CEffectPlayer* StartEffectForSkill(CSkillAction* action);
    // Deletes what the pending-removal list holds, then runs every effect
    // from the oldest on. An effect waits unstarted while its skill use
    // holds no hits yet.
    bool ProcessAll();
    bool DrawAll();
    // Unlinks and deletes the effect (also from the pending list); false when
    // it is not one of the manager's.
    bool RemoveEffect(CEffectPlayer* effect);
    // Deleted at the start of the next ProcessAll.
    bool QueueRemoval(CEffectPlayer* effect);
    bool Contains(const CEffectPlayer* effect) const;
    bool ClearAll();
    size_t GetCount() const;
    // The running effects, oldest first.
    std::vector<CEffectPlayer*> Effects() const;
    CEffectFactory& Factory() { return m_factory; }

    // ISkillEffects.
    ISkillEffect* StartEffectForSkill(CSkillUse* use) override;
    ISkillEffect* StartCastEffect(uint32_t effectId, CChar* caster) override;
    bool IsRunning(ISkillEffect* effect) override;
    void RemoveEffect(ISkillEffect* effect) override;

private:
    CEffectPlayer* Find(const ISkillEffect* effect) const;
    // Deletes what was removed during a walk.
    void Sweep();

    CEffectFactory m_factory;
    // Oldest first; null where one was removed during a walk.
    std::vector<std::unique_ptr<CEffectPlayer>> m_running;
    std::vector<CEffectPlayer*> m_pending;
    std::vector<std::unique_ptr<CEffectPlayer>> m_doomed;
    int m_walking = 0;
};

extern CEffectPlayerMgr* g_pEffectPlayerMgr;
