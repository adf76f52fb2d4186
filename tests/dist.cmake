# The dist folder holds exactly what a user gets: checked by a CMake script, no Wine needed.
add_test(NAME dist COMMAND ${CMAKE_COMMAND} -DDIST=${CMAKE_BINARY_DIR}/dist -P
                           ${CMAKE_CURRENT_SOURCE_DIR}/dist/CheckDist.cmake)
