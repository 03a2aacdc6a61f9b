// :sleep and :wait let Qt's pending events run while they wait, once the
// library has made an application (it does for the desktop's media
// controls): a desktop's call can change what the script reads next.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <sstream>

#include "host/script_runner.h"
#include "tests/host/fake_object.h"

namespace lumo::host {
namespace {

TEST(ScriptRunnerEvents, SleepAndWaitRunTheApplicationsEventsWhileTheyWait) {
    testing::FakeObject fake;
    std::ostringstream out;
    ScriptRunner runner{RunnerSetup{
        "Fake.Object",
        [&fake](std::string_view) {
            fake.AddRef();
            return CreatedObject{ComPtr<IDispatch>::attach(&fake), hr::S_OK, ""};
        },
        [](const std::string&) -> std::optional<std::filesystem::path> { return std::nullopt; }, &out}};
    static int argc = 1;
    static char name[] = "host_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);  // as the library makes one

    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    ASSERT_TRUE(runner.run(Sleep{1}, nullptr));
    EXPECT_TRUE(ran) << ":sleep left the event waiting";

    // The value arrives as an event while the script waits for it.
    QTimer::singleShot(0, [&fake] { fake.volume = 77; });
    ASSERT_TRUE(runner.run(Wait{"Volume", Variant(77), 5000, "Volume=77"}, nullptr));
    EXPECT_NE(out.str().find(R"({"wait": "Volume=77", "ok": true)"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace lumo::host
