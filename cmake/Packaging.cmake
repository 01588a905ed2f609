# What `cmake --install` puts where, and the packages CPack makes of it
# (scripts/package): a .deb for Debian 12 from the Linux build, a .zip from
# the Windows one. Both carry the SCIP library the program was linked with
# (the .deb also the HiGHS library of the highspy wheel),
# so only a build with the wheel's SCIP (VARDELMO_SCIP_SOURCE WHEEL) makes a
# package that runs on its own; another build installs the program alone.

set(CPACK_PACKAGE_NAME vardelmo)
set(CPACK_PACKAGE_VENDOR "Vardelmo Antunes Ribeiro")
set(CPACK_PACKAGE_CONTACT "Vardelmo Antunes Ribeiro <vardelmo.ribeiro@gmail.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Interactive shell that solves folders of LP models with SCIP, HiGHS or Gurobi and converts MathProg models")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_CHECKSUM SHA256)
# Only the program is stripped; the wheel's libraries are shipped as they came.
set(CPACK_STRIP_FILES ON)

if(VARDELMO_SCIP_SOURCE STREQUAL "WHEEL")
  file(GLOB _wheel_files "${VARDELMO_SCIP_WHEEL_DIR}/lib/*")
  list(FILTER _wheel_files EXCLUDE REGEX "/\\.wheel-sha256$")
endif()

if(WIN32)
  # Windows looks for a program's DLLs beside it: one folder holds it all.
  install(TARGETS vardelmo RUNTIME DESTINATION .)
  # The DLLs the program imports (libscip.dll, GLPK's) and those the wheel's
  # SCIP imports; the wheel's own name for SCIP, which nothing imports, is
  # left out.
  install(FILES $<TARGET_RUNTIME_DLLS:vardelmo> DESTINATION .)
  if(_wheel_files)
    list(REMOVE_ITEM _wheel_files "${_wheel_library}")
    install(FILES ${_wheel_files} DESTINATION .)
  endif()
  install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES"
          DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "vardelmo-${PROJECT_VERSION}-windows-x64")
  # Unpacked, the program lies in the folder the user chose.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  # SCIP and the libraries the wheel bundles with it go into a folder of the
  # program's own, which its run path names relative to itself; the wheel's
  # libraries find each other there by their own run path ($ORIGIN).
  set(_private_libraries lib/vardelmo)
  install(TARGETS vardelmo RUNTIME DESTINATION bin)
  if(_wheel_files)
    set_target_properties(vardelmo PROPERTIES INSTALL_RPATH "$ORIGIN/../${_private_libraries}")
    install(FILES ${_wheel_files} DESTINATION ${_private_libraries})
  endif()
  # The HiGHS library of the highspy wheel, beside SCIP's, under the name
  # the program asks for (the wheel's libhighs.so.1.15.1 is the same file).
  if(VARDELMO_HIGHS_SOURCE STREQUAL "WHEEL")
    set_target_properties(vardelmo PROPERTIES INSTALL_RPATH "$ORIGIN/../${_private_libraries}")
    install(FILES "${VARDELMO_HIGHS_WHEEL_DIR}/lib/libhighs.so.1" DESTINATION ${_private_libraries})
  endif()
  install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES"
          DESTINATION share/doc/vardelmo)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  # Debian's packages of the libraries that the program and the wheel's SCIP
  # link, as dpkg-shlibdeps finds them; the wheel's own are the package's.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${VARDELMO_SCIP_WHEEL_DIR}/lib"
      "${VARDELMO_HIGHS_WHEEL_DIR}/lib")
endif()

include(CPack)
