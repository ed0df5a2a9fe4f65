# watchlist_add_translations(TARGET name TS files...)
# Compiles the .ts catalogues with lrelease and embeds the .qm files in the
# target as ":/translations/<file>.qm", where the host finds them.
function(watchlist_add_translations target)
    cmake_parse_arguments(T "" "" "TS" ${ARGN})
    set(qrc ${CMAKE_CURRENT_BINARY_DIR}/${target}_translations.qrc)
    set(entries "")
    set(qm_files "")
    foreach(ts ${T_TS})
        get_filename_component(base ${ts} NAME_WE)
        set(qm ${CMAKE_CURRENT_BINARY_DIR}/${base}.qm)
        add_custom_command(OUTPUT ${qm}
            COMMAND Qt5::lrelease -silent ${CMAKE_CURRENT_SOURCE_DIR}/${ts} -qm ${qm}
            DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ts}
            VERBATIM)
        list(APPEND qm_files ${qm})
        string(APPEND entries "        <file alias=\"${base}.qm\">${qm}</file>\n")
    endforeach()
    # Written only when its content changes: a rewrite on every configure would
    # run rcc and relink everything that links the target.
    file(CONFIGURE OUTPUT ${qrc}
        CONTENT "<RCC>\n    <qresource prefix=\"/translations\">\n${entries}    </qresource>\n</RCC>\n"
        @ONLY)

    set(cpp ${CMAKE_CURRENT_BINARY_DIR}/qrc_${target}_translations.cpp)
    add_custom_command(OUTPUT ${cpp}
        COMMAND Qt5::rcc --name ${target}_translations --no-compress --output ${cpp} ${qrc}
        DEPENDS ${qm_files} ${qrc}
        VERBATIM)
    set_source_files_properties(${cpp} PROPERTIES SKIP_AUTOGEN ON GENERATED ON)
    target_sources(${target} PRIVATE ${cpp})
endfunction()

# watchlist_update_translations(name TS file SOURCES dirs...)
# An on-demand target that refreshes a catalogue from the sources with lupdate.
function(watchlist_update_translations name)
    cmake_parse_arguments(T "" "TS" "SOURCES" ${ARGN})
    if(NOT TARGET update_translations)
        add_custom_target(update_translations)
    endif()
    add_custom_target(update_translations_${name}
        COMMAND Qt5::lupdate -no-obsolete -locations none ${T_SOURCES} -ts ${T_TS}
        WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
        VERBATIM)
    add_dependencies(update_translations update_translations_${name})
endfunction()
