# The native build on the build machine: the window-free core with the host's compiler.
#   preset native: core and its tests under the address and undefined-behaviour sanitizers, run by CTest
#   preset fuzz:   core instrumented for coverage and the libFuzzer targets of tools/fuzz
option(OSTREL_FUZZ "Build the fuzz targets (clang) instead of the tests" OFF)

add_library(ostrel_flags INTERFACE)
target_compile_options(ostrel_flags INTERFACE -Wall -Wextra -Werror)

# Everything, googletest included, is built with the sanitizers: a container shared with an uninstrumented library
# would give false reports.
set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${sanitizers} -g)
add_link_options(-fsanitize=address,undefined)
if(OSTREL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "The fuzz targets need clang (libFuzzer): configure with the fuzz preset")
    endif()
    # Coverage feedback from every line of core, not only from the targets' own code.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

add_subdirectory(core)

if(OSTREL_FUZZ)
    add_subdirectory(tools/fuzz)
else()
    enable_testing()
    add_subdirectory(tests/core)
endif()
