// docs/interface.md is the operation table written out; when an operation
// changes, the file must change with it.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "automation/interface_doc.h"

namespace lumo::automation {
namespace {

TEST(InterfaceDocumentation, MatchesTheOperationTable) {
    std::ifstream in(LUMO_SOURCE_DIR "/docs/interface.md");
    std::stringstream text;
    text << in.rdbuf();
    const std::string generated = interfaceMarkdown();
    EXPECT_EQ(text.str(), generated) << "regenerate with: build/automation/lumo-interface-doc > docs/interface.md";
    EXPECT_NE(generated.find("| 10 | `InitialisePL` | 10 | method | `sPromptedDrive` String ByRef, `nPlayListType` Long ByRef"),
              std::string::npos);
    EXPECT_NE(generated.find("| 19 | `Volume` | 18 | property assignment | `Volume` Long ByVal | none |"),
              std::string::npos);
}

}  // namespace
}  // namespace lumo::automation
