# Each library sees its own headers and the public headers of the libraries it links,
# no others: veltrane_library_headers(TARGET PUBLIC header...) after add_library lays
# out two folders of links under the build folder, one with every header of the
# library and one with those named PUBLIC, each at its path below src/, so that
# "#include "directory/tNDS.h"" reads the same everywhere while including another
# library's internal header does not compile.
function(veltrane_library_headers target)
    cmake_parse_arguments(H "" "" "PUBLIC" ${ARGN})
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/public)
    get_target_property(sources ${target} SOURCES)
    foreach(source IN LISTS sources)
        if(source MATCHES "\\.h$" AND NOT IS_ABSOLUTE ${source})
            file(MAKE_DIRECTORY ${root}/own/${folder})
            file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${root}/own/${folder}/${source} SYMBOLIC)
        endif()
    endforeach()
    foreach(header IN LISTS H_PUBLIC)
        if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${header})
            message(FATAL_ERROR "${target}: no public header ${header}")
        endif()
        file(MAKE_DIRECTORY ${root}/public/${folder})
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/public/${folder}/${header} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}/public> PRIVATE ${root}/own)
endfunction()
