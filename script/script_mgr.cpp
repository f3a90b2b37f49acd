#include "script/script_mgr.h"

#include <algorithm>
#include <cstring>

#include "anim/ani_play_mgr.h"
#include "core/error_box.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "script/script.h"
#include "script/script_runner.h"

CScriptMgr* g_pScriptMgr = nullptr;

namespace {

// The text table of the load error (row 0).
constexpr int kLoadErrorTable = 23;

}  // namespace

CScriptMgr::CScriptMgr() = default;

CScriptMgr::~CScriptMgr() {
    m_runners.clear();
    m_released.clear();
    m_scripts.clear();
    if (g_pScriptMgr == this) g_pScriptMgr = nullptr;
}

bool CScriptMgr::Init() {
    m_state = 0;
    return true;
}

bool CScriptMgr::Release() {
    for (size_t i = m_runners.size(); i-- > 0;) {
        if (!m_runners[i]->IsHeld()) {
            DeleteRunner(m_runners, i);
            continue;
        }
        m_runners[i]->Halt();
        m_released.push_back(std::move(m_runners[i]));
        m_runners.erase(m_runners.begin() + std::ptrdiff_t(i));
    }
    m_scripts.clear();
    return CObjectMgr::Release();
}

CScript* CScriptMgr::LoadScript(const char* name) {
    const char* wanted = name ? name : "";
    for (const std::shared_ptr<CScript>& s : m_scripts)
        if (s->GetName() == wanted) return s.get();
    auto script = std::make_shared<CScript>();
    if (!script->Load(wanted)) {
        ReportError("%s[%s]", FormatTableText(GetTableText(kLoadErrorTable, 0), {wanted}).c_str(), wanted);
        return nullptr;
    }
    m_scripts.push_back(std::move(script));
    return m_scripts.back().get();
}

CScriptRunner* CScriptMgr::StartScript(const char* name) {
    CScript* script = LoadScript(name);
    if (!script) return nullptr;
    const bool running = std::any_of(m_runners.begin(), m_runners.end(), [&](const auto& r) {
        return r->GetScript()->GetName() == script->GetName();
    });
    if (running && !script->IsReentrant()) return nullptr;
    std::shared_ptr<CScript> shared;
    for (const std::shared_ptr<CScript>& s : m_scripts)
        if (s.get() == script) shared = s;
    auto runner = std::make_unique<CScriptRunner>();
    runner->Bind(shared);
    runner->Start();
    m_runners.push_back(std::move(runner));
    return m_runners.back().get();
}

void CScriptMgr::DeleteRunner(std::vector<std::unique_ptr<CScriptRunner>>& list, size_t index) {
    std::unique_ptr<CScriptRunner> runner = std::move(list[index]);
    list.erase(list.begin() + std::ptrdiff_t(index));
    if (g_pAniPlayMgr) g_pAniPlayMgr->ClearUserValues(runner->GetSerial());
}

bool CScriptMgr::StopScript(CScriptRunner* runner, bool deleteObjects) {
    for (auto* list : {&m_runners, &m_released}) {
        auto it = std::find_if(list->begin(), list->end(), [&](const auto& r) { return r.get() == runner; });
        if (it == list->end()) continue;
        if (deleteObjects && g_pAniPlayMgr) g_pAniPlayMgr->RemoveByUserValue(runner->GetSerial());
        DeleteRunner(*list, size_t(it - list->begin()));
        break;
    }
    return true;
}

void CScriptMgr::Update() {
    for (size_t i = 0; i < m_runners.size();) {
        CScriptRunner* runner = m_runners[i].get();
        runner->Update();
        // A finished runner of such a script goes, unless an owner holds it.
        if (!runner->IsRunning() && runner->GetScript()->RemovesWhenFinished() && !runner->IsHeld()) {
            DeleteRunner(m_runners, i);
            continue;
        }
        ++i;
    }
}

void CScriptMgr::Draw() {
    for (const std::unique_ptr<CScriptRunner>& r : m_runners) r->Draw();
}

CScriptRunner* CScriptMgr::FindRunner(const ISkillScriptRunner* runner) const {
    if (!runner) return nullptr;
    for (const auto* list : {&m_runners, &m_released})
        for (const std::unique_ptr<CScriptRunner>& r : *list)
            if (static_cast<const ISkillScriptRunner*>(r.get()) == runner) return r.get();
    return nullptr;
}

bool CScriptMgr::IsEnded(const ISkillScriptRunner* runner) const {
    for (const std::unique_ptr<CScriptRunner>& r : m_runners)
        if (static_cast<const ISkillScriptRunner*>(r.get()) == runner) return !r->IsRunning();
    return true;
}
