#pragma once
// The run-time error of the program: what failed (number, description), who
// raised it (source), where to read more (help file and context) and the line
// that raised it. Err() is the error state that the trap of a procedure reads,
// like the run time's error object of the classic desktop runtime.

#include <cstdint>
#include <exception>
#include <string>

#include "failsafe/source_location.h"

namespace lumo::failsafe {

namespace error {
inline constexpr int32_t InvalidProcedureCall = 5, Overflow = 6, OutOfMemory = 7, SubscriptOutOfRange = 9,
                         DivisionByZero = 11, TypeMismatch = 13, InternalError = 51, FileNotFound = 53,
                         PermissionDenied = 70, ObjectNotSet = 91;
}

class RuntimeError : public std::exception {
public:
    // An empty description takes the standard text of the number; an empty
    // source means the program itself.
    explicit RuntimeError(int32_t number, std::string description = {}, std::string source = {},
                          std::string helpFile = {}, int32_t helpContext = 0,
                          SourceLocation where = SourceLocation::current());

    int32_t number() const { return number_; }
    const std::string& description() const { return description_; }
    const std::string& source() const { return source_; }
    const std::string& helpFile() const { return helpFile_; }
    int32_t helpContext() const { return helpContext_; }
    const SourceLocation& where() const { return where_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    int32_t number_;
    std::string description_, source_, helpFile_;
    int32_t helpContext_;
    SourceLocation where_;
};

[[noreturn]] void raiseError(int32_t number, std::string description = {},
                             SourceLocation where = SourceLocation::current());

// Where an error was raised, as "player/playlist_activation.cpp:120" with the
// file relative to the source root; empty when it was not raised in the
// program's own code.
std::string originOf(const SourceLocation& where);

// The standard description of an error number.
std::string standardDescription(int32_t number);

// Any exception as the run-time error it stands for: a RuntimeError as it
// is, system errors by their errno, the standard library's errors by kind.
RuntimeError toRuntimeError(std::exception_ptr failure);

// The current error of the run time, set when a procedure's trap catches one.
struct ErrorState {
    int32_t number = 0;
    std::string description;
    std::string source;
    std::string helpFile;
    int32_t helpContext = 0;
    int32_t line = 0;  // the line of the failing statement, 0 when unknown
    std::string origin;  // file and line that raised it, see originOf

    void set(const RuntimeError& error, int32_t failingLine);
    void clear() { *this = ErrorState{}; }
};
ErrorState& Err();

}  // namespace lumo::failsafe
