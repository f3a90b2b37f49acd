// Field objects made from a map's ground objects as blocks come and go.
#include "world/map/field_object.h"

#include <gtest/gtest.h>

#include "graphics/image_resource.h"
#include "tests/world/world_fixture.h"

using namespace worldtest;

namespace {

class FieldObjectTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        WritePicture("tree.pic", 48, 64, 0x07E0);
        WritePicture("sign.pic", 32, 32, 0x001F);
        // Two blocks: a tree and a sign on block 0, a sign variant on block 1.
        WriteMap(
            "map 3\nsize 26 13\ndef 1 kind 1 picture tree.pic\ndef 2 kind 1 picture sign.pic block\n"
            "def 3 kind 2 base 1\ndef 7 kind 0 animation 99 motion 0 facing 2\n"
            "legend . ground 0\ncells\n" +
            Cells(26, 13) +
            "end\nobject 2 at 96 48\nground 1 at 2 2\nground 2 at 3 3\nground 3 at 15 2\n"
            "ground 7 at 4 4\nground 6 at 5 5\nground 300 at 6 6\n"
            "stage 1\ngroup properties\n  @1 table [ word ] { rows 1 3 }\nend\nend\n");
        m_map.Create();
        m_map.LoadStage(1);
        m_map.LoadWholeMap();
        ASSERT_NE(m_map.GetMapData(), nullptr);
    }
    CFieldObjectList& Layer() { return m_map.GetMapData()->GroundLayer(); }
    int32_t Uses(uint32_t imageId) {
        CCachedResource* entry = m_imageCache.AcquireEntry(imageId);
        return entry ? m_imageCache.ReleaseEntry(imageId) : -1;
    }
    int32_t DefinitionUses(int32_t definition) {
        const CImageFileResource* picture = m_map.GetMapData()->Definitions().GetPicture(definition);
        return picture ? Uses(picture->GetId()) : -1;
    }
};

}  // namespace

TEST_F(FieldObjectTest, GroundObjectsBecomeFieldObjectsOfTheirKind) {
    // Definitions 1, 2 and 3 make pictured objects; 7 (no animation), 6 (no
    // definition) and 300 (beyond the table) make none.
    EXPECT_EQ(Layer().ActiveCount(), 3);
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    CFieldObject* variant = Layer().FindOrReuse(3, 15 * 96, 2 * 48);
    ASSERT_NE(variant, nullptr);
    EXPECT_EQ(variant->m_linked, 1);
    EXPECT_EQ(variant->m_pImage, m_map.GetMapData()->Definitions().GetPicture(1));
    EXPECT_EQ(CreateFieldObject(6, 0, 0), nullptr);
    EXPECT_EQ(CreateFieldObject(7, 0, 0), nullptr);
    // Picture objects do not fade: the covering test is for animated ones.
    variant->Update();
    EXPECT_EQ(variant->m_coveringPlayer, 0);
}

TEST_F(FieldObjectTest, ReloadedBlocksReuseTheirObjectsWithoutNewPictureUses) {
    CMapData& data = *m_map.GetMapData();
    // Uses of a picture: its definition's and each object's.
    EXPECT_EQ(DefinitionUses(1), 3);  // the definition, the tree and the variant on block 1
    EXPECT_EQ(DefinitionUses(2), 2);
    CFieldObject* tree = Layer().FindOrReuse(1, 2 * 96, 2 * 48);
    CFieldObject* sign = Layer().FindOrReuse(2, 3 * 96, 3 * 48);
    ASSERT_TRUE(tree && sign);
    const uint32_t signPicture = sign->GetImageId();
    // Reading block 0 again finds its objects active: nothing is made or loaded twice.
    data.GetBlock(0)->m_loaded = 0;
    data.RequestBlock(0);
    EXPECT_EQ(Layer().ActiveCount(), 3);
    EXPECT_EQ(Layer().SpareCount(), 0);
    EXPECT_EQ(DefinitionUses(2), 2);
    // Dropping it parks its objects; loading it again takes the same ones back,
    // holding the uses they had.
    data.DropFarBlocks(3, 0);
    EXPECT_EQ(Layer().ActiveCount(), 1);
    EXPECT_EQ(Layer().SpareCount(), 2);
    EXPECT_EQ(DefinitionUses(1), 3);
    EXPECT_EQ(Uses(signPicture), 1);  // the definition only block 0 held is freed
    data.RequestBlock(0);
    EXPECT_EQ(Layer().ActiveCount(), 3);
    EXPECT_EQ(Layer().SpareCount(), 0);
    EXPECT_EQ(Layer().FindOrReuse(1, 2 * 96, 2 * 48), tree);
    EXPECT_EQ(Layer().FindOrReuse(2, 3 * 96, 3 * 48), sign);
    EXPECT_EQ(sign->GetImageId(), signPicture);
    EXPECT_EQ(Uses(signPicture), 1);
    EXPECT_EQ(DefinitionUses(1), 3);
    // Release gives every use back.
    const uint32_t id = tree->GetImageId();
    m_map.Release();
    EXPECT_EQ(m_imageCache.GetEntry(id), nullptr);
}

TEST_F(FieldObjectTest, RecipeEntriesAnswerNothingWithoutTheirManagers) {
    CRecipeEntry entry;
    EXPECT_EQ(entry.m_row, -1);
    EXPECT_EQ(entry.GetResultItemId(), 0u);
    EXPECT_EQ(entry.GetResultItem(), nullptr);
    EXPECT_EQ(entry.GetColumn36(), 0);
    EXPECT_EQ(entry.GetColumn2Item(), nullptr);
}
