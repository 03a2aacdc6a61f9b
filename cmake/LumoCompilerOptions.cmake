# Compiler and linker flags shared by every target of the project.
# Only our own sources are compiled in this tree (third-party code comes
# from system packages), so the flags are set directory-wide.

add_compile_options(-Wall -Wextra -Werror)

if(LUMO_SANITIZE)
    message(STATUS "LUMO: building with AddressSanitizer + UndefinedBehaviorSanitizer")
    set(_lumo_sanitize_flags
        -fsanitize=address,undefined
        -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    add_compile_options(${_lumo_sanitize_flags})
    add_link_options(${_lumo_sanitize_flags})
    unset(_lumo_sanitize_flags)
endif()

# The leak checker alone: it finds leaks at exit without AddressSanitizer's
# shadow memory and quarantine, so resident memory stays what users see.
if(LUMO_LEAK_CHECK)
    message(STATUS "LUMO: building with LeakSanitizer")
    add_compile_options(-fsanitize=leak -fno-omit-frame-pointer)
    add_compile_definitions(LUMO_LEAK_CHECK)
    add_link_options(-fsanitize=leak)
endif()

# ThreadSanitizer (make test-tsan). It cannot be combined with the other
# sanitizers. GLib, GStreamer and Qt are not instrumented: .ci/tsan.supp says
# which of their reports are set aside and why.
if(LUMO_TSAN)
    if(LUMO_SANITIZE OR LUMO_LEAK_CHECK)
        message(FATAL_ERROR "LUMO_TSAN cannot be combined with LUMO_SANITIZE or LUMO_LEAK_CHECK")
    endif()
    message(STATUS "LUMO: building with ThreadSanitizer")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

# Line coverage for make coverage: unoptimised so that every line is counted
# where it stands; counters updated atomically, since the player's threads
# run the same lines at once (racing updates left negative counts gcovr
# cannot read).
if(LUMO_COVERAGE)
    message(STATUS "LUMO: building with gcov line coverage")
    add_compile_options(--coverage -O0 -fprofile-update=atomic)
    add_link_options(--coverage)
endif()
