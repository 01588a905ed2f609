# GLPK (mod_lp, and the engine behind the solver stand-ins), then SCIP (the
# installed library when found, else our stand-in) and Gurobi.

find_path(GLPK_INCLUDE_DIR glpk.h REQUIRED)
find_library(GLPK_LIBRARY glpk REQUIRED)
add_library(glpk::glpk UNKNOWN IMPORTED)
set_target_properties(glpk::glpk PROPERTIES
  IMPORTED_LOCATION "${GLPK_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${GLPK_INCLUDE_DIR}")
if(WIN32)
  # There GLPK_LIBRARY is the import library of GLPK's DLL, which lies in the
  # bin folder of the same installation and must lie beside our programs.
  get_filename_component(_glpk_lib_dir "${GLPK_LIBRARY}" DIRECTORY)
  find_file(GLPK_DLL NAMES libglpk-40.dll glpk.dll PATHS "${_glpk_lib_dir}/../bin"
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  file(COPY "${GLPK_DLL}" DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
endif()

set(VARDELMO_SCIP AUTO CACHE STRING "SCIP library: AUTO, SYSTEM or STANDIN")
set_property(CACHE VARDELMO_SCIP PROPERTY STRINGS AUTO SYSTEM STANDIN)
foreach(choice VARDELMO_SCIP)
  if(NOT ${choice} MATCHES "^(AUTO|SYSTEM|STANDIN)$")
    message(FATAL_ERROR "${choice} must be AUTO, SYSTEM or STANDIN, not '${${choice}}'")
  endif()
endforeach()

set(VARDELMO_SCIP_STANDIN ON)
if(NOT VARDELMO_SCIP STREQUAL "STANDIN")
  find_package(SCIP CONFIG QUIET)
  if(SCIP_FOUND)
    set(VARDELMO_SCIP_STANDIN OFF)
  elseif(VARDELMO_SCIP STREQUAL "SYSTEM")
    message(FATAL_ERROR "VARDELMO_SCIP=SYSTEM but no SCIP package config was found (set SCIP_DIR)")
  endif()
endif()

# The Gurobi stand-in is built in any case: the tests load it as users load
# Gurobi.
add_subdirectory(standins)

add_library(vardelmo_scip INTERFACE)
if(VARDELMO_SCIP_STANDIN)
  message(STATUS "SCIP: stand-in library backed by GLPK")
  target_link_libraries(vardelmo_scip INTERFACE scip_standin)
else()
  message(STATUS "SCIP: installed library ${SCIP_VERSION} from ${SCIP_DIR}")
  target_link_libraries(vardelmo_scip INTERFACE libscip)
  target_include_directories(vardelmo_scip INTERFACE ${SCIP_INCLUDE_DIRS})
endif()

# The program links no Gurobi library: it loads the file in the folder it
# was started from when a Gurobi batch first needs it, and builds against
# the C interface of gurobi_c.h only.
message(STATUS "Gurobi: loaded at run time from the start folder (stand-in built for the tests)")
add_library(vardelmo_gurobi INTERFACE)
target_include_directories(vardelmo_gurobi INTERFACE ${CMAKE_SOURCE_DIR}/standins/gurobi/include)
target_link_libraries(vardelmo_gurobi INTERFACE ${CMAKE_DL_LIBS})
