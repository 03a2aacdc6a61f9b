#pragma once
// Qt's printing support is used in a module of its own, lumo-print.so, loaded
// when the error window first prints or the system report first asks for
// the default printer: linked, QtPrintSupport costs every host 0.3 MB of
// resident memory for a window most never see.

#include <QPagedPaintDevice>

#include <string>
#include <vector>

#include "failsafe/errors/error_window_state.h"

namespace lumo::failsafe::window {

using LinePrinter = bool(QPagedPaintDevice& printer, const std::vector<std::string>& lines);

// The module's entry points, by these names.
inline constexpr const char* PrintEntry = "lumo_print_on_default_printer";
using PrintFunction = void(const std::vector<std::string>& lines, LinePrinter* printLines, PrintOutcome& outcome);
inline constexpr const char* DefaultPrinterEntry = "lumo_default_printer_name";
using DefaultPrinterFunction = void(std::string& name);

// Through the module; without it printing fails and no printer is named.
PrintOutcome printOnDefaultPrinter(const std::vector<std::string>& lines);
std::string defaultPrinterName();

}  // namespace lumo::failsafe::window
