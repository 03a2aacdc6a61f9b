#include "failsafe/messages.h"

namespace lumo::failsafe {

std::string_view fixedMessage(int number) {
    switch (number) {
        case 16: return " error";
        case 19: return "Module    ";
        case 23: return "generated error";
        case 24: return " - Internal Error Handler";
        case 25: return "An internal error ";
        case 26: return " has occurred in module FAILSAFE, procedure pfErr(), line ";
        case 27: return "Error Information";
        case 28: return "Call Tree & Arguments";
        case 29: return "System State Information";
        case 30: return "Procedure";
        case 32: return "FailSafe : Program START";
        case 34: return "Program Error Intercepted";
        case 35: return "Line Number ";
        case 36: return "Error No. ";
        case 37: return "Description ";
        case 38: return "Category ";
        case 42: return "&Continue";
        case 44: return "&Break to";
        case 48: return "Procedure is unbalanced or contains calls to unbalanced routines. ";
        case 49: return "'fsPOP()' was called without 'fsPUSH()'. ";
        case 50: return "Choose OK to break into the debugger at this point.";
        case 51: return "Choose CANCEL to continue with program.";
        case 53: return "FSVB100";
        case 61: return "Source ";
        default: return {};
    }
}

}  // namespace lumo::failsafe
