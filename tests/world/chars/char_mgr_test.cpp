#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "core/config.h"
#include "core/input_mgr.h"
#include "data/game_hooks.h"
#include "data/text_tables.h"
#include "tests/support/temp_dir.h"
#include "tests/world/chars/char_fixture.h"
#include "tests/world/flood_check.h"

using namespace chartest;

namespace {

// A drawn box of w x h whose anchor is its bottom centre.
class CharMgrTest : public CharFixture {};

TEST_F(CharMgrTest, StatusBitsAndBadIds) {
    struct Case {
        int32_t id;
        int word;
        uint32_t bit;
    };
    for (const Case& c : {Case{1, 0, 1u}, Case{32, 0, 1u << 31}, Case{33, 1, 1u}, Case{128, 3, 1u << 31}}) {
        SCOPED_TRACE(c.id);
        uint32_t words[4] = {};
        words[c.word] = c.bit;
        EXPECT_TRUE(CCharMgr::CheckCharStatus(words, c.id));
        words[c.word] = ~c.bit;
        EXPECT_FALSE(CCharMgr::CheckCharStatus(words, c.id));
    }
    const uint32_t all[4] = {~0u, ~0u, ~0u, ~0u};
    for (int32_t id : {0, 129, -1}) {
        const size_t before = BoxTexts().size();
        EXPECT_FALSE(CheckCharStatus(all, id));
        ASSERT_EQ(BoxTexts().size(), before + 1);
        EXPECT_EQ(BoxTexts().back(), "CCharMgr::CheckCharStatus, Status ID Error : " + std::to_string(id));
    }
}

TEST_F(CharMgrTest, Statuses103And104ReplaceTheFirstEffect) {
    CChar* c = Make(CHAR_KIND_MONSTER, 50);
    ASSERT_TRUE(c);
    uint32_t words[4] = {0, 0, 0, (1u << 6) | (1u << 7)};  // 103 and 104
    m_mgr->ApplyStatusChange(words, c, 0);
    FakeEffectList* list = Effects(c);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->effects.at({254, 0}), (std::vector<int32_t>{2, 4448, 0, 2}));
    EXPECT_EQ(list->effects.at({255, 0}), (std::vector<int32_t>{1, 4448, 1, 2}));
    EXPECT_EQ(list->log,
              (std::vector<std::string>{"add 255 4120", "add 254 4448", "remove 255", "add 255 4448"}));
    const uint32_t none[4] = {};
    m_mgr->ApplyStatusChange(none, c, 0);
    EXPECT_TRUE(list->effects.empty());
}

TEST_F(CharMgrTest, Status49StartsAndEndsTheDeath) {
    CChar* player = MakePlayer();
    ASSERT_TRUE(player);
    CCharData* data = player->GetData();
    // Never had it: nothing happens for status 49.
    const uint32_t none[4] = {};
    m_mgr->ApplyStatusChange(none, player, 0);
    EXPECT_EQ(player->m_fadeOn, 0);
    uint32_t dead[4] = {0, 1u << 16, 0, 0};  // status 49
    m_mgr->ApplyStatusChange(dead, player, 30);
    std::copy(dead, dead + 4, data->m_status);
    EXPECT_EQ(player->m_fadeOn, 1);
    EXPECT_EQ(player->GetFadeSeconds(), 30);
    EXPECT_EQ(data->m_motion, MOTION_DEAD);
    m_mgr->ApplyStatusChange(none, player, 0);
    EXPECT_EQ(player->m_fadeOn, 0);
    EXPECT_EQ(data->m_motion, data->m_restMotion);
}

TEST_F(CharMgrTest, AFullTableShowsOneBoxAndMakesNothing) {
    // Fill the slots without building 10,000 characters: one character in
    // every slot is what the search sees.
    CChar* first = Make(CHAR_KIND_MONSTER, 1);
    ASSERT_TRUE(first);
    for (int32_t s = 1; s < CHAR_SLOT_COUNT; ++s)
        ASSERT_TRUE(Make(CHAR_KIND_MONSTER, uint32_t(s + 1), 0, s)) << s;
    const int32_t children = m_mgr->ChildCount();
    const size_t boxes = BoxTexts().size();
    EXPECT_EQ(Make(CHAR_KIND_MONSTER, 99999), nullptr);
    ASSERT_EQ(BoxTexts().size(), boxes + 1) << ::testing::PrintToString(BoxTexts());
    EXPECT_EQ(m_ani.Boxes().back().text, GetTableText(1, 4));
    EXPECT_EQ(m_ani.Boxes().back().caption, GetTableText(1, 5));
    EXPECT_EQ(m_mgr->ChildCount(), children);
}

TEST_F(CharMgrTest, BadSlotsFailedSetupAndBadKindsLeaveTheSlotFree) {
    ASSERT_TRUE(Make(CHAR_KIND_MONSTER, 1, 0, 3));
    EXPECT_EQ(Make(CHAR_KIND_MONSTER, 2, 0, 3), nullptr);      // taken
    EXPECT_EQ(Make(CHAR_KIND_MONSTER, 2, 0, 10000), nullptr);  // outside
    EXPECT_EQ(Make(CHAR_KIND_MONSTER, 2, 0, -5), nullptr);
    EXPECT_EQ(m_mgr->CreateChar(kMonsterRes, 2, 4, 5, int32_t(kCharAni)), nullptr);  // kind 4
    EXPECT_EQ(m_mgr->GetCharInSlot(5), nullptr);
    // An animation that cannot be built fails Setup: no character, slot free.
    EXPECT_EQ(m_mgr->CreateChar(kMonsterRes, 2, CHAR_KIND_MONSTER, 5, 777), nullptr);
    EXPECT_EQ(m_mgr->GetCharInSlot(5), nullptr);
    EXPECT_EQ(m_mgr->ChildCount(), 1);
    CChar* next = Make(CHAR_KIND_MONSTER, 2);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->m_slot, 0u);  // the lowest free slot
}

TEST_F(CharMgrTest, LookupsByIdName) {
    CChar* older = Make(CHAR_KIND_MONSTER, 7);
    CChar* newer = Make(CHAR_KIND_MONSTER, 7);
    ASSERT_TRUE(older && newer);
    EXPECT_EQ(m_mgr->FindChar(nullptr, 7), newer);  // newest first
    EXPECT_EQ(m_mgr->GetChar(7), newer);
    // A detached character still in the list is no longer found by GetChar.
    CChar* lone = Make(CHAR_KIND_MONSTER, 8);
    const uint32_t slot = lone->m_slot;
    m_mgr->CCharMgr::DetachChild(lone);
    EXPECT_EQ(m_mgr->GetCharInSlot(int32_t(slot)), nullptr);
    EXPECT_EQ(m_mgr->GetChar(8), nullptr);
    delete lone;
    CChar::CopyText(newer->m_info, "Slime");
    EXPECT_EQ(m_mgr->FindCharByName("Slime"), newer);
    EXPECT_EQ(m_mgr->FindCharByName("Slime", CHAR_KIND_NPC), nullptr);
    EXPECT_EQ(m_mgr->FindCharByName("Me"), nullptr);
    CChar* player = MakePlayer();
    EXPECT_EQ(m_mgr->FindCharByName("Me", CHAR_KIND_PLAYER), player);
}

TEST_F(CharMgrTest, TypeIndexes) {
    EXPECT_EQ(GetCharTypeIndex(2000015), 1);
    EXPECT_EQ(GetCharTypeIndex(2000014), 0);
    EXPECT_EQ(GetCharTypeIndex(1999999), -1);
    EXPECT_EQ(GetTableDword(nullptr, 0, 0), 0u);
    EXPECT_EQ(GetTableDword(&m_mgr->SoundTable(), 74, 2), 33u);
    EXPECT_EQ(GetTableDword(&m_mgr->SoundTable(), 74, 3), 0u);
}

TEST_F(CharMgrTest, RemovalAfterTheDyingMotion) {
    CChar* player = MakePlayer();
    CChar* monster = Make(CHAR_KIND_MONSTER, 60);
    ASSERT_TRUE(player && monster);
    m_mgr->RemoveCharLater(60);
    m_mgr->RemoveCharLater(player->GetCharId());
    EXPECT_EQ(monster->m_beingRemoved, 1);
    EXPECT_EQ(monster->GetData()->m_motion, MOTION_DEAD);
    EXPECT_EQ(m_mgr->RemovalQueueSize(), 2u);
    // Still dying: both wait and stay findable.
    monster->GetAniObject()->m_stopped = 0;
    player->GetAniObject()->m_stopped = 0;
    m_mgr->ProcessRemovals();
    EXPECT_EQ(m_mgr->GetChar(60), monster);
    monster->GetAniObject()->m_stopped = 1;
    player->GetAniObject()->m_stopped = 1;
    m_mgr->ProcessRemovals();
    EXPECT_EQ(m_mgr->GetChar(60), nullptr);
    EXPECT_EQ(m_mgr->GetPlayer(), player);  // the player is never deleted by the queue
    EXPECT_TRUE(m_mgr->IsPlayerRemovalRequested());
    EXPECT_EQ(m_mgr->RemovalQueueSize(), 0u);
    // Absent ids go at once.
    m_mgr->RemoveCharLater(12345);
    EXPECT_EQ(m_mgr->RemovalQueueSize(), 0u);
}

TEST_F(CharMgrTest, PickingTheCharacterUnderThePoint) {
    CChar* player = MakePlayer();
    CChar* a = Make(CHAR_KIND_MONSTER, 20);
    CChar* b = Make(CHAR_KIND_MONSTER, 21);
    CChar* pet = Make(CHAR_KIND_PET, 22, CHAR_MONSTER_BASE + 653);
    CChar* dead = Make(CHAR_KIND_MONSTER, 23);
    ASSERT_TRUE(player && a && b && pet && dead);
    // Each sprite a 30 x 40 box standing on its screen point.
    auto place = [](CChar* c, int32_t x, int32_t y) {
        c->GetAniObject()->SetDrawable(new Box(30, 40));
        c->GetAniObject()->SetScreenPosition(x, y, 0);
    };
    place(player, 500, 500);
    place(a, 100, 100);
    place(b, 100, 110);  // overlaps a and stands lower
    place(pet, 300, 300);
    place(dead, 400, 400);
    dead->GetData()->m_motion = MOTION_DEAD;
    struct Case {
        int32_t x, y;
        bool includePlayer;
        CChar* expected;
    };
    for (const Case& c : {Case{100, 90, false, b}, Case{100, 65, false, a}, Case{115, 90, false, nullptr},
                          Case{400, 380, false, nullptr}, Case{500, 480, false, nullptr},
                          Case{500, 480, true, player}, Case{300, 280, false, pet}}) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(m_mgr->PickCharAt(c.x, c.y, false, nullptr, c.includePlayer), c.expected);
    }
    place(b, 100, 100);  // equal y: the earlier in the list (the newer) stays
    EXPECT_EQ(m_mgr->PickCharAt(100, 90, false, nullptr, false), b);
    g_options.SetByte(OPT_AMBIENT_SOUNDS, 1);  // the sound tab's switch leaves pets alone
    EXPECT_EQ(m_mgr->PickCharAt(300, 280, false, nullptr, false), pet);
    g_options.SetByte(OPT_AMBIENT_SOUNDS, 0);
    g_options.SetByte(OPT_HIDE_PETS, 1);
    EXPECT_EQ(m_mgr->PickCharAt(300, 280, false, nullptr, false), nullptr);
    g_options.SetByte(OPT_HIDE_PETS, 0);
    m_events.visualEvent = true;
    EXPECT_EQ(m_mgr->PickCharAt(100, 90, false, nullptr, false), nullptr);
    m_events.visualEvent = false;

    // Target snapping widens a narrow sprite the player may attack by 20 on
    // each side and moves the mouse onto it.
    struct Attackable : IGameWorldHooks {
        bool CanAttack(CChar*, CChar*) override { return true; }
    } attackable;
    ScopedGameWorldHooks hooks(attackable);
    CInputMgr input;
    g_pInputMgr = &input;
    g_options.SetByte(OPT_TARGET_SNAP, 1);
    float distance = 1000.0f;
    EXPECT_EQ(m_mgr->PickCharAt(300 - 15 - 19, 280, true, &distance, false), pet);
    EXPECT_EQ(input.m_mouseX, 300);
    EXPECT_EQ(input.m_mouseY, 300 - 80 / 2) << "half the animation's top extent up";
    EXPECT_EQ(m_mgr->PickCharAt(300 - 15 - 21, 280, true, &distance, false), nullptr);
    g_options.SetByte(OPT_TARGET_SNAP, 0);
    g_pInputMgr = nullptr;
}

TEST_F(CharMgrTest, RemovingAllButThePlayerKeepsItsMessages) {
    CChar* player = MakePlayer(1);
    ASSERT_TRUE(Make(CHAR_KIND_MONSTER, 30));
    auto own = std::make_unique<CCharCreateMsg>();
    own->m_ownFlag = 1;
    m_mgr->PostRecord(std::move(own), 0);
    m_mgr->PostRecord(std::make_unique<CCharCreateMsg>(), 0);  // another player's
    m_mgr->PostRecord(std::make_unique<CCharAppearMsg>(), 0);
    m_mgr->PostRecord(std::make_unique<CCharMoveOrder>(), 0);
    m_mgr->PostRecord(std::make_unique<CCharTimerMsg>(), 0);
    m_mgr->RemoveAllButPlayer();
    EXPECT_EQ(m_mgr->ChildCount(), 1);
    EXPECT_EQ(m_mgr->GetPlayer(), player);
    EXPECT_EQ(m_mgr->GetChar(30), nullptr);
    std::vector<uint32_t> left;
    CNodeList& queue = m_mgr->GetMsgQueue()->Queue().Messages();
    for (CListNode* n = queue.First(); n != queue.End(); n = n->Next())
        left.push_back(static_cast<CMsg*>(n)->m_eventId);
    EXPECT_EQ(left, (std::vector<uint32_t>{MSG_CHAR_CREATE, MSG_CHAR_TIMER}));
    m_mgr->RemoveAllChars(false);
    EXPECT_EQ(m_mgr->GetPlayer(), nullptr);
    EXPECT_FALSE(m_mgr->AreCharsReady());
    EXPECT_EQ(m_mgr->GetMsgQueue()->GetMessageCount(), 0);
}

TEST_F(CharMgrTest, SpeedsComeFromTheConfiguration) {
    char previous[4096];
    ASSERT_TRUE(getcwd(previous, sizeof previous));
    qmtest::TempDir dir;
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    {
        CCharMgr withoutFile;
        EXPECT_FLOAT_EQ(g_runVelocity, DEFAULT_RUN_VELOCITY);
        EXPECT_FLOAT_EQ(g_walkVelocity, DEFAULT_WALK_VELOCITY);
    }
    dir.WriteFile("Cardane.INI", "SCREEN_WIDTH 800\nRUN_VELOCITY 0.02\nWALK_VELOCITY 0.004\n");
    {
        CCharMgr withFile;
        EXPECT_FLOAT_EQ(g_runVelocity, 0.02f);
        EXPECT_FLOAT_EQ(g_walkVelocity, 0.004f);
        // New characters take them.
        g_pCharMgr = &withFile;
        CChar* c = withFile.CreateChar(kMonsterRes, 1, CHAR_KIND_MONSTER, -1, int32_t(kCharAni));
        ASSERT_TRUE(c);
        EXPECT_FLOAT_EQ(c->GetData()->m_runSpeed, 0.02f);
        EXPECT_FLOAT_EQ(c->GetData()->m_walkSpeed, 0.004f);
        g_pCharMgr = m_mgr.get();
    }
    ASSERT_EQ(chdir(previous), 0);
    g_runVelocity = DEFAULT_RUN_VELOCITY;
    g_walkVelocity = DEFAULT_WALK_VELOCITY;
}

TEST_F(CharMgrTest, TableSoundsAreColumn74) {
    m_mgr->PlayTableSound(1);
    m_mgr->PlayTableSound(9);
    EXPECT_EQ(m_sound.effects, (std::vector<uint32_t>{22, 0}));
    EXPECT_EQ(m_sound.loopCounts, (std::vector<int32_t>{1, 1}));  // played once, not looped
}

TEST_F(CharMgrTest, TheDefaultOptionsHideNoPetAndSilenceNoTableSound) {
    const COptions saved = g_options;
    InitDefaultOptions();
    ASSERT_TRUE(MakePlayer());
    CChar* pet = Make(CHAR_KIND_PET, 30, CHAR_MONSTER_BASE + 653);
    ASSERT_TRUE(pet);
    pet->GetAniObject()->SetDrawable(new Box(30, 40));
    pet->GetAniObject()->SetScreenPosition(300, 300, 0);
    EXPECT_EQ(m_mgr->PickCharAt(300, 280, false, nullptr, false), pet);
    m_mgr->PlayTableSound(0);
    EXPECT_EQ(m_sound.effects, (std::vector<uint32_t>{11}));
    g_options = saved;
}

TEST_F(CharMgrTest, GameOverPlaysItsMusicByName) {
    CChar* player = Make(CHAR_KIND_PLAYER, 1);
    ASSERT_TRUE(player);
    m_mgr->SetPlayerChar(player);
    m_mgr->OnGameOver();
    EXPECT_EQ(m_sound.music, (std::vector<std::string>{"GAMEOVER_BGM"}));
    EXPECT_EQ(player->GetData()->m_motion, MOTION_DEAD);
}

TEST_F(CharMgrTest, TheDisplayDrawsTheShownStatusObjectsOfTheCharactersItShows) {
    struct Counted : CCharStatusObject {
        explicit Counted(int* draws) : CCharStatusObject(1), m_draws(draws) {}
        bool Draw() override {
            ++*m_draws;
            return true;
        }
        int* m_draws;
    };
    CChar* monster = Make(CHAR_KIND_MONSTER, 50);
    CChar* pet = Make(CHAR_KIND_PET, 51);
    ASSERT_TRUE(monster && pet);
    int monsterDraws = 0, petDraws = 0;
    ASSERT_TRUE(monster->GetData()->AttachStatusObject(0, std::make_unique<Counted>(&monsterDraws)));
    ASSERT_TRUE(monster->GetData()->AttachStatusObject(0, std::make_unique<Counted>(&monsterDraws)));
    ASSERT_TRUE(pet->GetData()->AttachStatusObject(3, std::make_unique<Counted>(&petDraws)));
    m_mgr->RefreshCharDisplay();
    EXPECT_EQ(monsterDraws, 1);  // only the shown one of its list
    EXPECT_EQ(petDraws, 1);
    g_options.SetByte(OPT_HIDE_PETS, 1);
    m_mgr->RefreshCharDisplay();
    EXPECT_EQ(monsterDraws, 2);
    EXPECT_EQ(petDraws, 1);  // a hidden pet draws nothing of its own
    g_options.SetByte(OPT_HIDE_PETS, 0);
}

}  // namespace

// The server cannot make the party list or the manager's queue (not worked
// through before the player's character exists) keep more than their
// limits: what passes them is dropped, the first drop of each kind is written
// once to the console, and the memory stops growing.
TEST_F(CharMgrTest, PartyAndQueueFloodsStopAtTheirLimits) {
    ASSERT_EQ(m_mgr->GetPlayer(), nullptr);
    CTeam team;
    const worldtest::Flood floods[] = {
        {"party members", MAX_PARTY_MEMBERS,
         [&](uint32_t n) {
             CPartyMember member;
             std::snprintf(member.m_name, sizeof member.m_name, "Member%u", n);
             team.AddOrUpdateMember(member);
         },
         [&] { return team.Count(); }},
        {"records waiting for the character manager", MAX_QUEUED_RECORDS,
         [&](uint32_t n) {
             auto record = std::make_unique<CCharTimerMsg>();
             record->m_a = n;
             m_mgr->PostRecord(std::move(record), 0);
         },
         [&] { return size_t(m_mgr->GetMsgQueue()->GetMessageCount()); }},
    };
    for (const worldtest::Flood& f : floods) worldtest::ExpectFloodStopsAtLimit(f);
    // A member already listed is still updated at the limit.
    CPartyMember first;
    std::snprintf(first.m_name, sizeof first.m_name, "Member1");
    first.m_level = 9;
    team.AddOrUpdateMember(first);
    EXPECT_EQ(team.Count(), MAX_PARTY_MEMBERS);
    m_mgr->GetMsgQueue()->Queue().Clear();
}
