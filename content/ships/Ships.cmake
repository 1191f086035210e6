# The ships: every ship model with its texture, the team paints by side ("_0", "_1"), the wrecks and
# the lower-detail variants of the large ones, all written by shipgen under "Data\Models\Ships\".
set(SHIP_DIR ${STAGE_DATA}/Models/Ships)
set(SHIP_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf)
set(SHIP_MODELS ${SHIP_DIR}/Destroyer/Dead)
foreach(ship Destroyer Boat BattleShip Cargo Tanker)
    foreach(side 0 1)
        list(APPEND SHIP_MODELS ${SHIP_DIR}/${ship}/Main_${side} ${SHIP_DIR}/${ship}/Dead_${side})
        if(NOT ship STREQUAL "Boat")
            list(APPEND SHIP_MODELS ${SHIP_DIR}/${ship}/Main_${side}_lod0 ${SHIP_DIR}/${ship}/Main_${side}_lod1)
        endif()
    endforeach()
endforeach()
foreach(ship Submarine SuperSubmarine Torpedo Carrier)
    list(APPEND SHIP_MODELS ${SHIP_DIR}/${ship}/Main ${SHIP_DIR}/${ship}/Dead)
endforeach()
foreach(ship SuperSubmarine Carrier)
    list(APPEND SHIP_MODELS ${SHIP_DIR}/${ship}/Main_lod0 ${SHIP_DIR}/${ship}/Main_lod1)
endforeach()
set(SHIP_FILES)
foreach(model IN LISTS SHIP_MODELS)
    list(APPEND SHIP_FILES ${model}.otm ${model}.png)
endforeach()
add_custom_command(
    OUTPUT ${SHIP_FILES}
    COMMAND shipgen ${STAGE_DATA} ${SHIP_FONT}
    DEPENDS shipgen
    COMMENT "Building the ships"
)
list(APPEND STAGED_FILES ${SHIP_FILES})
