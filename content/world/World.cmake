# The world: ground sites, buildings and decorations, islands, the sky, the sea and tracer textures,
# all drawn by worldgen; and "Models\Models.txt", the preload list of every staged model.
set(WORLD_GROUND)
foreach(name SAM Shilka Hangar Bunker FuelDepot RadarStation Barracks)
    foreach(file Main.otm Main.png Dead.otm Dead.png)
        list(APPEND WORLD_GROUND ${STAGE_DATA}/Models/Buildings/${name}/${file})
    endforeach()
endforeach()
foreach(name Lighthouse PalmGrove Pier RadioMast Containers Tents)
    list(APPEND WORLD_GROUND ${STAGE_DATA}/Models/Static/${name}.otm ${STAGE_DATA}/Models/Static/${name}.png)
endforeach()

set(WORLD_ISLANDS)
foreach(name Atoll Volcano Ridge Rock Twins)
    foreach(variant "" _lod0 _lod1)
        list(APPEND WORLD_ISLANDS ${STAGE_DATA}/Maps/Islands/${name}${variant}.otm ${STAGE_DATA}/Maps/Islands/${name}${variant}.png)
    endforeach()
endforeach()

set(WORLD_SKY)
foreach(file sky.otm sky.png clouds.otm clouds.png height.png)
    list(APPEND WORLD_SKY ${STAGE_DATA}/Models/Sky/Clear_Sky/${file})
endforeach()

set(WORLD_TEXTURES)
foreach(name Water WaterNoise1 WaterNoise2 WaterNoise3 Water_Noise fountain reload
             Trasser Trasser_Gauss Trasser_Laser Trasser_White)
    list(APPEND WORLD_TEXTURES ${STAGE_DATA}/Textures/${name}.png)
endforeach()

foreach(part ground islands sky textures)
    string(TOUPPER ${part} upper)
    add_custom_command(
        OUTPUT ${WORLD_${upper}}
        COMMAND worldgen ${part} ${STAGE_DATA}
        DEPENDS worldgen
        COMMENT "Making the world: ${part}"
    )
    list(APPEND STAGED_FILES ${WORLD_${upper}})
endforeach()

# The preload list names the models of every part of the content build, so its rule is made once
# all of them are known: at the end of this folder's listing, after the archive rule, to which it
# then adds itself.
function(world_model_list)
    if(NOT ARCHIVE)
        message(FATAL_ERROR "World.cmake: the archive rule (variable ARCHIVE) is gone; the model list cannot join it")
    endif()
    set(models)
    foreach(file IN LISTS STAGED_FILES)
        if(file MATCHES "/Models/.*\\.[oO][tT][mM]2?$")
            list(APPEND models ${file})
        endif()
    endforeach()
    set(list_file ${STAGE_DATA}/Models/Models.txt)
    add_custom_command(
        OUTPUT ${list_file}
        COMMAND worldgen modellist ${STAGE_DATA}
        DEPENDS worldgen ${models}
        COMMENT "Listing the models to preload"
    )
    add_custom_command(OUTPUT ${ARCHIVE} APPEND DEPENDS ${list_file})
endfunction()
cmake_language(DEFER CALL world_model_list)
