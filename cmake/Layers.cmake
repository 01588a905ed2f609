# vardelmo_layer(<target> <folder> [USES <lower folders>...] SOURCES <files>...)
# One static library per folder of src. Its files may include only headers of
# their own folder and of the folders named after USES; any other folder of
# src fails the build before the library compiles (CheckLayer.cmake). Link
# the library only to the libraries of those same folders.
function(vardelmo_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "USES;SOURCES")
  add_library(${target} STATIC ${arg_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)

  file(GLOB files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*)
  set(allowed ${folder} ${arg_USES})
  list(JOIN allowed "," allowed)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/layers/${folder}.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -D SOURCE_DIR=${PROJECT_SOURCE_DIR}/src -D FOLDER=${folder}
            -D ALLOWED=${allowed} -D STAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
    COMMENT "Checking that src/${folder} uses only ${allowed}"
    VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_includes)
endfunction()
