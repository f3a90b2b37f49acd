#include "tools/qmserver/hall_character.h"
#include "tools/qmserver/hall_chat.h"
#include "tools/qmserver/hall_clubs.h"
#include "tools/qmserver/hall_effects.h"
#include "tools/qmserver/hall_events.h"
#include "tools/qmserver/hall_feature.h"
#include "tools/qmserver/hall_field.h"
#include "tools/qmserver/hall_items.h"
#include "tools/qmserver/hall_journal.h"
#include "tools/qmserver/hall_messenger.h"
#include "tools/qmserver/hall_trade.h"
#include "tools/qmserver/hall_welcome_skill.h"

std::vector<std::unique_ptr<CHallFeature>> MakeHallFeatures() {
    std::vector<std::unique_ptr<CHallFeature>> features;
    // One line a subject: features.push_back(MakeShopFeature());
    features.push_back(MakeWelcomeSkillFeature());
    features.push_back(MakeFieldFeature());
    features.push_back(MakeItemsFeature());
    IHallBags* bags = HallBagsOf(features.back().get());
    features.push_back(MakeChatFeature());
    features.push_back(MakeMessengerFeature());
    features.push_back(MakeCharacterFeature(bags));
    IHallPurse* purse = HallPurseOf(features.back().get());
    features.push_back(MakeClubsFeature());
    features.push_back(MakeEventsFeature());
    features.push_back(MakeJournalFeature());
    features.push_back(MakeEffectsFeature());
    features.push_back(MakeTradeFeature(bags, purse));
    return features;
}
