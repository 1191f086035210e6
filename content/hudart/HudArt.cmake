# The HUD images ("Data\HUD\"), the menu's pictures and panels ("Data\Menu\") and the level titles the
# loading screen shows ("Data\Maps\LevelN_number.png", "LevelN_text.png"), drawn by hudart from the
# texts and level list here, and the pictures of the add-on map sets. An image with words has a
# Russian twin named "..._rus.png".
set(HUDART_DIR ${CMAKE_CURRENT_LIST_DIR})
set(HUDART_OUTPUTS)
foreach(name Indicator Indicator_rus Indicator_Grid Radar Camera Missile_Targeting Missile_Target bombing
             Gun_Targeting Attack_Angle target targeting)
    list(APPEND HUDART_OUTPUTS ${STAGE_DATA}/HUD/${name}.png)
endforeach()
foreach(name Story Final Loading Wait Score Weapons Servers Host Weapon1 Weapon2 Weapon3 Weapon4)
    list(APPEND HUDART_OUTPUTS ${STAGE_DATA}/Menu/${name}.png ${STAGE_DATA}/Menu/${name}_rus.png)
endforeach()
foreach(number 1 2 3 4)
    list(APPEND HUDART_OUTPUTS ${STAGE_DATA}/Menu/button_weapon${number}.png
                               ${STAGE_DATA}/Menu/button_weapon${number}_select.png)
endforeach()
foreach(name Loading_Empty Loading_Full Loading_Ready)
    list(APPEND HUDART_OUTPUTS ${STAGE_DATA}/Menu/${name}.png)
endforeach()
foreach(level RANGE 1 15)
    list(APPEND HUDART_OUTPUTS ${STAGE_DATA}/Maps/Level${level}_number.png ${STAGE_DATA}/Maps/Level${level}_text.png
                               ${STAGE_DATA}/Maps/Level${level}_text_rus.png)
endforeach()
# The add-on map sets, each with its texts file "<Set>.txt" here and its missions "<Set>1.ses" ..
# in content/maps: the main page's button and the first and last screens in "Data\Menu\<Set>\", the
# loading pictures of each mission beside it in "Data\Maps\".
set(HUDART_SETS Reef)
set(HUDART_SET_MISSIONS_Reef 3)
set(HUDART_SET_FILES)
foreach(set IN LISTS HUDART_SETS)
    list(APPEND HUDART_SET_FILES ${HUDART_DIR}/${set}.txt)
    foreach(name Button_In Button_Out First Last)
        list(APPEND HUDART_OUTPUTS ${STAGE_DATA}/Menu/${set}/${name}.png)
    endforeach()
    foreach(mission RANGE 1 ${HUDART_SET_MISSIONS_${set}})
        list(APPEND HUDART_OUTPUTS ${STAGE_DATA}/Maps/${set}${mission}_number.png ${STAGE_DATA}/Maps/${set}${mission}_text.png
                                   ${STAGE_DATA}/Maps/${set}${mission}_text_rus.png)
    endforeach()
endforeach()
add_custom_command(
    OUTPUT ${HUDART_OUTPUTS}
    COMMAND hudart ${HUDART_DIR}/Texts.txt ${HUDART_DIR}/Levels.txt ${STAGE_DATA} ${HUDART_SET_FILES}
    DEPENDS hudart ${HUDART_DIR}/Texts.txt ${HUDART_DIR}/Levels.txt ${HUDART_SET_FILES}
    COMMENT "Drawing the HUD images, menu pictures and level titles"
)
list(APPEND STAGED_FILES ${HUDART_OUTPUTS})
