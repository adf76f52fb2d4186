ostrel_test(mail LIBS ostrel_app DEPENDS mapi32)
# The program loads "MAPI32.DLL" by name, so the stand-in goes where the product keeps it: beside the program.
add_custom_command(TARGET test_mail POST_BUILD COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:mapi32>
                   $<TARGET_FILE_DIR:test_mail>/MAPI32.DLL)
