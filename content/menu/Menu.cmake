# The menu's data: its images drawn by menuart (the wait screen comes with the HUD's pictures), the
# fonts copied from Debian's free font packages with their licences, and the score server's address.

set(MENU_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(MENU_ART_NAMES
    Menu.png Menu_rus.png Help1.png Help_rus1.png
    Cursor_Main_In.png Cursor_Main_Out.png Cursor_Zoom.png Cursor_Rotate.png
    Panel.png Button_In.png Button_Out.png Button_Small_In.png Button_Small_Out.png Field.png)
list(TRANSFORM MENU_ART_NAMES PREPEND ${STAGE_DATA}/Menu/ OUTPUT_VARIABLE MENU_ART_FILES)
add_custom_command(
    OUTPUT ${MENU_ART_FILES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${STAGE_DATA}/Menu
    COMMAND menuart ${MENU_SOURCE}/MenuArt.recipe ${STAGE_DATA}/Menu
    DEPENDS menuart ${MENU_SOURCE}/MenuArt.recipe
    COMMENT "Drawing the menu images"
)
list(APPEND STAGED_FILES ${MENU_ART_FILES})

# The stand-ins for the faces the game names (see hud/Out2D.cpp), and the licence of each family.
set(FONT_FILES
    /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
    /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf
    /usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf
    /usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf
    /usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf)
foreach(font IN LISTS FONT_FILES)
    get_filename_component(name ${font} NAME)
    add_custom_command(
        OUTPUT ${STAGE_DATA}/Fonts/${name}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${STAGE_DATA}/Fonts
        COMMAND ${CMAKE_COMMAND} -E copy ${font} ${STAGE_DATA}/Fonts/${name}
        DEPENDS ${font}
        COMMENT "Copying the font ${name}"
    )
    list(APPEND STAGED_FILES ${STAGE_DATA}/Fonts/${name})
endforeach()
foreach(family dejavu-core liberation2)
    set(licence ${STAGE_DATA}/Fonts/fonts-${family}.copyright.txt)
    add_custom_command(
        OUTPUT ${licence}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${STAGE_DATA}/Fonts
        COMMAND ${CMAKE_COMMAND} -E copy /usr/share/doc/fonts-${family}/copyright ${licence}
        DEPENDS /usr/share/doc/fonts-${family}/copyright
        COMMENT "Copying the licence of fonts-${family}"
    )
    list(APPEND STAGED_FILES ${licence})
endforeach()

add_custom_command(
    OUTPUT ${STAGE_DATA}/Menu/ScoreServer.txt
    COMMAND ${CMAKE_COMMAND} -E make_directory ${STAGE_DATA}/Menu
    COMMAND ${CMAKE_COMMAND} -E copy ${MENU_SOURCE}/ScoreServer.txt ${STAGE_DATA}/Menu/ScoreServer.txt
    DEPENDS ${MENU_SOURCE}/ScoreServer.txt
    COMMENT "Copying the score server's address"
)
list(APPEND STAGED_FILES ${STAGE_DATA}/Menu/ScoreServer.txt)
