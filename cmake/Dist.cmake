# The shipped folder: build/<preset>/dist holds exactly what a user gets, laid out anew by every build (target
# "dist"), and the packaging target ("package", CPack ZIP) turns that folder into Ostrel-<version>-win32.zip or
# -win64.zip. The tests of the installer and scripts/run.sh take their programs from this folder.
set(OSTREL_DIST_DIR ${CMAKE_BINARY_DIR}/dist)

# The short manual is written in PostScript and made into the PDF that both programs open by name.
find_program(OSTREL_HOST_GS gs REQUIRED)
set(ostrel_guide_pdf ${CMAKE_BINARY_DIR}/docs/Kurzanleitung.pdf)
add_custom_command(
    OUTPUT ${ostrel_guide_pdf}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/docs
    COMMAND ${OSTREL_HOST_GS} -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile=${ostrel_guide_pdf}
            ${CMAKE_SOURCE_DIR}/docs/Kurzanleitung.ps
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/Kurzanleitung.ps
    COMMENT "Making Kurzanleitung.pdf"
    VERBATIM)

set(ostrel_dist_files
    $<TARGET_FILE:Ostrel>
    $<TARGET_FILE:Ostrel_Setup>
    $<TARGET_FILE:unzdll>
    ${CMAKE_SOURCE_DIR}/lang/Deutsch.plf
    ${CMAKE_SOURCE_DIR}/lang/English.plf
    ${CMAKE_SOURCE_DIR}/docs/Ostrel-Setup_Anleitung.rtf
    ${ostrel_guide_pdf})

# Emptied first, so that nothing a former build left behind is shipped.
add_custom_target(dist ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${OSTREL_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OSTREL_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${ostrel_dist_files} ${OSTREL_DIST_DIR}
    DEPENDS Ostrel Ostrel_Setup unzdll ${ostrel_guide_pdf} ${CMAKE_SOURCE_DIR}/docs/Ostrel-Setup_Anleitung.rtf
    COMMENT "Laying out ${OSTREL_DIST_DIR}"
    VERBATIM)

install(DIRECTORY ${OSTREL_DIST_DIR}/ DESTINATION .)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(ostrel_arch win64)
else()
    set(ostrel_arch win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Ostrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Ostrel-${PROJECT_VERSION}-${ostrel_arch})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
