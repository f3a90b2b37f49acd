#include "anim/ani_file.h"

#include <gtest/gtest.h>

#include "anim/ani_text.h"
#include "tests/anim/ani_test_util.h"

using namespace anitest;

namespace {

// One element of every kind with every field set, and a kind the format does not know.
std::vector<AniFileElement> EveryKind() {
    std::vector<AniFileElement> v;
    AniFileElement image = Image(1, 7, 3, 0x3F);
    image.x = -5;
    image.y = 6;
    image.x2 = 7;
    image.y2 = -8;
    image.color = 0x8F4C;
    v.push_back(image);
    v.push_back(Hold(2));
    AniFileElement e = Node(ANI_NODE_TARGET_COUNT, 4);
    e.number = 11;
    v.push_back(e);
    e = Node(ANI_NODE_LAYER_SWITCH, 5);
    e.target = 0;
    e.mode = 3;
    v.push_back(e);
    e = Child(6, 42, 2, 5);
    e.x = -3;
    e.y = 4;
    v.push_back(e);
    e = Node(ANI_NODE_MAP_EFFECT, 7);
    e.mode = 1;
    e.arg = 0x31;
    v.push_back(e);
    e = Node(ANI_NODE_ORDER, 8);
    e.mode = 5;
    v.push_back(e);
    e = Sound(9, 77, true);
    e.word2 = 12;
    e.byte = 13;
    e.extra = 14;
    v.push_back(e);
    e = Node(ANI_NODE_MESH, 10);
    e.number = 15;
    e.flag = 1;
    e.x = 16;
    e.y = -17;
    e.extra = 18;
    v.push_back(e);
    v.push_back(Ramp(ANI_NODE_ALPHA_RAMP, 11, true, 20, 200, 0));
    e = Node(ANI_NODE_LAYER_BLEND, 12);
    e.target = 0;
    e.mode = 1;
    v.push_back(e);
    v.push_back(Ramp(ANI_NODE_VALUE_RAMP, 13, false, 5, 10, 0));
    v.push_back(Node(ANI_NODE_BREAK, 14));
    v.push_back(Node(ANI_NODE_OWNER_COUNT, 15));
    e = Node(ANI_NODE_OWNER_PERCENT, 16);
    e.mode = 50;
    v.push_back(e);
    v.push_back(Node(ANI_NODE_MARK, 17));
    e = Node(ANI_NODE_PARTICLE, 18);
    e.number = 19;
    e.x = 20;
    e.y = 21;
    v.push_back(e);
    e = Node(ANI_NODE_TOON, 19);
    e.number = 22;
    e.motionSet = 23;
    e.material = 24;
    e.flag = 1;
    e.flag2 = 1;
    e.toonFlags = 0x18;
    e.x = -25;
    e.y = 26;
    e.facing = 3;
    v.push_back(e);
    v.push_back(Node(25, 0));
    return v;
}

// What a reader of the version gets back from EveryKind: the fields the
// version does not store read as their defaults, unknown kinds keep no start.
AniFile ExpectedFor(uint8_t version) {
    AniFile f = OneLayer(EveryKind(), version);
    AniFileDirection& dir = f.motions[0].directions[0];
    if (version < 6) dir.height = ANI_DEFAULT_HEIGHT;
    for (AniFileElement& e : dir.layers[0].elements) {
        if (e.kind == ANI_NODE_MESH && version < 14) e.extra = 0;
        if (e.kind == ANI_NODE_TOON && version < 13) e.facing = 0;
        if (e.kind > ANI_LAST_FILE_KIND) e.start = 0;
    }
    return f;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list) v.push_back(uint8_t(b));
    return v;
}

}  // namespace

TEST(AniFileTest, EveryVersionReadsBackItsTreeAndConsumesExactlyTheFile) {
    // Sizes worked out by hand from the layout: the element sizes per version
    // plus the header, the pool declarations (17 node kinds) and the blocks.
    struct Case {
        uint8_t version;
        size_t size;
    };
    for (const Case& c :
         {Case{5, 231}, Case{8, 237}, Case{9, 236}, Case{11, 376}, Case{13, 377}, Case{14, 381}}) {
        SCOPED_TRACE(int(c.version));
        const std::vector<uint8_t> bytes = WriteAniFile(OneLayer(EveryKind(), c.version));
        EXPECT_EQ(bytes.size(), c.size);
        AniFile read;
        std::string error;
        ASSERT_TRUE(ReadAniFile(bytes, read, &error)) << error;
        EXPECT_EQ(read.bytesRead, bytes.size());
        EXPECT_EQ(read, ExpectedFor(c.version));
    }
}

TEST(AniFileTest, ImageLayoutByteByByte) {
    // Version 5: no height words, no pools; an image with an offset and a colour.
    AniFileElement image =
        Image(2, 0x0102, 0x0304, ANI_IMAGE_OFFSET | ANI_IMAGE_COLOR | ANI_IMAGE_SKIPPED_WORD);
    image.x = -2;
    image.y = 3;
    image.color = 0xF0A5;
    const std::vector<uint8_t> bytes = WriteAniFile(OneLayer({image}, 5, 0x107, 4));
    EXPECT_EQ(bytes, Bytes({5,    1,    0,                 // version, one motion
                            7,    1,    0, 0, 1,           // motion id, one direction
                            4,    1,    0, 0, 0,           // direction 4, one layer
                            1,    0,    0, 0,              // one element
                            0,    0,    0, 0,              // image
                            2,    1,    4, 3, 2, 0, 0x25,  // texture, unit, start, flags
                            0xFE, 0xFF, 3, 0,              // offset -2, 3
                            0,    0,                       // the skipped word
                            0xA5, 0xF0}));                 // colour
    AniFile read;
    ASSERT_TRUE(ReadAniFile(bytes, read));
    EXPECT_EQ(read.motions[0].id, 0x107u);
    EXPECT_EQ(read.motions[0].directions[0].height, ANI_DEFAULT_HEIGHT);
}

TEST(AniFileTest, MotionCountZeroIsAnEmptyAnimation) {
    AniFile read;
    ASSERT_TRUE(ReadAniFile(Bytes({14, 0, 0, 0, 0, 0, 0}), read));
    EXPECT_TRUE(read.motions.empty());
    EXPECT_EQ(read.bytesRead, 7u);
}

TEST(AniFileTest, EveryTruncationIsRefused) {
    const std::vector<uint8_t> bytes = WriteAniFile(OneLayer(EveryKind(), 14));
    for (size_t n = 0; n < bytes.size(); ++n) {
        AniFile read;
        std::string error;
        EXPECT_FALSE(ReadAniFile(bytes.data(), n, read, &error)) << n;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(read.motions.empty());
    }
}

TEST(AniFileTest, FilesOutsideTheFormatAreRefused) {
    auto layer = [](std::vector<AniFileElement> e) { return OneLayer(std::move(e), 14); };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* error;
    };
    std::vector<Case> cases;
    cases.push_back({"direction 16", WriteAniFile(OneLayer({Image(0)}, 14, 0, 16)), "direction 16"});
    {
        AniFile f = layer({Image(0)});
        f.motions[0].directions[0].layers.resize(256);
        cases.push_back({"256 layers", WriteAniFile(f), "256 layers"});
    }
    cases.push_back({"layer switch target", WriteAniFile(layer({[] {
                         AniFileElement e = Node(ANI_NODE_LAYER_SWITCH, 0);
                         e.target = 1;
                         return e;
                     }()})),
                     "targets layer 1 of 1"});
    cases.push_back({"alpha ramp target", WriteAniFile(layer({Ramp(ANI_NODE_ALPHA_RAMP, 0, true, 1, 9, 3)})),
                     "targets layer 3"});
    cases.push_back({"value ramp target", WriteAniFile(layer({Ramp(ANI_NODE_VALUE_RAMP, 0, true, 1, 9, 1)})),
                     "targets layer 1"});
    {
        AniFile f = layer({Image(0), Image(1)});
        f.pools = {{ANI_NODE_IMAGE, 1}};
        cases.push_back({"pool overflow", WriteAniFile(f), "more nodes of kind 0"});
        f.pools = {};
        cases.push_back({"undeclared kind", WriteAniFile(f), "more nodes of kind 0"});
        f.pools = {{19, 1}};
        cases.push_back({"pool of kind 19", WriteAniFile(f), "unknown node kind 19"});
        f.pools.assign(20, {ANI_NODE_IMAGE, 2});
        cases.push_back({"20 pools", WriteAniFile(f), "20 pool declarations"});
    }
    cases.push_back({"negative motion count", Bytes({9, 0xFF, 0xFF}), "negative motion count"});
    cases.push_back({"element count past the end",
                     Bytes({9, 1, 0, 0,    0,    0,    0,    1,  1, 100, 0, 0, 0, 1,
                            0, 0, 0, 0xFF, 0xFF, 0xFF, 0x0F, 12, 0, 0,   0, 0, 0}),
                     "elements do not fit"});
    cases.push_back({"layer count past the end",
                     Bytes({9, 1, 0, 0, 0, 0, 0, 1, 1, 100, 0, 0, 0, 200, 0, 0, 0}), "layers do not fit"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AniFile read;
        std::string error;
        EXPECT_FALSE(ReadAniFile(c.bytes, read, &error));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(AniFileTest, BlendTargetOutsideTheLayersIsKeptForTheLoaderToIgnore) {
    AniFileElement blend = Node(ANI_NODE_LAYER_BLEND, 0);
    blend.target = 9;
    AniFile read;
    EXPECT_TRUE(ReadAniFile(WriteAniFile(OneLayer({blend}, 14)), read));
}

TEST(AniFileTest, TextReadsBackEveryVersionExactly) {
    for (uint8_t version : std::initializer_list<uint8_t>{5, 8, 9, 11, 13, 14}) {
        SCOPED_TRACE(int(version));
        const AniFile file = ExpectedFor(version);
        const std::string text = AniFileToText(file);
        AniFile back;
        std::string error;
        ASSERT_TRUE(AniFileFromText(text, back, &error)) << error;
        EXPECT_EQ(back, file);
        EXPECT_EQ(WriteAniFile(back), WriteAniFile(file));
    }
}

TEST(AniFileTest, TextLooksLikeThis) {
    const std::string text =
        AniFileToText(OneLayer({Image(3, 12, 4), Hold(2), Sound(5, 9), Node(30, 0)}, 11, 2, 6));
    EXPECT_EQ(text,
              "version 11\n"
              "pool image 1\n"
              "pool sound 1\n"
              "motion 2\n"
              "  direction 6 height 100 spare 0\n"
              "    layer\n"
              "      image start 3 texture 12 unit 4 flags 0x00 x 0 y 0 x2 0 y2 0 colour 0xffff\n"
              "      hold frames 2\n"
              "      sound start 5 sound 9 word 0 byte 0 positional 0 extra 0\n"
              "      kind30\n");
}

TEST(AniFileTest, TextErrorsNameTheLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"motion 0\n", "no version line"},
        {"version 14\nlayer\n", "line 2: layer outside a direction"},
        {"version 14\nmotion 0\ndirection 1\nimage start 0\n", "line 4: element outside a layer"},
        {"version 14\nmotion 0\ndirection 1\nlayer\nimage start 70000\n", "line 5: bad value of start"},
        {"version 14\nmotion 0\ndirection 1\nlayer\nimage frames 1\n", "line 5: no field frames in image"},
        {"version 14\nmotion 0\ndirection 1\nlayer\nsprite\n", "line 5: unknown line sprite"},
        {"version 300\n", "line 1: version needs 0 to 255"},
    };
    for (const Case& c : cases) {
        AniFile file;
        std::string error;
        EXPECT_FALSE(AniFileFromText(c.text, file, &error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
    AniFile file;
    ASSERT_TRUE(
        AniFileFromText("# pools counted\nversion 14\nmotion 0\n direction 1\n  layer\n   image\n", file));
    EXPECT_EQ(file.pools, (std::vector<AniPoolDecl>{{ANI_NODE_IMAGE, 1}}));
}
