# Sounds and music: the effects of "Sounds.recipe" and the radio lines of "Speech.recipe" into
# "Data\Sounds\", and every ".score" into a looping "Data\Music\<name>.ogg".
find_program(ESPEAK_NG espeak-ng REQUIRED)
set(AUDIO_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(SOUNDS_DIR ${STAGE_DATA}/Sounds)

# Every effect the game names; audiogen stops with an error if the recipe lacks one.
set(EFFECT_NAMES
    Gun.wav BigGun.wav MachineGun.wav Gauss.wav Laser.wav Plasma.wav shilka.wav
    Shoot_Missile.wav Shoot_bomb.WAV Shoot_bomb_Explosion.wav
    Explosion_Small.WAV Explosion_Middle.WAV Explosion_Large.WAV
    Missile_warning.wav Reloaded.wav submarine.wav begin.wav Win.wav Lose.wav
    OnButton.WAV Click.WAV)
list(TRANSFORM EFFECT_NAMES PREPEND ${SOUNDS_DIR}/ OUTPUT_VARIABLE EFFECT_FILES)
add_custom_command(
    OUTPUT ${EFFECT_FILES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${SOUNDS_DIR}
    COMMAND audiogen sfx ${AUDIO_SOURCE}/Sounds.recipe ${SOUNDS_DIR} ${EFFECT_NAMES}
    DEPENDS audiogen ${AUDIO_SOURCE}/Sounds.recipe
    COMMENT "Synthesising the sound effects"
)
list(APPEND STAGED_FILES ${EFFECT_FILES})

set(SPEECH_FILES)
foreach(n RANGE 1 6)
    list(APPEND SPEECH_FILES ${SOUNDS_DIR}/Speech${n}.wav)
endforeach()
add_custom_command(
    OUTPUT ${SPEECH_FILES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${SOUNDS_DIR}
    COMMAND audiogen speech ${AUDIO_SOURCE}/Speech.recipe ${SOUNDS_DIR} ${ESPEAK_NG}
    DEPENDS audiogen ${AUDIO_SOURCE}/Speech.recipe
    COMMENT "Speaking the radio lines"
)
list(APPEND STAGED_FILES ${SPEECH_FILES})

# One rule per track, so that the two cores share the music.
file(GLOB SCORES CONFIGURE_DEPENDS ${AUDIO_SOURCE}/*.score)
foreach(score IN LISTS SCORES)
    get_filename_component(name "${score}" NAME_WE)
    set(output "${STAGE_DATA}/Music/${name}.ogg")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -E make_directory ${STAGE_DATA}/Music
        COMMAND audiogen music "${score}" "${output}"
        DEPENDS audiogen "${score}"
        COMMENT "Composing the music ${name}"
    )
    list(APPEND STAGED_FILES "${output}")
endforeach()
