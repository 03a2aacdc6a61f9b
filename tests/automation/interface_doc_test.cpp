// docs/interface.md is the operation table written out; when an operation
// changes, the file must change with it.

#include <gtest/gtest.h>

#include "automation/interface_doc.h"
#include "tests/failsafe/test_support.h"

namespace lumo::automation {
namespace {

TEST(InterfaceDocumentation, MatchesTheOperationTable) {
    EXPECT_EQ(lumo::testing::bytesOf(LUMO_SOURCE_DIR "/docs/interface.md"), interfaceMarkdown())
        << "regenerate with: build/automation/lumo-interface-doc > docs/interface.md";
}

}  // namespace
}  // namespace lumo::automation
