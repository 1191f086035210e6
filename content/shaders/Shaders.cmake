# The GLSL programs: copied as they are into "Data\Shaders\" (the player's two into "Player\").
set(SHADER_SOURCES)
foreach(name Objects clouds MegaBomb Haze Water Bloom Player/Player Player/Shield)
    foreach(stage fs vs)
        set(source ${CMAKE_CURRENT_LIST_DIR}/${name}.${stage})
        set(output ${STAGE_DATA}/Shaders/${name}.${stage})
        get_filename_component(folder ${output} DIRECTORY)
        add_custom_command(
            OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
            COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
            DEPENDS ${source}
            COMMENT "Copying the shader ${name}.${stage}"
        )
        list(APPEND SHADER_SOURCES ${output})
    endforeach()
endforeach()
list(APPEND STAGED_FILES ${SHADER_SOURCES})
