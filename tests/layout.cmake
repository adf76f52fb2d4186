# Every window of both programs, judged by its geometry. The test program lives in a folder of its own, which it
# lays out as the conversion program's folder (language files, Ostrel.ini) case by case; it carries the programs'
# icons and manifest, so its windows are built with the same common controls as the programs'.
ostrel_test(layout LIBS ostrel_app ostrel_installer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/layout/Layout.rc
            DEPENDS Ostrel Ostrel_Setup)
set_target_properties(test_layout PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/layout-program)
ostrel_program_manifest(test_layout Ostrel)
