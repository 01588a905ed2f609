# GLPK (mod_lp, and the engine behind the solver stand-ins), GNU Readline
# (the shell's line editing on Linux), then SCIP (the installed library when
# found, else our stand-in), HiGHS, zlib and Gurobi.

find_package(GLPK REQUIRED)
if(NOT WIN32)
  # Debian's libreadline-dev; the Windows console edits lines by itself.
  find_path(READLINE_INCLUDE_DIR readline/readline.h)
  find_library(READLINE_LIBRARY readline)
  if(NOT READLINE_INCLUDE_DIR OR NOT READLINE_LIBRARY)
    message(FATAL_ERROR "GNU Readline not found (Debian: libreadline-dev; scripts/setup installs it)")
  endif()
  add_library(Readline::Readline UNKNOWN IMPORTED)
  set_target_properties(Readline::Readline PROPERTIES IMPORTED_LOCATION "${READLINE_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${READLINE_INCLUDE_DIR}")
endif()
if(WIN32)
  # The SCIP stand-in is a libscip.dll too: it and the programs linked with
  # it get a folder of their own, away from the real library.
  set(VARDELMO_STANDIN_RUNTIME_DIR "${CMAKE_BINARY_DIR}/bin-standin")
endif()

# vardelmo_copy_runtime_dlls(<target>): Windows looks for a program's DLLs
# beside it, so those CMake knows the target links (GLPK's, a SCIP built
# here) are copied there after each link. The wheel's SCIP needs DLLs that
# CMake does not know of: they are copied below, once.
function(vardelmo_copy_runtime_dlls target)
  if(WIN32)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different
              $<TARGET_RUNTIME_DLLS:${target}> $<TARGET_FILE_DIR:${target}>
      COMMAND_EXPAND_LISTS)
  endif()
endfunction()

set(VARDELMO_SCIP AUTO CACHE STRING "SCIP library: AUTO, SYSTEM, WHEEL or STANDIN")
set_property(CACHE VARDELMO_SCIP PROPERTY STRINGS AUTO SYSTEM WHEEL STANDIN)
set(VARDELMO_SCIP_WHEEL_DIR "${CMAKE_BINARY_DIR}/scip-wheel" CACHE PATH
    "Where scripts/fetch-scip unpacked the SCIP library of the PySCIPOpt wheel")
if(NOT VARDELMO_SCIP MATCHES "^(AUTO|SYSTEM|WHEEL|STANDIN)$")
  message(FATAL_ERROR "VARDELMO_SCIP must be AUTO, SYSTEM, WHEEL or STANDIN, not '${VARDELMO_SCIP}'")
endif()

# SCIP: an installed SCIP 9 or 10 (its own headers), else the library of the
# pinned PySCIPOpt wheel (our declarations, declarations/scip), else only
# when asked for, the stand-in (the same declarations). VARDELMO_SCIP_SOURCE
# says which.
# vardelmo_read_pins(<file> <prefix>): each key=value line of a wheel's pin
# file as the variable <prefix><key>.
function(vardelmo_read_pins file prefix)
  file(STRINGS "${file}" pins REGEX "^[a-z_0-9]+=")
  foreach(pin IN LISTS pins)
    string(REGEX MATCH "^([a-z_0-9]+)=(.*)$" _ "${pin}")
    set(${prefix}${CMAKE_MATCH_1} "${CMAKE_MATCH_2}" PARENT_SCOPE)
  endforeach()
endfunction()
vardelmo_read_pins("${CMAKE_CURRENT_LIST_DIR}/pyscipopt-wheel.txt" _wheel_)
if(WIN32)
  set(_wheel_library_glob "${VARDELMO_SCIP_WHEEL_DIR}/lib/libscip-*.dll")
else()
  set(_wheel_library_glob "${VARDELMO_SCIP_WHEEL_DIR}/lib/libscip-*.so.*")
endif()

set(VARDELMO_SCIP_SOURCE STANDIN)
if(VARDELMO_SCIP MATCHES "^(AUTO|SYSTEM)$")
  find_package(SCIP CONFIG QUIET)
  if(SCIP_FOUND AND SCIP_VERSION VERSION_GREATER_EQUAL 9 AND SCIP_VERSION VERSION_LESS 11)
    set(VARDELMO_SCIP_SOURCE SYSTEM)
  elseif(VARDELMO_SCIP STREQUAL "SYSTEM")
    message(FATAL_ERROR "VARDELMO_SCIP=SYSTEM but no SCIP 9 or 10 package config was found (set SCIP_DIR)")
  endif()
endif()
if(VARDELMO_SCIP MATCHES "^(AUTO|WHEEL)$" AND NOT VARDELMO_SCIP_SOURCE STREQUAL "SYSTEM")
  file(GLOB _wheel_library "${_wheel_library_glob}")
  if(_wheel_library)
    set(VARDELMO_SCIP_SOURCE WHEEL)
  else()
    message(FATAL_ERROR "No SCIP library: none installed, and the pyscipopt ${_wheel_version} "
      "wheel's is not in ${VARDELMO_SCIP_WHEEL_DIR} (scripts/setup fetches it with "
      "scripts/fetch-scip). Or build with -DVARDELMO_SCIP=STANDIN for the GLPK-backed test stand-in.")
  endif()
endif()

# The stand-ins are always built: tests that need what only a test double
# can do (failures on demand, a call record) run against them in every
# build, and the tests load the Gurobi stand-in as users load Gurobi.
add_subdirectory(standins)

# What the program compiles against (vardelmo_scip_api) and what it is
# linked with (vardelmo_scip).
add_library(vardelmo_scip_api INTERFACE)
add_library(vardelmo_scip INTERFACE)
if(VARDELMO_SCIP_SOURCE STREQUAL "SYSTEM")
  message(STATUS "SCIP: ${SCIP_VERSION} installed, from ${SCIP_DIR}")
  target_include_directories(vardelmo_scip_api INTERFACE ${SCIP_INCLUDE_DIRS})
  target_link_libraries(vardelmo_scip INTERFACE libscip)
else()
  target_include_directories(vardelmo_scip_api INTERFACE ${CMAKE_SOURCE_DIR}/declarations/scip)
endif()
if(VARDELMO_SCIP_SOURCE STREQUAL "WHEEL")
  list(GET _wheel_library 0 _wheel_library)
  message(STATUS "SCIP: ${_wheel_scip_version} from the pyscipopt ${_wheel_version} wheel, ${_wheel_library}")
  add_library(scip::wheel SHARED IMPORTED)
  # Linked by its full path: the program's run path then holds the wheel's
  # folder, where SCIP finds the libraries it needs beside it.
  set_target_properties(scip::wheel PROPERTIES IMPORTED_LOCATION "${_wheel_library}")
  if(WIN32)
    # MinGW links against the DLL itself. The DLL calls itself libscip.dll
    # (the wheel's tool only renamed the file), so programs import it by that
    # name; it and the DLLs it needs must lie beside them.
    file(GLOB _wheel_dlls "${VARDELMO_SCIP_WHEEL_DIR}/lib/*.dll")
    file(COPY ${_wheel_dlls} DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
    file(COPY_FILE "${_wheel_library}" "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/libscip.dll" ONLY_IF_DIFFERENT)
    set_target_properties(scip::wheel PROPERTIES
      IMPORTED_IMPLIB "${_wheel_library}"
      IMPORTED_LOCATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/libscip.dll")
  endif()
  target_link_libraries(vardelmo_scip INTERFACE scip::wheel)
  set(VARDELMO_SCIP_WHEEL_VERSION "${_wheel_scip_version}")
elseif(VARDELMO_SCIP_SOURCE STREQUAL "STANDIN")
  message(STATUS "SCIP: stand-in library backed by GLPK")
  target_link_libraries(vardelmo_scip INTERFACE scip_standin)
endif()

# HiGHS: an installed HiGHS (its own headers), else the library of the
# pinned wheel (highspy's on Linux, highsbox's highs.dll on Windows; our
# declarations, declarations/highs). Without one (VARDELMO_HIGHS_SOURCE
# NONE) the program offers no HIGHS solver: the build says so to
# runners.cpp only (VARDELMO_WITH_HIGHS).
set(VARDELMO_HIGHS_WHEEL_DIR "${CMAKE_BINARY_DIR}/highs-wheel" CACHE PATH
    "Where scripts/fetch-highs unpacked the HiGHS library of the pinned wheel")
vardelmo_read_pins("${CMAKE_CURRENT_LIST_DIR}/highspy-wheel.txt" _highs_wheel_)
add_library(vardelmo_highs INTERFACE)
set(VARDELMO_HIGHS_SOURCE NONE)
find_package(highs CONFIG QUIET)
if(highs_FOUND)
  set(VARDELMO_HIGHS_SOURCE SYSTEM)
  set(VARDELMO_HIGHS_VERSION "${highs_VERSION}")
  message(STATUS "HiGHS: ${highs_VERSION} installed, from ${highs_DIR}")
  target_link_libraries(vardelmo_highs INTERFACE highs::highs)
  # Whether it reads gzip itself, as its configuration header says.
  set(VARDELMO_HIGHS_READS_GZIP OFF)
  get_target_property(_highs_includes highs::highs INTERFACE_INCLUDE_DIRECTORIES)
  find_file(_highs_config HConfig.h PATHS ${_highs_includes} PATH_SUFFIXES highs NO_DEFAULT_PATH)
  if(_highs_config)
    file(STRINGS "${_highs_config}" _highs_zlib REGEX "^#define ZLIB_FOUND")
    if(_highs_zlib)
      set(VARDELMO_HIGHS_READS_GZIP ON)
    endif()
  endif()
else()
  if(WIN32)
    set(_highs_wheel_library "${VARDELMO_HIGHS_WHEEL_DIR}/lib/${_highs_wheel_windows_library_file}")
    set(_highs_wheel_package "${_highs_wheel_windows_package}")
    set(VARDELMO_HIGHS_READS_GZIP "${_highs_wheel_windows_reads_gzip}")
  else()
    set(_highs_wheel_library "${VARDELMO_HIGHS_WHEEL_DIR}/lib/${_highs_wheel_library_file}")
    set(VARDELMO_HIGHS_READS_GZIP "${_highs_wheel_reads_gzip}")
  endif()
  if(NOT EXISTS "${_highs_wheel_library}")
    message(FATAL_ERROR "No HiGHS library: none installed (set highs_DIR), and the ${_highs_wheel_package} "
      "${_highs_wheel_version} wheel's is not in ${VARDELMO_HIGHS_WHEEL_DIR} (scripts/setup "
      "fetches it with scripts/fetch-highs).")
  endif()
  set(VARDELMO_HIGHS_SOURCE WHEEL)
  message(STATUS "HiGHS: ${_highs_wheel_highs_version} from the ${_highs_wheel_package} ${_highs_wheel_version} wheel, ${_highs_wheel_library}")
  add_library(highs::wheel SHARED IMPORTED)
  if(WIN32)
    # MinGW links against the DLL itself, which must lie beside the programs.
    file(COPY_FILE "${_highs_wheel_library}" "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/highs.dll"
         ONLY_IF_DIFFERENT)
    set_target_properties(highs::wheel PROPERTIES IMPORTED_IMPLIB "${_highs_wheel_library}"
                          IMPORTED_LOCATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/highs.dll")
  else()
    set_target_properties(highs::wheel PROPERTIES IMPORTED_LOCATION "${_highs_wheel_library}"
                                                  IMPORTED_SONAME libhighs.so.1)
  endif()
  target_include_directories(vardelmo_highs INTERFACE ${CMAKE_SOURCE_DIR}/declarations/highs)
  target_link_libraries(vardelmo_highs INTERFACE highs::wheel)
  set(VARDELMO_HIGHS_VERSION "${_highs_wheel_highs_version}")
endif()

# zlib: the program unpacks a compressed model for a solver library that
# reads no gzip. Linked into the Windows program, as its C++ runtime is.
if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

# The program links no Gurobi library: it loads the file in the folder it
# was started from when a Gurobi batch first needs it, and builds against
# our declarations of Gurobi's C interface only (declarations/gurobi).
message(STATUS "Gurobi: loaded at run time from the start folder (stand-in built for the tests)")
add_library(vardelmo_gurobi INTERFACE)
target_include_directories(vardelmo_gurobi INTERFACE ${CMAKE_SOURCE_DIR}/declarations/gurobi)
target_link_libraries(vardelmo_gurobi INTERFACE ${CMAKE_DL_LIBS})
