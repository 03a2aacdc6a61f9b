#include "failsafe/window/printer_module.h"

#include "failsafe/lazy_module.h"
#include "failsafe/window/page_printer.h"

namespace lumo::failsafe::window {
namespace {

LazyModule& printing() {
    static LazyModule module("lumo-print.so");
    return module;
}

}  // namespace

PrintOutcome printOnDefaultPrinter(const std::vector<std::string>& lines) {
    static PrintFunction* const print = printing().function<PrintFunction>(PrintEntry);
    PrintOutcome outcome = PrintOutcome::Failed;
    if (print) print(lines, &printLines, outcome);
    return outcome;
}

std::string defaultPrinterName() {
    static DefaultPrinterFunction* const name = printing().function<DefaultPrinterFunction>(DefaultPrinterEntry);
    std::string found;
    if (name) name(found);
    return found;
}

}  // namespace lumo::failsafe::window
