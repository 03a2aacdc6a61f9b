// SelectPlaylists through Invoke, as a scripting host calls it: without a
// display (offscreen counts as none) the dialog answers as closed; with one,
// the user's choice in the real window comes back in the eight by-reference
// arguments.
#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include "automation/selection_dialog.h"
#include "dialogs/qt_application.h"
#include "dialogs/sel_playlist_dialog.h"
#include "platform/user_settings.h"
#include "tests/automation/automation_fixture.h"
#include "tests/failsafe/test_support.h"

namespace lumo::automation::testing {
namespace {

class SelectPlaylists : public AutomationTest {
protected:
    std::shared_ptr<failsafe::testing::ScriptedUserInterface> ui =
        std::make_shared<failsafe::testing::ScriptedUserInterface>();

    void SetUp() override {
        AutomationTest::SetUp();
        // This process plays a headless host, then one offscreen, then one
        // with a display. On a session bus the media keys would give the
        // headless part an application object without widgets that the
        // later parts cannot replace, which no real host meets.
        platform::writeSetting("LUMO Player", "Desktop", "MediaKeys", "0");
        platform::simulated::ItemScript item;
        item.name = "one";
        scenario.playlists = {{"Jazz", false, {item}}, {"Evening", true, {item}}};
    }
    void TearDown() override {
        // The rest of this process runs without a display again.
        dialogs::releaseSelectionWindow();
        dialogs::setWindowsAnsweredByProgram(false);
        delete QCoreApplication::instance();
        failsafe::framework().setUserInterface(std::make_shared<failsafe::HeadlessUserInterface>());
        AutomationTest::TearDown();
    }
    // The eight arguments after the call, as the host sees them.
    std::vector<Variant> call() {
        std::vector<Variant> args{Variant(5),  Variant("in"), Variant(5), Variant("in"),
                                  Variant("in"), Variant("in"), Variant(5), Variant::boolean(true)};
        EXPECT_EQ(invoke("SelectPlaylists", dispatch::Method, args), hr::S_OK);
        return args;
    }
};

TEST_F(SelectPlaylists, HandsBackTheDialogsEightValuesWithOrWithoutADisplay) {
    create();
    failsafe::framework().setUserInterface(ui);
    const std::vector<Variant> closed = {Variant(-1), Variant(""), Variant(0), Variant(""),
                                         Variant(""), Variant(""), Variant(1), Variant::boolean(true)};
    const std::string why = "No display to show the playlist selection on: answered as closed by the user";
    EXPECT_EQ(call(), closed);
    const size_t firstWhy = errorLog().find(why);
    ASSERT_NE(firstWhy, std::string::npos);

    // Offscreen nobody could answer the window either: the same answer and
    // log line, and no application object.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    EXPECT_EQ(call(), closed);
    EXPECT_NE(errorLog().find(why, firstWhy + why.size()), std::string::npos);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);

    // This test answers the window itself.
    dialogs::setWindowsAnsweredByProgram(true);
    QTimer::singleShot(0, [] {
        auto* window = qobject_cast<dialogs::SelPlaylistDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(window) << "the dialog is not open";
        window->findChild<QTabBar*>()->setCurrentIndex(dialogs::frmSelPlaylist::tabAuto);
        auto* list = window->findChild<QTreeWidget*>("lvAuto");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        list->setCurrentItem(list->topLevelItem(0));
        window->findChild<QPushButton*>("cmdOK")->click();
    });
    ui->answers = {failsafe::box::Yes};
    const std::vector<Variant> chosen = call();
    EXPECT_EQ(chosen, (std::vector<Variant>{Variant(1), Variant("Evening"), Variant(0), Variant(""), Variant(""),
                                            Variant(""), Variant(1), Variant::boolean(false)}));
    ASSERT_FALSE(ui->boxes.empty()) << "nobody was asked to confirm the choice";
    EXPECT_EQ(ui->boxes.back().text, "Use playlist 'Evening' ?");
}

}  // namespace
}  // namespace lumo::automation::testing
