# Particle effects: the particle textures, and every ".effect" description compiled into
# "Data\Effects\<name>.dps".
set(PARTICLE_TEXTURES)
foreach(name Smoke Fire Spark Flare Flash Ring Plasma Spray)
    list(APPEND PARTICLE_TEXTURES ${STAGE_DATA}/Effects/Textures/${name}.png)
endforeach()
add_custom_command(
    OUTPUT ${PARTICLE_TEXTURES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${STAGE_DATA}/Effects/Textures
    COMMAND particlegen ${STAGE_DATA}/Effects/Textures
    DEPENDS particlegen
    COMMENT "Drawing the particle textures"
)
list(APPEND STAGED_FILES ${PARTICLE_TEXTURES})

file(GLOB EFFECT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.effect)
foreach(source IN LISTS EFFECT_SOURCES)
    get_filename_component(name "${source}" NAME_WE)
    set(output "${STAGE_DATA}/Effects/${name}.dps")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -E make_directory ${STAGE_DATA}/Effects
        COMMAND dpstool compile "${source}" "${output}"
        DEPENDS dpstool "${source}"
        COMMENT "Compiling the effect ${name}"
    )
    list(APPEND STAGED_FILES "${output}")
endforeach()
