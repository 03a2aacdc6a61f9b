// The saved window rectangle: what is applied, what is refused, what a failed
// move does, and how the values are written.
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/form_settings.h"
#include "platform/user_settings.h"
#include "tests/failsafe/test_support.h"

namespace lumo::common {
namespace {

struct Window final : FormWindow {
    double left = 100, top = 200, width = 3000, height = 4000;
    int moves = 0;
    bool refuse = false;
    double Left() const override { return left; }
    double Top() const override { return top; }
    double Width() const override { return width; }
    double Height() const override { return height; }
    void Move(double l, double t, double w, double h) override {
        ++moves;
        if (refuse && moves == 1) throw std::runtime_error("refused");
        left = l, top = t, width = w, height = h;
    }
};

class FormSettings : public failsafe::testing::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    }
    static void store(const char* left, const char* top, const char* height, const char* width) {
        std::filesystem::remove(platform::settingsFileOf("LUMO Audio"));
        for (const auto& [key, value] : {std::pair{"Left", left}, {"Top", top}, {"Height", height}, {"Width", width}})
            if (value) platform::writeSetting("LUMO Audio", "Settings", key, value);
    }
};

TEST_F(FormSettings, OnlyFourNumbersThatAreNotNegativeMoveTheWindow) {
    struct Case {
        const char *left, *top, *height, *width;
        bool applied;
    };
    const std::vector<Case> cases = {
        {nullptr, nullptr, nullptr, nullptr, false},  // first run
        {"1785", "0", "6960", "13680", true},
        {"-1200", "10", "10", "10", false},
        {"10", "10", "10", "abc", false},
        {"10", "", "10", "10", false},
        {"10", "10", "10", nullptr, false},
        {"500000", "400000", "10", "10", true},  // off every screen: applied as saved
        {" 12 ", "1e3", "7.5", "0", true},
    };
    for (const Case& c : cases) {
        store(c.left, c.top, c.height, c.width);
        Window window;
        RestoreFormSettings(window);
        EXPECT_EQ(window.moves, c.applied ? 1 : 0) << (c.left ? c.left : "<missing>");
        if (!c.applied) continue;
        EXPECT_EQ(window.left, std::stod(c.left));
        EXPECT_EQ(window.top, std::stod(c.top));
        EXPECT_EQ(window.height, std::stod(c.height)) << "width and height are not swapped";
        EXPECT_EQ(window.width, std::stod(c.width));
    }
}

TEST_F(FormSettings, AFailedMovePutsTheWindowBackAndSavingWritesShortNumbers) {
    store("1", "2", "3", "4");
    Window window;
    window.refuse = true;
    RestoreFormSettings(window);
    EXPECT_EQ(window.moves, 2);
    EXPECT_EQ(window.left, 100);
    EXPECT_EQ(window.height, 4000);
    EXPECT_TRUE(ui->boxes.empty()) << "nothing is reported";

    window.left = 1785;
    window.top = 0.5;
    SaveFormSettings(window);
    const auto saved = [](const char* key) { return platform::readSetting("LUMO Audio", "Settings", key); };
    EXPECT_EQ(saved("Left"), "1785");
    EXPECT_EQ(saved("Top"), "0.5");
    EXPECT_EQ(saved("Height"), "4000");
    EXPECT_EQ(saved("Width"), "3000");
}

}  // namespace
}  // namespace lumo::common
