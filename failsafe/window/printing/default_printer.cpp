// The lumo-print.so module: the default printer through QtPrintSupport,
// nothing else, so that QtPrintSupport is loaded only with it.

#include <QPrinter>
#include <QPrinterInfo>

#include "failsafe/window/printer_module.h"

using lumo::failsafe::PrintOutcome;
using lumo::failsafe::window::LinePrinter;

extern "C" __attribute__((visibility("default"))) void lumo_print_on_default_printer(
    const std::vector<std::string>& lines, LinePrinter* printLines, PrintOutcome& outcome) {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        outcome = PrintOutcome::NoPrinter;
        return;
    }
    QPrinter device(printer);
    device.setDocName(QString::fromStdString(lines.empty() ? std::string() : lines.front()));
    outcome = printLines(device, lines) ? PrintOutcome::Printed : PrintOutcome::Failed;
}

extern "C" __attribute__((visibility("default"))) void lumo_default_printer_name(std::string& name) {
    name = QPrinterInfo::defaultPrinterName().toStdString();
}
