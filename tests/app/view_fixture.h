#pragma once
// A headless GL scene for the view tests: the game's own offscreen window
// layer, the fixed GL state and projection, a 64 x 64 checker texture in
// catalogue entry 1201, and an empty world with the hero on layer 10.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "platform/shell.h"
#include "tests/hero_fixture.h"
#include "app/window.h"
#include "gfx/bitmap.h"
#include "gfx/framebuffer.h"
#include "gfx/renderers/renderers.h"
#include "platform/input.h"
#include "platform/backends/backends.h"
#include "units/unit_record.h"
#include "views/first_person.h"
#include "world/world_map.h"

namespace delve::test {

// The two texel colours of the test texture.
constexpr std::array<uint8_t, 3> TexelA = {200, 120, 60};
constexpr std::array<uint8_t, 3> TexelB = {90, 90, 100};

struct ViewScene {
    std::unique_ptr<Platform> platform = makeHeadlessPlatform();
    std::unique_ptr<Renderer> renderer = makeFixedFunctionRenderer();
    BitmapCatalogue catalogue;
    Screen screen;
    std::unique_ptr<WorldMap> world = std::make_unique<WorldMap>();
    std::unique_ptr<Units> units = std::make_unique<Units>();
    Shell shell;
    Input input{*platform};
    FirstPersonView view;
    bool glReady = false;

    ViewScene() {
        BitmapEntry& e = catalogue[1201]; // 8 x 8 checks of the two texels
        e.width = e.height = 64;
        e.bytesPerPixel = 3;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const auto& c = ((x / 8 + y / 8) % 2) ? TexelA : TexelB;
                e.pixels.insert(e.pixels.end(), c.begin(), c.end());
            }
        glReady = createWindowAndContext(*platform, *renderer, catalogue, "GAME", 640, 480) == 1;
        screen.setMode(320, 240);
        test::standHero(hero1(), shell, 100, 100, 10);
        // Heading 0, pitch -90: looking level, toward lower row numbers.
        input.setCursor(10, 90);
        view.walk.cameraYaw = 0.0f;
        view.walk.cameraPitch = -90.0f;
        view.renderer = renderer.get();
    }

    UnitRecord& hero1() { return (*units)[1]; }

    void fillBox(int x0, int y0, int z0, int x1, int y1, int z1, uint8_t code) {
        for (int z = z0; z <= z1; ++z)
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x)
                    world->setCell(x, y, z, code);
    }

    // One game frame of the view: clear as the frame loop does, then draw.
    void frame() {
        beginFrame(*platform, *renderer, screen);
        drawFirstPersonView(view, screen, catalogue, *world, *units, shell);
        updateHero(view.walk, *world, hero1(), shell, input);
        mouseLook(view.walk, shell, input);
    }

    // Calls f(x, y, rgba) for every framebuffer pixel.
    template <class F> void eachPixel(F f) const {
        for (int y = 0; y < screen.height; ++y)
            for (int x = 0; x < screen.width; ++x)
                f(x, y, &screen.framebuffer[size_t((y * screen.width + x) * 4)]);
    }
    // Framebuffer pixels the view wrote (alpha 255).
    int drawnPixels() const {
        int n = 0;
        eachPixel([&](int, int, const uint8_t* p) { n += p[3] == 255; });
        return n;
    }
    // Of those, the ones that are neither texel colour.
    int foreignPixels() const {
        int n = 0;
        eachPixel([&](int, int, const uint8_t* p) {
            n += p[3] == 255 && !std::equal(p, p + 3, TexelA.begin()) &&
                 !std::equal(p, p + 3, TexelB.begin());
        });
        return n;
    }
};

} // namespace delve::test
