#include "anim/ambient_particle.h"

#include <gtest/gtest.h>

#include "anim/ani_object.h"
#include "anim/obj_ani.h"
#include "tests/anim/ani_test_util.h"

using namespace anitest;

TEST(AmbientParticleTest, LaunchCopiesTheSourceAndStepsFollowTheThrow) {
    AniWorld world;
    world.Write(4, File(14, {Motion(0, {Direction(1, {Layer({Image(0)})})}),
                             Motion(2, {Direction(6, {Layer({Image(0), Hold(30)})})})}));
    CAniObject source;
    ASSERT_TRUE(source.SetAnimation(4));
    source.SetMotion(2);
    source.SetDirection(6);
    {
        AmbientParticle p;
        EXPECT_EQ(p.m_pObject, nullptr);
        ASSERT_TRUE(p.Launch(source, 48.0f, 36.5f, 20.0f, 90.0f, 3.0f, true));
        EXPECT_EQ(p.m_state, AMBIENT_PARTICLE_FLYING);
        ASSERT_NE(p.m_pObject, nullptr);
        EXPECT_EQ(p.m_pObject->GetCurrentMotionId(), 2);
        EXPECT_EQ(p.m_pObject->m_direction, 6);
        EXPECT_EQ(p.m_pObject->m_underlayMode, ANI_UNDERLAY_OFF_MODE);
        EXPECT_EQ(p.m_pObject->m_mapX, 48);
        EXPECT_EQ(p.m_pObject->m_mapY, 36);
        EXPECT_EQ(p.m_pObject->m_loop, 0);
        EXPECT_NEAR(p.m_velocity[0], 0.0f, 1e-5f);
        EXPECT_NEAR(p.m_velocity[2], 3.0f, 1e-5f);
        p.Step(200);  // t = 2: height 20 + 6 - 20
        EXPECT_NEAR(p.m_current[0], 48.0f, 1e-4f);
        EXPECT_NEAR(p.m_current[2], 6.0f, 1e-4f);
        EXPECT_EQ(world.Mgr().GetSlot(4)->m_refCount, 2);
    }
    EXPECT_EQ(world.Mgr().GetSlot(4)->m_refCount, 1);  // the particle's object went with it
    AmbientParticle empty;
    CAniObject none;
    EXPECT_FALSE(empty.Launch(none, 0, 0, 0, 0, 0, false));
}
