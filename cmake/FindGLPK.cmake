# FindGLPK
# --------
# Finds the GNU Linear Programming Kit: find_package(GLPK [REQUIRED]).
#
# Imported target:
#   GLPK::GLPK        the library with its include folder; on Windows the DLL
#                     (IMPORTED_LOCATION) with its import library
#                     (IMPORTED_IMPLIB), so that $<TARGET_RUNTIME_DLLS> lists it
#
# Result variables:
#   GLPK_FOUND, GLPK_VERSION (from glpk.h), GLPK_INCLUDE_DIRS, GLPK_LIBRARIES
#
# Cache variables, which may be given to point at another GLPK (a cross
# build's, for instance):
#   GLPK_INCLUDE_DIR  the folder of glpk.h
#   GLPK_LIBRARY      the library; on Windows the import library
#   GLPK_DLL          Windows only: the DLL, by default found in the bin
#                     folder beside the import library's lib folder

find_path(GLPK_INCLUDE_DIR glpk.h)
find_library(GLPK_LIBRARY glpk)
mark_as_advanced(GLPK_INCLUDE_DIR GLPK_LIBRARY)

if(GLPK_INCLUDE_DIR AND EXISTS "${GLPK_INCLUDE_DIR}/glpk.h")
  file(STRINGS "${GLPK_INCLUDE_DIR}/glpk.h" _glpk_version_lines
       REGEX "^#define[ \t]+GLP_(MAJOR|MINOR)_VERSION[ \t]+[0-9]+")
  string(REGEX REPLACE ".*GLP_MAJOR_VERSION[ \t]+([0-9]+).*" "\\1" _glpk_major "${_glpk_version_lines}")
  string(REGEX REPLACE ".*GLP_MINOR_VERSION[ \t]+([0-9]+).*" "\\1" _glpk_minor "${_glpk_version_lines}")
  set(GLPK_VERSION "${_glpk_major}.${_glpk_minor}")
  unset(_glpk_version_lines)
  unset(_glpk_major)
  unset(_glpk_minor)
endif()

set(_glpk_required GLPK_LIBRARY GLPK_INCLUDE_DIR)
if(WIN32)
  # A GLPK installation keeps the DLL in bin and its import library in lib;
  # the DLL is searched there only, never in the cross compiler's root.
  if(GLPK_LIBRARY)
    get_filename_component(_glpk_lib_dir "${GLPK_LIBRARY}" DIRECTORY)
    find_file(GLPK_DLL NAMES libglpk-40.dll glpk.dll PATHS "${_glpk_lib_dir}/../bin"
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    unset(_glpk_lib_dir)
  endif()
  mark_as_advanced(GLPK_DLL)
  list(APPEND _glpk_required GLPK_DLL)
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(GLPK
  REQUIRED_VARS ${_glpk_required}
  VERSION_VAR GLPK_VERSION)
unset(_glpk_required)

if(GLPK_FOUND)
  set(GLPK_INCLUDE_DIRS "${GLPK_INCLUDE_DIR}")
  set(GLPK_LIBRARIES "${GLPK_LIBRARY}")
  if(NOT TARGET GLPK::GLPK)
    if(WIN32)
      add_library(GLPK::GLPK SHARED IMPORTED)
      set_target_properties(GLPK::GLPK PROPERTIES
        IMPORTED_LOCATION "${GLPK_DLL}"
        IMPORTED_IMPLIB "${GLPK_LIBRARY}")
    else()
      add_library(GLPK::GLPK UNKNOWN IMPORTED)
      set_target_properties(GLPK::GLPK PROPERTIES IMPORTED_LOCATION "${GLPK_LIBRARY}")
    endif()
    set_target_properties(GLPK::GLPK PROPERTIES
      INTERFACE_INCLUDE_DIRECTORIES "${GLPK_INCLUDE_DIR}")
  endif()
endif()
