#pragma once
// Where a statement is in the source, as std::source_location tells it.
// libstdc++ builds its std::source_location on a compiler builtin that clang
// has only from version 15 on; with an older clang (the fuzz build) the same
// comes from the builtins it has, which also take the caller's place when
// used in a default argument.

#include <cstdint>
#include <version>

#ifdef __cpp_lib_source_location
#include <source_location>
#endif

namespace lumo::failsafe {

#ifdef __cpp_lib_source_location
using SourceLocation = std::source_location;
#else
class SourceLocation {
public:
    static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                            const char* function = __builtin_FUNCTION(),
                                            uint_least32_t line = __builtin_LINE(),
                                            uint_least32_t column = __builtin_COLUMN()) noexcept {
        SourceLocation here;
        here.file_ = file;
        here.function_ = function;
        here.line_ = line;
        here.column_ = column;
        return here;
    }
    constexpr uint_least32_t line() const noexcept { return line_; }
    constexpr uint_least32_t column() const noexcept { return column_; }
    constexpr const char* file_name() const noexcept { return file_; }
    constexpr const char* function_name() const noexcept { return function_; }

private:
    const char* file_ = "";
    const char* function_ = "";
    uint_least32_t line_ = 0;
    uint_least32_t column_ = 0;
};
#endif

}  // namespace lumo::failsafe
