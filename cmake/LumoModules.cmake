# Modules the library loads the first time they are needed
# (failsafe/lazy_module.h): each is `<file name>.so` in LUMO_MODULE_DIR of the
# build tree and in <libdir>/lumo when installed, built whenever its owner is.

set(LUMO_MODULE_DIR "${CMAKE_BINARY_DIR}/lib/lumo")
set(LUMO_INSTALLED_MODULE_DIR "${CMAKE_INSTALL_FULL_LIBDIR}/lumo")

# lumo_add_lazy_module(<target> FILE <name> OWNER <target> SOURCES ... LIBS ...)
function(lumo_add_lazy_module target)
    cmake_parse_arguments(ARG "" "FILE;OWNER" "SOURCES;LIBS" ${ARGN})
    add_library(${target} MODULE ${ARG_SOURCES})
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME ${ARG_FILE} PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY "${LUMO_MODULE_DIR}"
        CXX_VISIBILITY_PRESET hidden)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS})
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
    add_dependencies(${ARG_OWNER} ${target})
    set_property(GLOBAL APPEND PROPERTY LUMO_LAZY_MODULES ${target})
endfunction()
