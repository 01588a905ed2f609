# Checked builds: AddressSanitizer with UndefinedBehaviorSanitizer for the
# whole tree, and libFuzzer's coverage for the fuzz targets (tests/fuzz).
# Both go into every target, the stand-ins included, so a fault is caught
# wherever in the process it happens.

option(VARDELMO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VARDELMO_FUZZ "Build the libFuzzer targets (Clang only; implies VARDELMO_SANITIZE)" OFF)

if(VARDELMO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VARDELMO_FUZZ needs Clang (libFuzzer): configure with CXX=clang++ CC=clang")
  endif()
  set(VARDELMO_SANITIZE ON CACHE BOOL "Build with AddressSanitizer and UndefinedBehaviorSanitizer" FORCE)
endif()

if(VARDELMO_SANITIZE)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "VARDELMO_SANITIZE needs GCC or Clang")
  endif()
  # Any report ends the process, so no test can pass over one.
  set(_vardelmo_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all)
  add_compile_options(${_vardelmo_sanitizers} -fno-omit-frame-pointer)
  add_link_options(${_vardelmo_sanitizers})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Clang puts its runtime statically into programs only, which leaves the
    # stand-in libraries (linked with --no-undefined) without one; the shared
    # runtime serves both.
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-runtime-dir
                    OUTPUT_VARIABLE _vardelmo_runtime_dir OUTPUT_STRIP_TRAILING_WHITESPACE)
    add_link_options(-shared-libsan "LINKER:-rpath,${_vardelmo_runtime_dir}")
  endif()
  message(STATUS "Sanitizers: address, undefined")
endif()

if(VARDELMO_FUZZ)
  # Coverage for the fuzzer in every target; only the fuzz programs link it.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
