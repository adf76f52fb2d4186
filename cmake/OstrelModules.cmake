# Helpers shared by the folders' CMakeLists.

# ostrel_library(NAME <target> DIRS <folders relative to the source root> [EXCLUDE <files>] [SEES <folders>]
#                [LIBS <targets>])
# One static library from every .cpp of the named folders. Globbing keeps a new module to one new file pair.
# Its include path is a view (OstrelLayers.cmake) of its own folders and the lower layers named by SEES, so it cannot
# include a layer above it; what links it sees the same view.
function(ostrel_library)
    cmake_parse_arguments(ARG "" "NAME" "DIRS;EXCLUDE;SEES;LIBS" ${ARGN})
    set(sources)
    foreach(dir ${ARG_DIRS})
        file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
        list(APPEND sources ${found})
    endforeach()
    foreach(ex ${ARG_EXCLUDE})
        list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/${ex})
    endforeach()
    ostrel_include_view(view ${ARG_NAME} ${ARG_SEES} ${ARG_DIRS})
    if(sources)
        add_library(${ARG_NAME} STATIC ${sources})
        target_include_directories(${ARG_NAME} PUBLIC ${view})
        target_link_libraries(${ARG_NAME} PUBLIC ostrel_flags ${ARG_LIBS})
    else()
        # Nothing written in these folders yet: a target that still carries the links.
        add_library(${ARG_NAME} INTERFACE)
        target_include_directories(${ARG_NAME} INTERFACE ${view})
        target_link_libraries(${ARG_NAME} INTERFACE ostrel_flags ${ARG_LIBS})
    endif()
endfunction()


# ostrel_program_manifest(<target> <name>)
# Writes the application manifest of a program for the architecture being built (<name>.exe.manifest in the
# target's binary folder) and lets the target's resource script find it and the script's own folder's files.
function(ostrel_program_manifest target name)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "64")
        set(OSTREL_MANIFEST_ARCH amd64)
    else()
        set(OSTREL_MANIFEST_ARCH x86)
    endif()
    set(OSTREL_MANIFEST_NAME ${name})
    configure_file(${CMAKE_SOURCE_DIR}/cmake/program.manifest.in ${CMAKE_CURRENT_BINARY_DIR}/${name}.exe.manifest
                   @ONLY)
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
