// The saved window rectangle: what is applied, what is refused, what a failed
// move does, and how the values are written.
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
        if (++moves == 1 && refuse) throw std::runtime_error("refused");
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

TEST_F(FormSettings, AFailedMovePutsTheWindowBackAndSavingWritesShortNumbers) {
    for (const char* key : {"Left", "Top", "Height", "Width"}) platform::writeSetting("LUMO Audio", "Settings", key, "1");
    Window window;
    window.refuse = true;
    RestoreFormSettings(window);
    EXPECT_EQ(window.moves, 2);
    EXPECT_EQ(window.left + window.height, 4100);
    EXPECT_TRUE(ui->boxes.empty()) << "nothing is reported";
    window.left = 1785;
    window.top = 0.5;
    SaveFormSettings(window);
    std::string saved;
    for (const char* key : {"Left", "Top", "Height", "Width"}) saved += platform::readSetting("LUMO Audio", "Settings", key).value_or("?") + " ";
    EXPECT_EQ(saved, "1785 0.5 4000 3000 ");
}

}  // namespace
}  // namespace lumo::common
