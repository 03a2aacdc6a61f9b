// The display decision every window asks first, the position formatter, and
// the saved window rectangle: what is applied and what is refused.
#include <cmath>
#include <tuple>

#include "common/form_settings.h"
#include "common/formatting.h"
#include "common/qt_application.h"
#include "platform/user_settings.h"
#include "tests/failsafe/test_support.h"

namespace lumo::common {
namespace {

TEST(QtApplication, DisplayEnvironmentDecidesWhetherQtCanStartAndAUserCanAnswer) {
    const std::tuple<DisplayEnvironment, bool, bool> cases[] = {  // the environment, Qt starts, a user can answer
        {{"", "", "wayland-0", ""}, true, true},
        {{"xcb", "", "", ""}, false, false},  // Qt would abort: no X server named
        {{"wayland;xcb", ":0", "", ""}, true, true},  // Qt falls back along the list
        {{"wayland-egl;xcb", "", "", ""}, false, false},  // every wayland flavour needs a compositor
        {{"offscreen;xcb", ":0", "", ""}, true, false},   // the first that can start wins
        {{"linuxfb", "", "", ""}, true, true},  // draws on a real screen
        {{"Offscreen", "", "", ""}, true, false},  // draws into memory: nobody sees a window
        // An application object that exists tells its own platform.
        {{"", ":0", "", "minimal"}, true, false},
        {{"offscreen", "", "", "xcb"}, true, true},
    };
    for (const auto& [environment, starts, answered] : cases) {
        const std::string name = environment.qpaPlatform + "|" + environment.display + "|" +
                                 environment.waylandDisplay + "|" + environment.runningPlatform;
        EXPECT_EQ(displayAvailable(environment), starts) << name;
        EXPECT_EQ(userCanAnswer(environment), answered) << name;
    }
}

TEST(Formatting, PositionsRoundToWholeSeconds) {
    failsafe::ScopedFramework fs;
    const std::pair<double, std::string> positions[] = {{3725.2, "01:02:05"}, {360000, "100:00:00"}, {59.5, "00:01:00"},
        {58.5, "00:00:58"}, {-4, "00:00:00"}, {std::nan(""), "00:00:00"},
        {1e300, ""}};  // too large: the procedure leaves with no text
    for (const auto& [seconds, text] : positions) EXPECT_EQ(FormatPosition(seconds), text) << seconds;
}

struct Window final : FormWindow {
    double left = 100, top = 200, width = 3000, height = 4000;
    int moves = 0;
    double Left() const override { return left; }
    double Top() const override { return top; }
    double Width() const override { return width; }
    double Height() const override { return height; }
    void Move(double l, double t, double w, double h) override {
        ++moves;
        left = l, top = t, width = w, height = h;
    }
};

class FormSettings : public failsafe::testing::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    }
};

// Only four numbers that are not negative move the window, off every screen too.
TEST_F(FormSettings, OnlyFourNumbersThatAreNotNegativeMoveTheWindow) {
    const std::vector<std::vector<const char*>> cases = {  // left, top, height, width
        {nullptr, nullptr, nullptr, nullptr}, {"-1200", "10", "10", "10"}, {"10", "10", "10", "abc"},
        {"10", "", "10", "10"}, {"10", "10", "10", nullptr}, {"1785", "0", "6960", "13680"},
        {"500000", "400000", "10", "10"}, {" 12 ", "1e3", "7.5", "0"}};
    for (size_t n = 0; n < cases.size(); ++n) {
        std::filesystem::remove(platform::settingsFileOf("LUMO Audio"));
        for (size_t key = 0; key < 4; ++key)
            if (cases[n][key]) platform::writeSetting("LUMO Audio", "Settings", std::vector{"Left", "Top", "Height", "Width"}[key], cases[n][key]);
        Window window;
        RestoreFormSettings(window);
        const bool applied = n >= 5;
        ASSERT_EQ(window.moves, applied ? 1 : 0) << n;
        if (applied) {
            EXPECT_EQ(std::vector<double>({window.left, window.top, window.height, window.width}),
                      std::vector<double>({std::stod(cases[n][0]), std::stod(cases[n][1]), std::stod(cases[n][2]),
                                           std::stod(cases[n][3])}));
        }
    }
}

}  // namespace
}  // namespace lumo::common
