# Aircraft, turrets, the player's aircraft and the small models (bombs, missiles, markers, muzzle
# flame, the mega bomb's blast), each ".otm" with the ".png" skin the game loads beside it. One run of
# craftgen writes them all.
set(CRAFT_MODELS)
set(CRAFT_FILES)
foreach(name Main Main_lod0 Main_lod1 DeadInSky0 DeadInSky1 DeadInSky2)
    list(APPEND CRAFT_MODELS Crafts/Su25/${name} Crafts/GAS1/${name})
endforeach()
list(APPEND CRAFT_MODELS Crafts/Avax/Main Crafts/Avax/Main_lod0 Crafts/Avax/Main_lod1 Crafts/Avax/DeadInSky Dead/Su25/Dead)
foreach(name Gun MachineGun BSBigGun BSGun BSMachineGun BSMissile SamGun ShilkaGun)
    list(APPEND CRAFT_MODELS Guns/${name})
endforeach()
foreach(name Air Dead Break Engine Height Eleron Direction Front Gun)
    list(APPEND CRAFT_MODELS Player/${name})
endforeach()
foreach(name Bomb Bomb2 Checkpoint Reload Rocket Sub_Missile Minigun_Flame)
    list(APPEND CRAFT_MODELS Misc/${name})
endforeach()
foreach(model IN LISTS CRAFT_MODELS)
    list(APPEND CRAFT_FILES ${STAGE_DATA}/Models/${model}.otm ${STAGE_DATA}/Models/${model}.png)
endforeach()
# Skins the player's aircraft binds by name, and the blast's model with its six fire textures.
foreach(name Damage1 Damage2 Damage3 Damage4 Elerons Elerons_damaged)
    list(APPEND CRAFT_FILES ${STAGE_DATA}/Models/Player/${name}.png)
endforeach()
list(APPEND CRAFT_FILES ${STAGE_DATA}/Models/Misc/MegaBomb_Explosion.otm ${STAGE_DATA}/Models/Misc/MegaBomb_Explosion.png)
foreach(i 2 3 4 5 6)
    list(APPEND CRAFT_FILES ${STAGE_DATA}/Models/Misc/MegaBomb_Explosion${i}.png)
endforeach()

add_custom_command(
    OUTPUT ${CRAFT_FILES}
    COMMAND craftgen ${STAGE_DATA} --font /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
    DEPENDS craftgen
    COMMENT "Building the aircraft, turrets and small models"
)
list(APPEND STAGED_FILES ${CRAFT_FILES})
