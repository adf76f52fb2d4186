# The post-processing runs the real stand-ins: MAPI32.DLL beside the test program (loaded by name), pdftk.exe in a
# program folder the test makes, and a recording reader program.
add_executable(post_reader_stub ${CMAKE_CURRENT_SOURCE_DIR}/post/stub/ReaderStub.c)
target_link_libraries(post_reader_stub PRIVATE ostrel_options)
set_target_properties(post_reader_stub PROPERTIES OUTPUT_NAME "reader_stub" RUNTIME_OUTPUT_DIRECTORY
                                                  ${CMAKE_CURRENT_BINARY_DIR}/post)
if(TARGET pdftk_bridge)
    ostrel_test(post LIBS ostrel_app DEPENDS mapi32 post_reader_stub pdftk_bridge)
else()
    ostrel_test(post LIBS ostrel_app DEPENDS mapi32 post_reader_stub)
endif()
add_custom_command(TARGET test_post POST_BUILD COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:mapi32>
                   $<TARGET_FILE_DIR:test_post>/MAPI32.DLL)
