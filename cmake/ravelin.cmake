# Shared build rules for the libraries, programs and tests of the suite.

if(WIN32)
  # Only Windows' own DLLs and ours at run time: the compiler runtime, libstdc++
  # and winpthread are linked in statically.
  add_link_options(-static)
  set(CMAKE_SHARED_LIBRARY_PREFIX "")
  set(CMAKE_IMPORT_LIBRARY_PREFIX "lib")
  # The same system headers for every Windows source: the lean set, no min/max
  # macros, and Vista, which the threading runtime needs anyway. The Windows
  # sources include them through ravelin/win32.h.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600)
  include_directories(${PROJECT_SOURCE_DIR}/common/include)
endif()

# ravelin_target_sources(<target> [SOURCES ...] [WIN32_SOURCES ...] [POSIX_SOURCES ...])
# Adds the sources to <target>, plus those of the target system: WIN32_SOURCES
# for Windows, POSIX_SOURCES for the native build. The other functions here take
# the same three options.
function(ravelin_target_sources target)
  cmake_parse_arguments(ARG "" "" "SOURCES;WIN32_SOURCES;POSIX_SOURCES" ${ARGN})
  target_sources(${target} PRIVATE ${ARG_SOURCES})
  if(WIN32)
    target_sources(${target} PRIVATE ${ARG_WIN32_SOURCES})
  else()
    target_sources(${target} PRIVATE ${ARG_POSIX_SOURCES})
  endif()
endfunction()

# ravelin_core(<name> SOURCES ... [WIN32_SOURCES ...] [POSIX_SOURCES ...] [LIBS ...])
# The code of the library <name>, compiled once as the object library
# <name in lower case>_core that the library and its tests both link: the tests
# reach what the library does not export. The objects are compiled as part of
# the library (<NAME>_BUILD, also for the tests, which link them directly rather
# than importing them), with src/ and include/ (if any) as public include folders.
function(ravelin_core name)
  cmake_parse_arguments(ARG "" "" "SOURCES;WIN32_SOURCES;POSIX_SOURCES;LIBS" ${ARGN})
  string(TOLOWER ${name} lower)
  string(TOUPPER ${name} upper)
  set(core ${lower}_core)
  add_library(${core} OBJECT)
  ravelin_target_sources(${core} SOURCES ${ARG_SOURCES}
                                 WIN32_SOURCES ${ARG_WIN32_SOURCES}
                                 POSIX_SOURCES ${ARG_POSIX_SOURCES})
  target_compile_definitions(${core} PUBLIC ${upper}_BUILD)
  target_include_directories(${core} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/src)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/include)
    target_include_directories(${core} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  endif()
  target_link_libraries(${core} PUBLIC ${ARG_LIBS})
  if(NOT WIN32)
    target_link_libraries(${core} PUBLIC Threads::Threads)
  endif()
endfunction()

# ravelin_library(<name> [CORE] SOURCES ... [WIN32_SOURCES ...] [POSIX_SOURCES ...] [LIBS ...])
# Builds the shared library <name> (Name.dll / libName.so) from the sources plus the
# platform sources of the target system, with include/ as its public include folder.
# CORE adds the objects of <name in lower case>_core (see ravelin_core).
function(ravelin_library name)
  cmake_parse_arguments(ARG "CORE" "" "SOURCES;WIN32_SOURCES;POSIX_SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED)
  ravelin_target_sources(${name} SOURCES ${ARG_SOURCES}
                                 WIN32_SOURCES ${ARG_WIN32_SOURCES}
                                 POSIX_SOURCES ${ARG_POSIX_SOURCES})
  string(TOUPPER ${name} upper)
  target_compile_definitions(${name} PRIVATE ${upper}_BUILD)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                      PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  if(ARG_CORE)
    string(TOLOWER ${name} lower)
    target_link_libraries(${name} PRIVATE ${lower}_core)
  endif()
  if(NOT WIN32)
    target_link_libraries(${name} PRIVATE Threads::Threads)
  endif()
endfunction()

# ravelin_ordinal_import(<target> <def file>) makes an import library that binds
# every export of a stdcall DLL by ordinal, from a decorated NONAME .def file.
function(ravelin_ordinal_import target def dll_target)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_DLLTOOL} -d ${def} -l ${lib}
    DEPENDS ${def} VERBATIM)
  add_custom_target(${target}_implib DEPENDS ${lib})
  add_library(${target} INTERFACE)
  add_dependencies(${target} ${target}_implib ${dll_target})
  target_link_libraries(${target} INTERFACE ${lib})
  target_include_directories(${target} INTERFACE $<TARGET_PROPERTY:${dll_target},INTERFACE_INCLUDE_DIRECTORIES>)
endfunction()

# The product and maker every binary's version information names.
set(RAVELIN_PRODUCT "Ravelin")
set(RAVELIN_COMPANY "Tavo")
set(RAVELIN_VERSION_RC_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)

# ravelin_version_resource(<target> <description>) gives the Windows program or
# DLL <target> its version information: the project's version, <description>,
# and the file name the build gives it. The resource script is also left in
# <target>_VERSION_RC, for test programs that check it. Natively it does
# nothing.
function(ravelin_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(RAVELIN_VERSION_TARGET ${target})
  set(RAVELIN_FILE_DESCRIPTION "${description}")
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(RAVELIN_FILE_TYPE VFT_DLL)
  else()
    set(RAVELIN_FILE_TYPE VFT_APP)
  endif()
  # The file name is known once the build is generated, so the script is
  # written in two steps: the values above now, the file name then.
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${RAVELIN_VERSION_RC_TEMPLATE} ${rc}.in @ONLY)
  file(GENERATE OUTPUT ${rc} INPUT ${rc}.in)
  target_sources(${target} PRIVATE ${rc})
  set(${target}_VERSION_RC ${rc} PARENT_SCOPE)
endfunction()

# ravelin_test(<name> SOURCES ... [WIN32_SOURCES ...] [POSIX_SOURCES ...] LIBS ... [THREADED])
# A GoogleTest program. Natively every test case becomes a ctest test (label
# "native", plus "threaded" for the suites that also run under ThreadSanitizer);
# the Windows build registers the program once, run under Wine (label "wine").
function(ravelin_test name)
  cmake_parse_arguments(ARG "THREADED" "" "SOURCES;WIN32_SOURCES;POSIX_SOURCES;LIBS" ${ARGN})
  add_executable(${name})
  ravelin_target_sources(${name} SOURCES ${ARG_SOURCES}
                                 WIN32_SOURCES ${ARG_WIN32_SOURCES}
                                 POSIX_SOURCES ${ARG_POSIX_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  if(WIN32)
    target_link_libraries(${name} PRIVATE ws2_32)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES LABELS wine TIMEOUT 600)
  else()
    gtest_discover_tests(${name} PROPERTIES LABELS native TIMEOUT 120 DISCOVERY_TIMEOUT 60)
    if(ARG_THREADED)
      # A label list passed through gtest_discover_tests keeps only its first
      # item, so the second label is set once the discovered tests are known.
      set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
      file(WRITE ${labels_file}
        "if(${name}_TESTS)\n"
        "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"native;threaded\")\n"
        "endif()\n")
      set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
    endif()
  endif()
endfunction()

if(NOT WIN32)
  set(THREADS_PREFER_PTHREAD_FLAG ON)
  find_package(Threads REQUIRED)
endif()
