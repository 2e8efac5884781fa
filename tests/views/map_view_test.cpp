#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "views/map_view.h"

namespace delve {
namespace {

using Rgb = std::array<uint8_t, 3>;

// A solid 16 x 16 picture, optionally with a transparent left half.
void solidPicture(BitmapCatalogue& cat, int index, Rgb c, bool keyedLeftHalf = false) {
    BitmapEntry& e = cat[index];
    e.width = e.height = 16;
    e.bytesPerPixel = 3;
    for (int i = 0; i < 16 * 16; ++i) {
        const Rgb p = keyedLeftHalf && i % 16 < 8 ? Rgb{255, 0, 246} : c;
        e.pixels.insert(e.pixels.end(), p.begin(), p.end());
    }
}

constexpr Rgb FloorColour{10, 100, 10};
constexpr Rgb RockColour{90, 90, 90};
constexpr Rgb RoadColour{200, 150, 50};
constexpr Rgb HeroColour{20, 40, 220};
constexpr Rgb Black{0, 0, 0};
constexpr Rgb White{255, 255, 255};
constexpr int Layer = 7;

class MapView : public ::testing::Test {
protected:
    void SetUp() override {
        trig.build();
        screen.setMode(640, 480);
        shell.screenWidth = 640, shell.screenHeight = 480;
        shell.SX = 100, shell.SY = 50, shell.SZ = Layer;
        solidPicture(pictures, 119, FloorColour);
        solidPicture(pictures, 111, RockColour);
        solidPicture(pictures, RoadPicture, RoadColour);
        solidPicture(pictures, 849, HeroColour, true);
        units.selectedUnit = 0; // the units alone; the path tests select one
    }
    UnitRecord& place(int i, int x, int y) {
        UnitRecord& u = units[i];
        u.active = 1;
        u.side = 1;
        u.x = uint16_t(x);
        u.y = uint16_t(y);
        u.z = Layer;
        u.spriteId = 849;
        u.hitPoints = u.maxHitPoints = 24.0f;
        return u;
    }
    Rgb at(int x, int y) const {
        const uint8_t* p = screen.framebuffer.data() + (size_t(y) * 640 + size_t(x)) * 4;
        return {p[0], p[1], p[2]};
    }
    // Colour in the middle of the right half of cell (i, j) of the screen.
    Rgb cellAt(int i, int j) const { return at(16 * i + 12, 16 * j + 8); }
    void draw() {
        screen.clearFramebuffer();
        drawMapView(screen, text, pictures, *map, units, *finder, trig, shell);
    }

    Screen screen;
    TrigTables trig;
    TextBuffer text;
    BitmapCatalogue pictures;
    std::unique_ptr<WorldMap> map = std::make_unique<WorldMap>();
    Units units;
    std::unique_ptr<PathFinder> finder = std::make_unique<PathFinder>();
    Shell shell;
};

TEST_F(MapView, TilesFollowTheCodesAndCodesWithoutOneStayCleared) {
    map->setCell(100, 50, Layer, Cell::Floor);
    map->setCell(101, 50, Layer, Cell::Rock);
    map->setCell(102, 50, Layer, Cell::TemplateMark);
    map->setCell(139, 79, Layer, Cell::Floor); // top-right cell of the view
    draw();
    EXPECT_EQ(cellAt(0, 0), FloorColour);
    EXPECT_EQ(cellAt(1, 0), RockColour);
    EXPECT_EQ(cellAt(2, 0), Black);
    EXPECT_EQ(cellAt(39, 29), FloorColour) << "rows grow upward from the bottom";
}

TEST_F(MapView, SelectedUnitShowsRemainingPathCircleAndMarker) {
    units.selectedUnit = 1;
    place(1, 120, 60);
    for (size_t k = 0; k < 4; ++k) // from the goal (124, 60) back to (121, 60)
        finder->pathX[1000 + k] = int(124 - k), finder->pathY[1000 + k] = 60;
    finder->pathStep[1] = 2; // entry 3 already walked
    draw();
    EXPECT_EQ(cellAt(24, 10), RoadColour) << "goal";
    EXPECT_EQ(cellAt(22, 10), RoadColour);
    EXPECT_EQ(cellAt(21, 10), Black) << "walked entries are not drawn";
    // The sprite covers the marker's right half; its left half is transparent.
    EXPECT_EQ(cellAt(20, 10), HeroColour);
    EXPECT_EQ(at(16 * 20 + 3, 16 * 10 + 8), RoadColour);
    finder->pathStep[1] = PathNone;
    draw();
    EXPECT_EQ(cellAt(24, 10), Black);
    finder->pathStep[1] = 0;
    draw();
    EXPECT_TRUE(cellAt(24, 10) == RoadColour && cellAt(22, 10) == Black) << "step 0 marks only the goal";
}

// The label is drawn last, one row above the bar, and its glyphs reach down
// onto the bar's row: a bar pixel is its colour or the label's white.
TEST_F(MapView, HealthBarColoursAndLengths) {
    place(2, 100, 50);
    constexpr Rgb Green{0, 255, 0}, Red{255, 0, 0}, Purple{96, 44, 136};
    struct Segment { int from, to; Rgb colour; };
    const struct { float hitPoints; uint8_t condition; std::vector<Segment> segments; } cases[] = {
        {12.0f, 0, {{0, 7, Green}, {8, 14, Red}}}, {0.0f, 0, {{1, 14, Red}}},
        {12.0f, 3, {{0, 7, Purple}}},              {12.0f, 1, {{0, 7, Purple}}},
        {12.0f, 2, {{0, 14, Red}}},                {48.0f, 0, {{15, 28, Green}}}, // twice as long
    };
    for (const auto& c : cases) {
        units[2].hitPoints = c.hitPoints;
        units[2].condition = c.condition;
        draw();
        for (const Segment& seg : c.segments) {
            int seen = 0;
            for (int x = seg.from; x <= seg.to; ++x) {
                const Rgb got = at(x, 16);
                EXPECT_TRUE(got == seg.colour || got == White) << c.hitPoints << " column " << x;
                seen += got == seg.colour;
            }
            EXPECT_GT(seen, 0) << c.hitPoints << " " << int(c.condition) << ": " << seg.from;
        }
    }
}

TEST_F(MapView, OnlyLivingUnitsOfKnownSidesInsideTheViewAreDrawn) {
    place(2, 139, 50);                  // last column: drawn
    place(3, 140, 50);                  // one past: not drawn (and not wrapped)
    place(4, 105, 50).side = 0;
    place(5, 106, 50).dead = 1;
    place(6, 107, 50).active = 2;
    place(7, 108, 50).z = Layer + 1;
    place(8, 109, 50).side = 9;
    place(9, 100, 79);
    draw();
    EXPECT_EQ(cellAt(39, 0), HeroColour);
    for (int i : {5, 6, 7, 8}) EXPECT_EQ(cellAt(i, 0), Black) << i;
    EXPECT_EQ(cellAt(9, 0), HeroColour);
    EXPECT_EQ(cellAt(0, 29), HeroColour);
}

// Path steps and a selection the finder and the game never write draw
// inside their tables (hostile unit records are the fuzz target's).
TEST_F(MapView, OutOfRangeStepsAndSelectionDrawSafely) {
    units.selectedUnit = 1;
    place(1, 110, 55);
    finder->pathStep[1] = 2147483647;
    draw();
    units.selectedUnit = 5000;
    draw();
    EXPECT_EQ(cellAt(10, 5), HeroColour);
}

// A unit's picture covers at most 4 x 4 cells from its own, however large
// the picture it names; a 16-pixel picture is drawn whole as before.
TEST_F(MapView, AUnitPictureCoversAtMostFourCellsEachWay) {
    BitmapEntry& big = pictures[1000];
    big.width = 320;
    big.height = 240;
    big.bytesPerPixel = 3;
    big.pixels.assign(size_t(320) * 240 * 3, 77);
    place(2, 102, 52).spriteId = 1000;
    draw();
    for (auto [x, y] : {std::pair{32, 32}, {32 + 63, 32 + 12}, {32 + 12, 32 + 63}})
        EXPECT_EQ(at(x, y), (Rgb{77, 77, 77})) << x << "," << y;
    for (auto [x, y] : {std::pair{32 + 64, 32 + 12}, {32 + 12, 32 + 64}, {300, 200}})
        EXPECT_EQ(at(x, y), Black) << x << "," << y;
}

// Of the units on one cell, the last 32 drawn are shown: the frame is the
// one drawn without the units before them, and a cell with 32 shows all.
TEST_F(MapView, OneCellDrawsItsLastThirtyTwoUnits) {
    // Half-transparent pictures and labels of different lengths: every unit drawn leaves a trace.
    for (int i = 1; i <= 40; ++i) place(i * 70, 103, 53);
    place(3000 - 1, 104, 53); // a neighbour stays drawn
    draw();
    const std::vector<uint8_t> crowded = screen.framebuffer;
    for (int i = 1; i <= 8; ++i) units[i * 70].active = 0;
    draw();
    EXPECT_TRUE(screen.framebuffer == crowded) << "the first 8 of 40 are not drawn";
    units[9 * 70].active = 0;
    draw();
    EXPECT_FALSE(screen.framebuffer == crowded) << "with 31 left, each is drawn";
}

} // namespace
} // namespace delve
