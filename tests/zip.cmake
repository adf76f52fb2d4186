# The zip component loads "UNZDLL.DLL" beside the program; the refused versions go into sub-folders that the tests
# name through DLLDirectory (".\unzdll-v152", resolved against the program's folder).
ostrel_test(zip LIBS ostrel_installer)
find_library(OSTREL_STATIC_ZLIB NAMES libz.a REQUIRED)
target_link_libraries(test_zip PRIVATE ${OSTREL_STATIC_ZLIB})
# Copied whenever a library changes, not only when the test program is linked again.
set(zip_test_dlls ${CMAKE_CURRENT_BINARY_DIR}/UNZDLL.DLL)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/UNZDLL.DLL
                   COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:unzdll> ${CMAKE_CURRENT_BINARY_DIR}/UNZDLL.DLL
                   DEPENDS unzdll $<TARGET_FILE:unzdll>)
foreach(version 152 171 301)
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/unzdll-v${version}/UNZDLL.DLL)
    add_custom_command(OUTPUT ${copy}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/unzdll-v${version}
                       COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:unzdll_v${version}> ${copy}
                       DEPENDS unzdll_v${version} $<TARGET_FILE:unzdll_v${version}>)
    list(APPEND zip_test_dlls ${copy})
endforeach()
add_custom_target(test_zip_dlls DEPENDS ${zip_test_dlls})
add_dependencies(test_zip test_zip_dlls)
