# The missions: every file of this folder but this listing is copied as it is into "Data\Maps\"
# (the campaign's "Level1.ses" and the rest), and every file of MP/ into "Data\Maps\MP\" (the
# multiplayer maps the host page lists, and "Client.mps", the map a joining client loads). A file
# added here is picked up when CMake runs again.
file(GLOB MAP_SOURCES CONFIGURE_DEPENDS LIST_DIRECTORIES false ${CMAKE_CURRENT_LIST_DIR}/*)
list(FILTER MAP_SOURCES EXCLUDE REGEX "\\.cmake$")
file(GLOB MP_MAP_SOURCES CONFIGURE_DEPENDS LIST_DIRECTORIES false ${CMAKE_CURRENT_LIST_DIR}/MP/*)
set(MAP_FILES)
foreach(source IN LISTS MAP_SOURCES MP_MAP_SOURCES)
    get_filename_component(name ${source} NAME)
    get_filename_component(folder ${source} DIRECTORY)
    file(RELATIVE_PATH subfolder ${CMAKE_CURRENT_LIST_DIR} ${folder})
    set(stage_folder ${STAGE_DATA}/Maps)
    set(shown ${name})
    if(subfolder)
        set(stage_folder ${stage_folder}/${subfolder})
        set(shown ${subfolder}/${name})
    endif()
    set(output ${stage_folder}/${name})
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${stage_folder}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
        DEPENDS ${source}
        COMMENT "Copying the mission ${shown}"
    )
    list(APPEND MAP_FILES ${output})
endforeach()
list(APPEND STAGED_FILES ${MAP_FILES})
