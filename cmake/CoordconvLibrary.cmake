# coordconv_library(NAME SOURCES … HEADERS …): the static library coordconv_NAME, known
# as coordconv::NAME in this build and to other projects, installed with its headers
# under include/coordconv/NAME.
function(coordconv_library name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;HEADERS")
    set(target coordconv_${name})
    add_library(${target} STATIC ${ARG_SOURCES} ${ARG_HEADERS})
    add_library(coordconv::${name} ALIAS ${target})
    set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
    # A switch over the catalogue's enums lists every case: a forgotten one is a warning, never
    # a silent default.
    target_compile_options(${target} PRIVATE -Wswitch-enum)
    target_include_directories(${target} PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/coordconv>)
    install(TARGETS ${target} EXPORT coordconvTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
    install(FILES ${ARG_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/coordconv/${name})
endfunction()
