// Writes docs/interface.md from the operation table.
#include <cstdio>

#include "automation/interface_doc.h"

int main() {
    std::fputs(lumo::automation::interfaceMarkdown().c_str(), stdout);
    return 0;
}
