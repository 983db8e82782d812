// Layout attribute values: what is read, and what is refused so the control keeps its default.
#include <gtest/gtest.h>

#include <QStringList>

#include "app/ui/Attributes.h"

using namespace ui::attr;

TEST(LayoutAttributes, Colours) {
    struct Case {
        const char* text;
        std::optional<ui::Argb> want;
    };
    const Case cases[] = {
        {"#FF0199CB", 0xFF0199CBu},
        {"#80102030", 0x80102030u},
        {"#0199cb", 0xFF0199CBu},      // no alpha: opaque
        {"0x00000000", 0x00000000u},   // fully transparent stays 0 (no background)
        {" #FFFFFFFF ", 0xFFFFFFFFu},
        {"FF0199CB", std::nullopt},    // needs # or 0x
        {"#FFF", std::nullopt},
        {"#GG0199CB", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parseColour(c.text), c.want) << c.text;
}

TEST(LayoutAttributes, GeometryLists) {
    EXPECT_EQ(parseRect("10,20,30,40"), QRect(10, 20, 30, 40));
    EXPECT_EQ(parseRect(" 1, 2 ,3,4"), QRect(1, 2, 3, 4));
    EXPECT_EQ(parseRect("-5,0,3,4"), QRect(-5, 0, 3, 4));  // a position may be negative...
    EXPECT_EQ(parseRect("0,0,-3,4"), std::nullopt);         // ...a size may not
    EXPECT_EQ(parseRect("1,2,3"), std::nullopt);
    EXPECT_EQ(parseRect("1,2,3,x"), std::nullopt);
    EXPECT_EQ(parseSize("800,572"), QSize(800, 572));
    EXPECT_EQ(parseSize("800"), std::nullopt);
    EXPECT_EQ(parseMargins("1,2,3,4"), QMargins(1, 2, 3, 4));
    EXPECT_EQ(parseMargins("1,2,-3,4"), std::nullopt);
}

TEST(LayoutAttributes, FlagsNumbersAlignment) {
    EXPECT_EQ(parseBool("true"), true);
    EXPECT_EQ(parseBool("FALSE"), false);
    EXPECT_EQ(parseBool("1"), true);
    EXPECT_EQ(parseBool("yes"), std::nullopt);
    EXPECT_EQ(parseInt(" 42 "), 42);
    EXPECT_EQ(parseInt("-7"), -7);
    EXPECT_EQ(parseInt("4x"), std::nullopt);
    EXPECT_EQ(parseAlign("center"), Qt::Alignment(Qt::AlignCenter));
    EXPECT_EQ(parseAlign("Right"), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(parseAlign("middle"), std::nullopt);
}

TEST(LayoutAttributes, FontsAreFamilyAndPixelSize) {
    const QFont base;
    const auto sized = parseFont("14", base);
    ASSERT_TRUE(sized);
    EXPECT_EQ(sized->pixelSize(), 14);
    EXPECT_EQ(sized->families(), base.families());
    const auto both = parseFont("Microsoft YaHei,12", base);
    ASSERT_TRUE(both);
    EXPECT_EQ(both->families().value(0), "Microsoft YaHei");
    EXPECT_EQ(both->pixelSize(), 12);
    EXPECT_EQ(parseFont("Sans,0", base), std::nullopt);
    EXPECT_EQ(parseFont("a,b,12", base), std::nullopt);
}

TEST(LayoutAttributes, ImageDescriptions) {
    EXPECT_EQ(imageFile("common/skin.png"), "common/skin.png");
    EXPECT_EQ(imageFile("file='skin/a.png' corner='2,2,2,2'"), "skin/a.png");
    EXPECT_EQ(imageFile(""), "");
}
