# Include views: a layer sees only itself and the layers below it.
#
# Every include names its layer ("core/ZipDirectory.h"), so an include path that holds the source root reaches every
# layer, the ones above included. A view is a folder in the build tree with one link per visible layer; a library
# whose only include path is its view cannot include a layer above it: the compiler does not find the file.

# ostrel_include_view(<variable> <name> <layer folders...>)
# Sets <variable> to the view folder <name> that shows the named folders of the source tree (a top-level folder, or
# one below it such as app/common, which then shows nothing else of its parent).
function(ostrel_include_view variable name)
    set(view ${CMAKE_BINARY_DIR}/include-views/${name})
    file(MAKE_DIRECTORY ${view})
    foreach(layer ${ARGN})
        set(target "")
        if(IS_SYMLINK ${view}/${layer})
            file(READ_SYMLINK ${view}/${layer} target)
        endif()
        # A link left by a source tree at another place is made again.
        if(NOT target STREQUAL ${CMAKE_SOURCE_DIR}/${layer})
            get_filename_component(parent ${view}/${layer} DIRECTORY)
            file(MAKE_DIRECTORY ${parent})
            file(REMOVE ${view}/${layer})
            file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${layer} ${view}/${layer} SYMBOLIC)
        endif()
    endforeach()
    set(${variable} ${view} PARENT_SCOPE)
endfunction()
