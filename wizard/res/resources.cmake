# Resources of RavelinWiz: the string tables (one script per language), the
# five page dialog templates, the banner bitmaps and the application manifest;
# the version information comes from the build (ravelin_version_resource).
#
# Include this file from the folder that creates RavelinWiz. It sets
#   RAVELIN_WIZ_RC       the resource scripts to add to the RavelinWiz sources
#   RAVELIN_WIZ_RES_DIR  the folder of resource_ids.h, for the C++ include path
#   RAVELIN_WIZ_GENERATED_DIR  the folder of the generated manifest, for the
#                        resource compiler's include path
# and adds the test program wizard_resource_tests, which links the same
# scripts, and the version information of RavelinWiz (RavelinWiz_VERSION_RC),
# and checks what they hold.

set(RAVELIN_WIZ_RES_DIR ${CMAKE_CURRENT_LIST_DIR})

# One script per user-interface language, in the order of their language ids:
# 1028 1031 1033 1036 1040 1045 1048 1049 1054 1055 1057 1060 2052 2058 2070 3082 13321.
set(RAVELIN_WIZ_LANGUAGES
    zh_TW de_DE en_US fr_FR it_IT pl_PL ro_RO ru_RU th_TH tr_TR id_ID sl_SI zh_CN es_MX pt_PT es_ES en_PH)

set(RAVELIN_WIZ_RC
    ${RAVELIN_WIZ_RES_DIR}/pages.rc
    ${RAVELIN_WIZ_RES_DIR}/banners.rc
    ${RAVELIN_WIZ_RES_DIR}/manifest.rc)

# The resource compiler writes no dependency file, so the files each script
# pulls in are named here: a change to them rebuilds the script.
foreach(language IN LISTS RAVELIN_WIZ_LANGUAGES)
  set(script ${RAVELIN_WIZ_RES_DIR}/lang/${language}.rc)
  # Both English tables share one text file.
  string(REGEX REPLACE "^en_.*" "en" texts ${language})
  list(APPEND RAVELIN_WIZ_RC ${script})
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS
      "${RAVELIN_WIZ_RES_DIR}/resource_ids.h;${RAVELIN_WIZ_RES_DIR}/lang/${texts}.strings")
endforeach()

set_source_files_properties(${RAVELIN_WIZ_RES_DIR}/pages.rc PROPERTIES OBJECT_DEPENDS
    ${RAVELIN_WIZ_RES_DIR}/resource_ids.h)

set(banner_files)
foreach(page RANGE 1 5)
  list(APPEND banner_files ${RAVELIN_WIZ_RES_DIR}/banner${page}.bmp)
endforeach()
set_source_files_properties(${RAVELIN_WIZ_RES_DIR}/banners.rc PROPERTIES OBJECT_DEPENDS
    "${RAVELIN_WIZ_RES_DIR}/resource_ids.h;${banner_files}")

# The manifest carries the project's version: it is written into the build
# folder, which the resource compiler searches for it.
set(RAVELIN_WIZ_GENERATED_DIR ${CMAKE_CURRENT_BINARY_DIR}/res)
configure_file(${RAVELIN_WIZ_RES_DIR}/RavelinWiz.manifest.in ${RAVELIN_WIZ_GENERATED_DIR}/RavelinWiz.manifest @ONLY)
set_source_files_properties(${RAVELIN_WIZ_RES_DIR}/manifest.rc PROPERTIES
    OBJECT_DEPENDS ${RAVELIN_WIZ_GENERATED_DIR}/RavelinWiz.manifest)
unset(banner_files)

ravelin_test(wizard_resource_tests
  SOURCES ${RAVELIN_WIZ_RES_DIR}/tests/resource_test.cpp ${RAVELIN_WIZ_RC} ${RavelinWiz_VERSION_RC})
target_include_directories(wizard_resource_tests PRIVATE ${RAVELIN_WIZ_RES_DIR} ${RAVELIN_WIZ_GENERATED_DIR})
target_compile_definitions(wizard_resource_tests PRIVATE RAVELIN_VERSION_TEXT="${PROJECT_VERSION}.0")
