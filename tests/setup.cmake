# The set-up window against stand-ins for the outside programs: a Ghostscript installer that writes its registry
# value, the port monitor's set-up program and a recording rundll32, built here with the cross compiler and put into
# setup-standins/ where the test copies them from. What a user gets beside the installer (UNZDLL.DLL, the manuals)
# comes from the build's dist folder. The test program lives in a folder of its own: no UNZDLL.DLL beside it may
# stand in for one the installation lacks.
ostrel_test(setup LIBS ostrel_installer DEPENDS dist)
set_target_properties(test_setup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/setup-bin)
find_library(OSTREL_STATIC_ZLIB NAMES libz.a REQUIRED)
target_link_libraries(test_setup PRIVATE ${OSTREL_STATIC_ZLIB})
set(setup_standin_dir ${CMAKE_CURRENT_BINARY_DIR}/setup-standins)
foreach(role gs854w32:1 setup:2 rundll32:3)
    string(REPLACE ":" ";" parts ${role})
    list(GET parts 0 name)
    list(GET parts 1 number)
    add_executable(setup_standin_${name} ${CMAKE_CURRENT_SOURCE_DIR}/setup/standins/StandIn.cpp)
    target_link_libraries(setup_standin_${name} PRIVATE ostrel_options)
    target_compile_definitions(setup_standin_${name} PRIVATE STANDIN_ROLE=${number})
    target_link_options(setup_standin_${name} PRIVATE -municode)
    set_target_properties(setup_standin_${name} PROPERTIES OUTPUT_NAME ${name}
                                                           RUNTIME_OUTPUT_DIRECTORY ${setup_standin_dir})
    add_dependencies(test_setup setup_standin_${name})
endforeach()
