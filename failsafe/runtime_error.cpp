#include "failsafe/runtime_error.h"

#include <cerrno>
#include <new>
#include <stdexcept>
#include <string_view>
#include <system_error>

#ifndef LUMO_SOURCE_ROOT
#define LUMO_SOURCE_ROOT ""
#endif

namespace lumo::failsafe {

RuntimeError::RuntimeError(int32_t number, std::string description, std::string source, std::string helpFile,
                           int32_t helpContext, SourceLocation where)
    : number_(number),
      description_(description.empty() ? standardDescription(number) : std::move(description)),
      source_(std::move(source)),
      helpFile_(std::move(helpFile)),
      helpContext_(helpContext),
      where_(where) {}

void raiseError(int32_t number, std::string description, SourceLocation where) {
    throw RuntimeError(number, std::move(description), {}, {}, 0, where);
}

std::string originOf(const SourceLocation& where) {
    constexpr std::string_view root = LUMO_SOURCE_ROOT;
    const std::string_view file = where.file_name();
    if (file.empty() || where.line() == 0) return {};
    // A file outside the source tree (a library's header) is not ours.
    if (file.front() == '/' && (root.empty() || !file.starts_with(root))) return {};
    const std::string_view relative = file.front() == '/' ? file.substr(root.size()) : file;
    return std::string(relative) + ":" + std::to_string(where.line());
}

std::string standardDescription(int32_t number) {
    switch (number) {
        case 3: return "Return without GoSub";
        case 5: return "Invalid procedure call or argument";
        case 6: return "Overflow";
        case 7: return "Out of memory";
        case 9: return "Subscript out of range";
        case 11: return "Division by zero";
        case 13: return "Type mismatch";
        case 28: return "Out of stack space";
        case 51: return "Internal error";
        case 52: return "Bad file name or number";
        case 53: return "File not found";
        case 55: return "File already open";
        case 57: return "Device I/O error";
        case 58: return "File already exists";
        case 61: return "Disk full";
        case 67: return "Too many files";
        case 68: return "Device unavailable";
        case 70: return "Permission denied";
        case 71: return "Disk not ready";
        case 75: return "Path/File access error";
        case 76: return "Path not found";
        case 91: return "Object variable or With block variable not set";
        case 424: return "Object required";
        case 438: return "Object doesn't support this property or method";
        case 440: return "Automation error";
        default: return "Application-defined or object-defined error";
    }
}

namespace {

int32_t numberOfErrno(int code) {
    switch (code) {
        case ENOENT: return 53;
        case ENOTDIR: return 76;
        case EACCES: case EPERM: case EROFS: return 70;
        case ENOSPC: case EDQUOT: return 61;
        case EEXIST: return 58;
        case EMFILE: case ENFILE: return 67;
        case EIO: return 57;
        case ENXIO: case ENODEV: case ENOMEDIUM: return 68;
        case ENOMEM: return 7;
        case EINVAL: return 5;
        case EISDIR: case EBUSY: case ETXTBSY: return 75;
        default: return 51;
    }
}

// An error that another exception stands for: raised at no place of ours.
RuntimeError converted(int32_t number, std::string description) {
    return RuntimeError(number, std::move(description), {}, {}, 0, SourceLocation{});
}

}  // namespace

RuntimeError toRuntimeError(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const RuntimeError& error) {
        return error;
    } catch (const std::system_error& error) {
        const bool isErrno = error.code().category() == std::generic_category() ||
                             error.code().category() == std::system_category();
        return converted(isErrno ? numberOfErrno(error.code().value()) : error::InternalError, error.what());
    } catch (const std::bad_alloc&) {
        return converted(error::OutOfMemory, {});
    } catch (const std::out_of_range& error) {
        return converted(error::SubscriptOutOfRange, error.what());
    } catch (const std::overflow_error& error) {
        return converted(error::Overflow, error.what());
    } catch (const std::invalid_argument& error) {
        return converted(error::InvalidProcedureCall, error.what());
    } catch (const std::exception& error) {
        return converted(error::InternalError, error.what());
    } catch (...) {
        return converted(error::InternalError, "An unknown exception");
    }
}

void ErrorState::set(const RuntimeError& error, int32_t failingLine) {
    number = error.number();
    description = error.description();
    source = error.source();
    helpFile = error.helpFile();
    helpContext = error.helpContext();
    line = failingLine;
    origin = originOf(error.where());
}

ErrorState& Err() {
    static ErrorState state;
    return state;
}

}  // namespace lumo::failsafe
