// The character select window: the list it builds from the server's, paging
// and keys, entering the game, and the two ways of deleting a character.
#include "windows/play/char_select_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "anim/ani_mgr.h"
#include "anim/ani_object.h"
#include "anim/ani_object_hooks.h"
#include "core/app_state.h"
#include "core/config.h"
#include "data/char_resource_mgr.h"
#include "net/handlers/login_records.h"
#include "platform/keyboard.h"
#include "platform/paths.h"
#include "tests/anim/ani_test_util.h"
#include "tests/support/data_fixtures.h"
#include "tests/support/table_builder.h"
#include "tests/windows/play/play_fixture.h"
#include "ui/message_box.h"
#include "windows/play/email_edit_window.h"
#include "windows/play/play_windows.h"
#include "world/chars/char.h"

using playtest::PlayWindowTest;

namespace {

constexpr uint8_t kScanLeft = 0x4B, kScanRight = 0x4D;

std::map<int, std::vector<std::string>> SelectTexts() {
    std::vector<std::string> rows(40);
    rows[34] = "Deleting";
    rows[35] = "Choose a character";
    rows[36] = "Delete %s?";
    return {{14, rows}};
}

CCharListEntry Entry(const char* name, uint32_t id, uint8_t byte = 0) {
    CCharListEntry e;
    CopyRecordText(e.m_name, name);
    e.m_charId = id;
    e.m_value = CHAR_PLAYER_BASE;
    e.m_byte = byte;
    for (int32_t& item : e.m_optional) item = -1;
    return e;
}

// The window covers the screen as its picture does in the program.
class ScreenSelectWindow : public CCharSelectWindow {
public:
    bool UpdateRect() override {
        m_rect = WindowRect{0, 0, 799, 599};
        return true;
    }
};

class CharSelectTest : public PlayWindowTest {
protected:
    CharSelectTest() {
        Connect();
        m_window = m_driver.Add(new ScreenSelectWindow);
        for (int i = 0; i < CCharSelectWindow::kButtonCount; ++i)
            Face(m_window->GetButton(CCharSelectWindow::Button(i)));
    }
    // The list as the session keeps it for the window; taken next frame.
    void Load(const std::vector<CCharListEntry>& entries, const char* account = "account") {
        auto list = std::make_unique<CCharListMsg>();
        list->SetAccount(account);
        for (const CCharListEntry& e : entries) list->AddChar(e);
        GameSession().m_charList = std::move(list);
        m_driver.Frame();
    }
    void Load(int count) {
        std::vector<CCharListEntry> entries;
        for (int i = 0; i < count; ++i)
            entries.push_back(Entry(("c" + std::to_string(i)).c_str(), uint32_t(i)));
        Load(entries);
    }
    void Key(uint8_t vk) {
        const uint8_t scan = vk == plat::VK_LEFT     ? kScanLeft
                             : vk == plat::VK_RIGHT  ? kScanRight
                             : vk == plat::VK_RETURN ? playtest::kScanEnter
                                                     : playtest::kScanEscape;
        PlayWindowTest::Key(scan, vk, vk == plat::VK_LEFT || vk == plat::VK_RIGHT);
    }
    void ClickButton(CCharSelectWindow::Button which) {
        CButton* button = m_window->GetButton(which);
        m_driver.Click(0, button->GetX() + 5, button->GetY() + 5);
        m_driver.Frame();
    }
    void ClickSlot(int slot) {
        m_driver.Click(0, 131 + 183 * slot + 20, 180);
        m_driver.Frame();
    }
    bool TakesInput(CCharSelectWindow::Button which) {
        CButton* button = m_window->GetButton(which);
        return button->IsDrawOn() && button->IsInputOn();
    }
    size_t Queued() { return GameSession().QueuedMessages(); }
    std::vector<uint8_t> LastQueued() { return GameSession().QueuedMessage(Queued() - 1); }
    int32_t MessageBoxes() {
        std::vector<CBaseWindow*> boxes;
        return m_driver.Mgr().FindAllWindowsByName(MESSAGE_BOX_NAME, &boxes);
    }
    void Answer(bool accepted, const char* text) {
        GameSession().m_loginResult = accepted ? 0 : 3;
        GameSession().PostSessionNotice(1, accepted ? 1 : 0, text);
        m_driver.Frame();
    }
    // The delete question answered through the box's buttons.
    void AnswerQuestion(bool ok) {
        CMessageBox* box = m_window->GetDeleteBox();
        CButton* button = ok ? box->GetOkButton() : box->GetCancelButton();
        Face(button);
        m_driver.Click(0, button->GetX() + 5, button->GetY() + 5);
        m_driver.Frame(2);
    }

    qmtest::ScopedTextTables m_texts{SelectTexts()};
    CCharSelectWindow* m_window = nullptr;
};

TEST_F(CharSelectTest, TheListIsSortedByIdAndHoldsTheFirstSix) {
    const auto names = [this] {
        std::vector<std::string> out;
        for (int i = 0; i < m_window->GetCount(); ++i) out.push_back(m_window->GetName(i));
        return out;
    };
    Load({Entry("e", 5, 5), Entry("b", 2, 2), Entry("g", 90), Entry("a", 1, 1), Entry("d", 4), Entry("f", 9),
          Entry("c", 3)},
         "the account");
    ASSERT_TRUE(m_window->IsListReady());
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(m_window->GetCharByte(0), 1);
    EXPECT_EQ(m_window->GetCharByte(4), 5);
    EXPECT_STREQ(m_window->GetListText(), "the account");
    EXPECT_EQ(m_window->GetSelected(), 0);
    EXPECT_EQ(m_window->GetChar(6), nullptr);
    EXPECT_EQ(GameSession().m_charList, nullptr);
    // Equal ids: the smaller one met later trades places with the first
    // entry, which so goes behind its twin.
    Load({Entry("first", 5), Entry("second", 5), Entry("one", 1)});
    EXPECT_EQ(names(), (std::vector<std::string>{"one", "second", "first"}));
}

TEST_F(CharSelectTest, MakeAndTheArrowsFollowTheCount) {
    struct Case {
        int count;
        bool make, rightArrow;
    };
    for (const Case& c : {Case{3, true, false}, Case{5, true, true}, Case{6, false, true}}) {
        Load(c.count);
        EXPECT_EQ(TakesInput(CCharSelectWindow::kMake), c.make) << c.count;
        EXPECT_TRUE(m_window->GetButton(CCharSelectWindow::kMake)->IsDrawOn()) << c.count;
        EXPECT_EQ(m_window->GetButton(CCharSelectWindow::kRightArrow)->IsDrawOn(), c.rightArrow) << c.count;
        EXPECT_FALSE(m_window->GetButton(CCharSelectWindow::kLeftArrow)->IsDrawOn()) << c.count;
    }
    // Make stays without input when the buttons come back.
    m_window->ShowButtons(false);
    m_window->ShowButtons(true);
    EXPECT_FALSE(TakesInput(CCharSelectWindow::kMake));
    EXPECT_TRUE(TakesInput(CCharSelectWindow::kBack));
}

TEST_F(CharSelectTest, ArrowKeysWrapAndMoveThePage) {
    Load(5);
    struct Step {
        uint8_t key;
        int selected, first;
        bool left, right;
    };
    const Step steps[] = {
        {plat::VK_LEFT, 4, 2, true, false},  // from the first to the last
        {plat::VK_LEFT, 3, 2, true, false},  {plat::VK_LEFT, 2, 2, true, false},
        {plat::VK_LEFT, 1, 1, true, true},  // before the page: one page left
        {plat::VK_RIGHT, 2, 1, true, true},  {plat::VK_RIGHT, 3, 1, true, true},
        {plat::VK_RIGHT, 4, 2, true, false},  // beyond the page: one page right
        {plat::VK_RIGHT, 0, 0, false, true},  // from the last to the first, the page to the start
    };
    for (const Step& s : steps) {
        Key(s.key);
        EXPECT_EQ(m_window->GetSelected(), s.selected);
        EXPECT_EQ(m_window->GetFirst(), s.first) << s.selected;
        EXPECT_EQ(m_window->GetButton(CCharSelectWindow::kLeftArrow)->IsDrawOn(), s.left) << s.selected;
        EXPECT_EQ(m_window->GetButton(CCharSelectWindow::kRightArrow)->IsDrawOn(), s.right) << s.selected;
    }
}

TEST_F(CharSelectTest, ArrowButtonsPageWithinTheList) {
    Load(4);
    ClickButton(CCharSelectWindow::kRightArrow);
    EXPECT_EQ(m_window->GetFirst(), 1);
    EXPECT_FALSE(m_window->GetButton(CCharSelectWindow::kRightArrow)->IsDrawOn());
    ClickSlot(2);
    EXPECT_EQ(m_window->GetSelected(), 3);
    ClickButton(CCharSelectWindow::kLeftArrow);
    EXPECT_EQ(m_window->GetFirst(), 0);
    EXPECT_FALSE(m_window->GetButton(CCharSelectWindow::kLeftArrow)->IsDrawOn());
    EXPECT_EQ(m_window->GetSelected(), 3);
}

TEST_F(CharSelectTest, AnEmptySlotOrABusyWindowIgnoresClicks) {
    Load(2);
    ClickSlot(2);  // no third character
    EXPECT_EQ(m_window->GetSelected(), 0);
    ClickSlot(1);
    EXPECT_EQ(m_window->GetSelected(), 1);
    Key(plat::VK_RETURN);  // the enter request goes out
    ASSERT_TRUE(m_window->IsEntering());
    ClickSlot(0);
    Key(plat::VK_LEFT);
    EXPECT_EQ(m_window->GetSelected(), 1);
}

TEST_F(CharSelectTest, EnterSendsTheNameAndARefusalGivesTheButtonsBack) {
    Load({Entry("alice", 1), Entry("bob", 2)});
    Key(plat::VK_RIGHT);
    const size_t queued = Queued();
    Key(plat::VK_RETURN);
    ASSERT_EQ(Queued(), queued + 1);
    EXPECT_EQ(LastQueued(), (std::vector<uint8_t>{43, 3, 'b', 'o', 'b'}));
    EXPECT_EQ(m_window->GetAction(), CHAR_SELECT_ENTER);
    EXPECT_STREQ(g_currentCharName, "bob");
    EXPECT_FALSE(TakesInput(CCharSelectWindow::kSelect));
    EXPECT_TRUE(m_window->GetButton(CCharSelectWindow::kSelect)->IsDrawOn());
    Key(plat::VK_RETURN);  // waiting: nothing more
    EXPECT_EQ(Queued(), queued + 1);
    Answer(false, "no");
    EXPECT_FALSE(m_window->IsEntering());
    EXPECT_TRUE(TakesInput(CCharSelectWindow::kSelect));
}

TEST_F(CharSelectTest, AnEntryTheSceneGivesUpLeavesTheWindowFreeToChooseAgain) {
    // The connect scene stops waiting for the world (its time limit) and
    // takes the choice back: the window must not stay busy with the old entry.
    Load({Entry("alice", 1), Entry("bob", 2)});
    Key(plat::VK_RETURN);
    ASSERT_TRUE(m_window->IsEntering());
    m_window->SetAction(CHAR_SELECT_NONE);
    m_window->ShowButtons(true);
    EXPECT_FALSE(m_window->IsEntering());
    Key(plat::VK_RIGHT);
    EXPECT_EQ(m_window->GetSelected(), 1);
    const size_t queued = Queued();
    Key(plat::VK_RETURN);
    ASSERT_EQ(Queued(), queued + 1);
    EXPECT_EQ(LastQueued(), (std::vector<uint8_t>{43, 3, 'b', 'o', 'b'}));
}

TEST_F(CharSelectTest, AnUnansweredDeleteEndsAfterAMinuteOrALostConnection) {
    m_dir.WriteFile("alice.CMD", "m");
    for (const bool lost : {false, true}) {
        Load({Entry("alice", 1)});
        m_driver.SetFrameTime(0);
        ClickButton(CCharSelectWindow::kDelete);
        AnswerQuestion(true);
        ASSERT_TRUE(m_window->IsDeleting()) << lost;
        const int32_t boxes = MessageBoxes();
        EndWaitUnanswered(lost, SESSION_ANSWER_WAIT_MS, [this] { return m_window->IsDeleting(); });
        EXPECT_FALSE(m_window->IsDeleting()) << lost;
        EXPECT_EQ(MessageBoxes(), boxes + 1) << lost;
        EXPECT_TRUE(TakesInput(CCharSelectWindow::kBack)) << lost;
        EXPECT_EQ(m_window->GetCount(), 1) << lost;
        EXPECT_TRUE(plat::FileExists(m_dir.Path() + "/alice.CMD")) << lost;
        // A late answer is no longer this window's.
        Answer(true, "late");
        EXPECT_TRUE(plat::FileExists(m_dir.Path() + "/alice.CMD")) << lost;
        Connect();
    }
}

TEST_F(CharSelectTest, ADoubleClickOnACharacterEntersWithIt) {
    auto list = std::make_unique<CCharListMsg>();
    list->AddChar(Entry("amy", 1));
    list->AddChar(Entry("ben", 2));
    // The server's handler posts the list when the window is open.
    PostMessageTo(0, m_window, 0, MSG_CHAR_LIST, std::move(list), nullptr);
    m_driver.Frame();
    ASSERT_EQ(m_window->GetCount(), 2);
    const size_t queued = Queued();
    m_driver.DoubleClick(0, 131 + 183 + 20, 180);
    m_driver.Frame();
    ASSERT_EQ(Queued(), queued + 1);
    EXPECT_EQ(LastQueued(), (std::vector<uint8_t>{43, 3, 'b', 'e', 'n'}));
    EXPECT_TRUE(m_window->IsEntering());
}

TEST_F(CharSelectTest, NothingSelectedGivesTheBoxAndSendsNothing) {
    Load(0);
    const size_t queued = Queued();
    const int32_t boxes = MessageBoxes();
    Key(plat::VK_RETURN);
    EXPECT_EQ(Queued(), queued);
    EXPECT_EQ(MessageBoxes(), boxes + 1);
    EXPECT_EQ(m_window->GetAction(), CHAR_SELECT_NONE);
    ClickButton(CCharSelectWindow::kDelete);  // no one to delete: no question
    EXPECT_FALSE(m_window->GetDeleteBox()->IsDrawOn());
}

TEST_F(CharSelectTest, BackAndMakeEndTheWindowsPart) {
    Load(1);
    GameSession().m_loginFlow = 1;
    ClickButton(CCharSelectWindow::kMake);
    EXPECT_EQ(m_window->GetAction(), CHAR_SELECT_CREATE);
    EXPECT_FALSE(TakesInput(CCharSelectWindow::kBack));
    Key(plat::VK_ESCAPE);
    EXPECT_EQ(m_window->GetAction(), CHAR_SELECT_BACK);
    EXPECT_EQ(GameSession().m_loginFlow, 0);
}

TEST_F(CharSelectTest, TheQuestionNamesTheCharacterAndCancelOnlyHidesIt) {
    Load({Entry("alice", 1)});
    ClickButton(CCharSelectWindow::kDelete);
    CMessageBox* box = m_window->GetDeleteBox();
    ASSERT_TRUE(box->IsDrawOn());
    EXPECT_EQ(box->GetKindId(), CHAR_DELETE_BOX_KIND);
    std::string text;
    for (const auto& run : box->Text().Row(0)) text += run.text;
    EXPECT_EQ(text, "Delete alice?");
    Key(plat::VK_RIGHT);  // the selection stays the one the box names
    EXPECT_EQ(m_window->GetSelected(), 0);
    const size_t queued = Queued();
    AnswerQuestion(false);
    EXPECT_FALSE(box->IsDrawOn());
    EXPECT_EQ(Queued(), queued);
    EXPECT_FALSE(m_window->IsBusy());
}

TEST_F(CharSelectTest, FilesGoOnlyAfterTheServerAcceptsAndNeverForUnsafeNames) {
    // The program works in "work"; a name reaching out of it finds files beside it.
    m_dir.WriteFile("work/keep", "");
    qmtest::ScopedWorkingFolder work(m_dir.Path() + "/work");
    struct Case {
        const char* name;
        const char* file;  // the character's files, from the temporary folder
        bool accepted, filesGo;
    };
    for (const Case& c : {Case{"alice", "work/alice", false, false}, Case{"alice", "work/alice", true, true},
                          Case{"../x", "x", true, false}, Case{"C:x", "work/C:x", true, false}}) {
        for (const char* ext : {".CMD", ".EMD"}) m_dir.WriteFile(std::string(c.file) + ext, "m");
        Load({Entry(c.name, 1)});
        ClickButton(CCharSelectWindow::kDelete);
        const size_t queued = Queued();
        AnswerQuestion(true);
        ASSERT_EQ(Queued(), queued + 1) << c.name;
        std::vector<uint8_t> expected{45, uint8_t(std::strlen(c.name))};
        expected.insert(expected.end(), c.name, c.name + std::strlen(c.name));
        expected.push_back(0);
        EXPECT_EQ(LastQueued(), expected) << c.name;
        EXPECT_TRUE(m_window->IsDeleting());
        EXPECT_STREQ(m_window->GetMessageText(), "Deleting");
        // Asked, not yet answered: the files stay.
        EXPECT_TRUE(plat::FileExists(m_dir.Path() + "/" + c.file + ".CMD")) << c.name;
        Answer(c.accepted, "answer");
        EXPECT_FALSE(m_window->IsDeleting());
        EXPECT_STREQ(m_window->GetMessageText(), "answer");
        EXPECT_EQ(m_window->GetCount(), c.accepted ? 0 : 1) << c.name;
        for (const char* ext : {".CMD", ".EMD"})
            EXPECT_EQ(plat::FileExists(m_dir.Path() + "/" + c.file + ext), !c.filesGo) << c.name << ext;
    }
}

TEST_F(CharSelectTest, ANewListWhileAskingDeletesOnlyTheCharacterAskedAbout) {
    // The list comes again while the question (or the confirmation text)
    // is open: the answer deletes the character it named, never the one
    // that now stands in its place or is selected.
    for (const uint8_t value : {uint8_t(0), uint8_t(15)}) {
        SCOPED_TRACE(int(value));
        Load({Entry("alice", 1), Entry("bob", 2, value)});
        Key(plat::VK_RIGHT);
        ClickButton(CCharSelectWindow::kDelete);
        const size_t queued = Queued();
        if (value != 0) {
            AnswerQuestion(true);
            ASSERT_TRUE(m_window->IsConfirming());
        }
        Load({Entry("aaron", 0), Entry("alice", 1), Entry("bob", 2, value)});
        if (value != 0) {
            m_window->GetConfirmWindow()->Confirm();
            m_driver.Frame();
        } else {
            AnswerQuestion(true);
        }
        ASSERT_EQ(Queued(), queued + 1);
        EXPECT_EQ(LastQueued(), (std::vector<uint8_t>{45, 3, 'b', 'o', 'b', 0}));
        Answer(false, "no");
        // Gone from the new list: nothing is sent.
        ClickButton(CCharSelectWindow::kDelete);
        Load({Entry("alice", 1)});
        AnswerQuestion(true);
        EXPECT_EQ(Queued(), queued + 1);
    }
}

TEST_F(CharSelectTest, AProtectedCharacterNeedsTheConfirmationText) {
    for (uint8_t value : {uint8_t(11), uint8_t(20)}) {
        Load({Entry("alice", 1, value)});
        ClickButton(CCharSelectWindow::kDelete);
        const size_t queued = Queued();
        AnswerQuestion(true);
        CEMailEditWindow* confirm = m_window->GetConfirmWindow();
        ASSERT_TRUE(confirm->IsDrawOn()) << int(value);
        EXPECT_TRUE(m_window->IsConfirming());
        EXPECT_EQ(Queued(), queued);
        // Cancelled: nothing sent, the buttons back.
        confirm->Cancel();
        m_driver.Frame();
        EXPECT_FALSE(m_window->IsConfirming());
        EXPECT_EQ(Queued(), queued);
        EXPECT_TRUE(TakesInput(CCharSelectWindow::kDelete));
        // Confirmed: the text goes with the request.
        ClickButton(CCharSelectWindow::kDelete);
        AnswerQuestion(true);
        confirm->GetBox()->SetText("me@example.org");
        confirm->Confirm();
        m_driver.Frame();
        ASSERT_EQ(Queued(), queued + 1);
        std::vector<uint8_t> expected{45, 5, 'a', 'l', 'i', 'c', 'e', 14};
        for (char ch : std::string("me@example.org")) expected.push_back(uint8_t(ch));
        EXPECT_EQ(LastQueued(), expected);
        EXPECT_TRUE(m_window->IsDeleting());
        Answer(false, "no");
    }
}

TEST_F(CharSelectTest, PetsCarryTheirEightColours) {
    CCharListEntry e = Entry("alice", 1);
    e.m_value2 = CHAR_MONSTER_BASE + 7;
    // Colours 1..7 and 0 from the low bit up; the top byte is not a colour.
    e.m_value3 =
        0xFF000000u | (1u << 0) | (2u << 3) | (3u << 6) | (4u << 9) | (5u << 12) | (6u << 15) | (7u << 18);
    Load({e, Entry("bob", 2)});
    ASSERT_NE(m_window->GetPet(0), nullptr);
    EXPECT_EQ(m_window->GetPet(1), nullptr);
    const uint8_t* colours = m_window->GetPet(0)->m_colours;
    EXPECT_EQ(std::vector<uint8_t>(colours, colours + 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 0}));
    EXPECT_EQ(m_window->GetPet(0)->m_direction, 8);
    EXPECT_EQ(m_window->GetChar(0)->m_direction, 8);
}

TEST_F(CharSelectTest, ReleaseHandsTheListBackToTheSession) {
    Load(2);
    m_driver.Mgr().RemoveWindow(m_window);
    m_driver.Frame();
    ASSERT_NE(GameSession().m_charList, nullptr);
    EXPECT_EQ(GameSession().m_charList->Count(), 2u);
}

TEST_F(CharSelectTest, DrawingLeavesTheCharacterOptionAsItWas) {
    CCharListEntry e = Entry("alice", 1);
    e.m_value2 = CHAR_MONSTER_BASE + 7;
    Load({e, Entry("bob", 2), Entry("carol", 3), Entry("dave", 4)});
    g_options.SetByte(32, 0);
    m_driver.DrawFrames(true);
    m_driver.Frame(2);
    EXPECT_EQ(g_options.GetByte(32), 0);
}

// Characters with an animation of their own: the selected one plays motion 2.
class CharSelectAnimatedTest : public CharSelectTest {
protected:
    static constexpr uint32_t kCharAni = 100;
    CharSelectAnimatedTest() {
        using namespace anitest;
        std::vector<AniFileMotion> motions;
        for (uint32_t m : {0u, 2u})
            motions.push_back(anitest::Motion(m, {Direction(0, {Layer({Image(0)})}, 80)}));
        const std::vector<uint8_t> bytes = WriteAniFile(File(14, motions));
        m_aniDir.WriteFile("0100.z5a", std::vector<unsigned char>(bytes.begin(), bytes.end()));
        g_config.m_folders[FOLDER_ANIMATION] = m_aniDir.Path();
        g_pAniMgr = &m_aniMgr;
        qmtest::TableBuilder players(2, 6);
        players.Text(2).Ref(5).Set(5, 0, {kCharAni, 0, 0}).Set(5, 1, {kCharAni, 0, 0});
        m_db.Write(CCharResourceMgr::PLAYER_FILE, players);
        qmtest::TableBuilder monsters(8, 16);
        monsters.Ref(3);
        for (int r = 0; r < 8; ++r) monsters.Set(3, r, {kCharAni, 0, 0}).Set(15, r, 3);
        m_db.Write(CCharResourceMgr::MONSTER_FILE, monsters);
        for (int file : {int(CCharResourceMgr::NPC_FILE), int(CCharResourceMgr::CLASS_ANI_FILE),
                         int(CCharResourceMgr::ID_ANI_FILE), int(CCharResourceMgr::LEVEL_COLOR_FILE),
                         int(CCharResourceMgr::GROUP_FILE)})
            m_db.Write(file, qmtest::TableBuilder(0, 1));
        m_resources = std::make_unique<CCharResourceMgr>();
        g_pCharResourceMgr = m_resources.get();
    }
    ~CharSelectAnimatedTest() override {
        m_driver.Mgr().DeleteAllChildren();
        g_pCharResourceMgr = nullptr;
        g_pAniMgr = nullptr;
        g_config.m_folders[FOLDER_ANIMATION] = m_oldFolder;
    }
    int32_t MotionOf(int index) {
        CAniObject* ani = m_window->GetChar(index)->GetAniObject();
        return ani ? ani->GetCurrentMotionId() : -1;
    }

    std::string m_oldFolder = g_config.m_folders[FOLDER_ANIMATION];
    qmtest::TempDir m_aniDir;
    CAniMgr m_aniMgr;
    ScopedAniObjectHooks m_hooks{AniObjectHooks()};
    qmtest::ScopedDatabase m_db;
    std::unique_ptr<CCharResourceMgr> m_resources;
};

TEST_F(CharSelectAnimatedTest, TheSelectedCharacterPlaysMotionTwo) {
    CCharListEntry first = Entry("amy", 1);
    first.m_value2 = CHAR_MONSTER_BASE + 3;  // a pet shown beside her
    CCharListEntry second = Entry("ben", 2);
    second.m_value = CHAR_PLAYER_BASE + 1;
    second.m_optional[0] = 5000;  // an item the table does not know: nothing worn
    Load({first, second});
    ASSERT_NE(m_window->GetChar(0)->GetAniObject(), nullptr);
    ASSERT_NE(m_window->GetPet(0)->GetAniObject(), nullptr);
    EXPECT_EQ(MotionOf(0), 2);
    EXPECT_EQ(MotionOf(1), 0);
    Key(plat::VK_RIGHT);
    EXPECT_EQ(MotionOf(0), 0);
    EXPECT_EQ(MotionOf(1), 2);
    EXPECT_EQ(m_window->GetPet(0)->GetAniObject()->GetCurrentMotionId(), 0);
    m_driver.DrawFrames(true);
    m_driver.Frame(2);
}

TEST(CharFileNameTest, OnlyPlainNamesNameFiles) {
    for (const char* bad : {"", "../x", "a/b", "a\\b", "C:x", "..", "x.."})
        EXPECT_FALSE(IsSafeCharFileName(bad)) << bad;
    for (const char* good : {"alice", "a.b", "Quill Marrow"}) EXPECT_TRUE(IsSafeCharFileName(good)) << good;
    EXPECT_FALSE(IsSafeCharFileName(nullptr));
}

}  // namespace
