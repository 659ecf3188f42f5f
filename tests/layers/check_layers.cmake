# Fails when a source file includes a header of a layer above its own, or of
# a sibling layer. Layers, bottom up:
#   common; link; settings, protocol and record (siblings); dialogs; app
# The simulated printer stands on common and link only.
# Run as: cmake -DSOURCE_DIR=<repo> -P check_layers.cmake
set(rank_common 0)
set(rank_link 1)
set(rank_settings 2)
set(rank_protocol 2)
set(rank_record 2)
set(rank_dialogs 3)
set(rank_app 4)
set(rank_sim 2)

set(violations "")
foreach(layer common link settings protocol record dialogs app sim)
    if(layer STREQUAL "sim")
        set(folder ${SOURCE_DIR}/sim)
    else()
        set(folder ${SOURCE_DIR}/src/${layer})
    endif()
    file(GLOB files ${folder}/*.cpp ${folder}/*.h)
    foreach(file ${files})
        file(STRINGS ${file} includes REGEX "^#include \"[a-z]+/")
        foreach(line ${includes})
            string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" used "${line}")
            if(NOT DEFINED rank_${used} OR used STREQUAL layer)
                continue()
            endif()
            # Below is allowed; the same rank (siblings) or above is not. The
            # simulator may use nothing above link.
            if(rank_${used} GREATER_EQUAL rank_${layer}
               OR (layer STREQUAL "sim" AND rank_${used} GREATER 1))
                file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
                list(APPEND violations "${shown}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "includes against the layering:\n  ${text}")
endif()
