# The missions: every file of this folder but this listing is copied as it is into "Data\Maps\"
# (the campaign's "Level1.ses" and the rest). A file added here is picked up when CMake runs again.
file(GLOB MAP_SOURCES CONFIGURE_DEPENDS LIST_DIRECTORIES false ${CMAKE_CURRENT_LIST_DIR}/*)
list(FILTER MAP_SOURCES EXCLUDE REGEX "\\.cmake$")
set(MAP_FILES)
foreach(source IN LISTS MAP_SOURCES)
    get_filename_component(name ${source} NAME)
    set(output ${STAGE_DATA}/Maps/${name})
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${STAGE_DATA}/Maps
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
        DEPENDS ${source}
        COMMENT "Copying the mission ${name}"
    )
    list(APPEND MAP_FILES ${output})
endforeach()
list(APPEND STAGED_FILES ${MAP_FILES})
