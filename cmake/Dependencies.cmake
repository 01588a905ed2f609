# GLPK (mod_lp, and the engine behind the solver stand-ins), then SCIP and
# Gurobi: each the installed library when found, else our stand-in.

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
set(VARDELMO_GUROBI AUTO CACHE STRING "Gurobi library: AUTO, SYSTEM or STANDIN")
set_property(CACHE VARDELMO_GUROBI PROPERTY STRINGS AUTO SYSTEM STANDIN)
foreach(choice VARDELMO_SCIP VARDELMO_GUROBI)
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

set(VARDELMO_GUROBI_STANDIN ON)
if(NOT VARDELMO_GUROBI STREQUAL "STANDIN")
  set(_grb_home "$ENV{GUROBI_HOME}")
  if(WIN32)
    # Gurobi's Windows kit: the import library in lib, the DLL in bin.
    set(_grb_library lib/gurobi110.lib)
  else()
    set(_grb_library lib/libgurobi110.so)
  endif()
  if(_grb_home AND EXISTS "${_grb_home}/include/gurobi_c.h"
     AND EXISTS "${_grb_home}/${_grb_library}")
    set(VARDELMO_GUROBI_STANDIN OFF)
  elseif(VARDELMO_GUROBI STREQUAL "SYSTEM")
    message(FATAL_ERROR "VARDELMO_GUROBI=SYSTEM but GUROBI_HOME holds no include/gurobi_c.h and ${_grb_library}")
  endif()
endif()

if(VARDELMO_SCIP_STANDIN OR VARDELMO_GUROBI_STANDIN)
  add_subdirectory(standins)
endif()

add_library(vardelmo_scip INTERFACE)
if(VARDELMO_SCIP_STANDIN)
  message(STATUS "SCIP: stand-in library backed by GLPK")
  target_link_libraries(vardelmo_scip INTERFACE scip_standin)
else()
  message(STATUS "SCIP: installed library ${SCIP_VERSION} from ${SCIP_DIR}")
  target_link_libraries(vardelmo_scip INTERFACE libscip)
  target_include_directories(vardelmo_scip INTERFACE ${SCIP_INCLUDE_DIRS})
endif()

add_library(vardelmo_gurobi INTERFACE)
if(VARDELMO_GUROBI_STANDIN)
  message(STATUS "Gurobi: stand-in library backed by GLPK")
  target_link_libraries(vardelmo_gurobi INTERFACE gurobi_standin)
else()
  message(STATUS "Gurobi: installed library in ${_grb_home}")
  add_library(gurobi::gurobi SHARED IMPORTED)
  set_target_properties(gurobi::gurobi PROPERTIES
    IMPORTED_LOCATION "${_grb_home}/${_grb_library}"
    INTERFACE_INCLUDE_DIRECTORIES "${_grb_home}/include")
  if(WIN32)
    set_target_properties(gurobi::gurobi PROPERTIES
      IMPORTED_IMPLIB "${_grb_home}/${_grb_library}"
      IMPORTED_LOCATION "${_grb_home}/bin/gurobi110.dll")
  endif()
  target_link_libraries(vardelmo_gurobi INTERFACE gurobi::gurobi)
endif()
