# Fails when a front end includes a header of record, engine or fileutil itself: the wizard
# and the headless generator take what they need from the run and wizard parts.
file(GLOB_RECURSE sources ${SOURCE_DIR}/src/ui/*.cpp ${SOURCE_DIR}/src/ui/*.h
     ${SOURCE_DIR}/src/cli/*.cpp ${SOURCE_DIR}/src/cli/*.h)
set(found "")
foreach(source ${sources})
    file(STRINGS ${source} lines REGEX "^#include \"(record|engine|fileutil)/")
    foreach(line ${lines})
        string(APPEND found "\n  ${source}: ${line}")
    endforeach()
endforeach()
if(found)
    message(FATAL_ERROR "front ends reach past the run and wizard parts:${found}")
endif()
