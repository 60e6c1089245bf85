# The data directory the demo runs in by default (build/data), generated from code by
# tools/assetgen: textures, models, height map, soundtrack and the timeline script. The review
# sheet of every picture goes beside it (build/data-review/contact_sheet.png), not into data/.
#
# A cross build (Windows) cannot run what it compiles: its data is made by a native assetgen,
# ZARNOVELT_ASSETGEN (scripts/build-windows.sh builds it in build-native-tools/). The same
# generator gives the same bytes, so both platforms read the same files.
if(CMAKE_CROSSCOMPILING)
  set(ZARNOVELT_ASSETGEN "" CACHE FILEPATH "A native assetgen executable that writes the data")
  if(NOT EXISTS "${ZARNOVELT_ASSETGEN}")
    message(FATAL_ERROR "A cross build needs -DZARNOVELT_ASSETGEN=<native assetgen> (scripts/build-windows.sh passes it)")
  endif()
  set(ZARNOVELT_DATA_DIR ${CMAKE_BINARY_DIR}/data)
  # The executable's icon and the start-up dialog's banner (resources 110 and 140).
  set(ZARNOVELT_RESOURCE_DIR ${CMAKE_BINARY_DIR}/resources)
  add_custom_command(
    OUTPUT ${ZARNOVELT_DATA_DIR}/demoflow.txt ${ZARNOVELT_RESOURCE_DIR}/zarnovelt.ico ${ZARNOVELT_RESOURCE_DIR}/banner.bmp
    COMMAND ${ZARNOVELT_ASSETGEN} ${ZARNOVELT_DATA_DIR} --icons ${ZARNOVELT_RESOURCE_DIR}
      --banner ${ZARNOVELT_RESOURCE_DIR}
    DEPENDS ${ZARNOVELT_ASSETGEN}
    COMMENT "Generating the demo's data files, icon and banner with the native assetgen"
    VERBATIM)
  add_custom_target(zarnovelt_data ALL DEPENDS ${ZARNOVELT_DATA_DIR}/demoflow.txt)
  return()
endif()

find_package(Freetype REQUIRED)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)

# The generator's parts are a library, so ContentTest can check its writers and builders
# against the demo's own readers; its headers are included as "assetgen/...".
file(GLOB ASSETGEN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/assetgen/*.cpp)
list(REMOVE_ITEM ASSETGEN_SOURCES ${CMAKE_SOURCE_DIR}/tools/assetgen/Main.cpp)
add_library(assetgen_core STATIC ${ASSETGEN_SOURCES})
target_include_directories(assetgen_core INTERFACE ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(assetgen_core PUBLIC JPEG::JPEG PNG::PNG Freetype::Freetype PkgConfig::VORBISENC Threads::Threads)
# The generator does a lot of arithmetic; keep it optimised in every build type so the build
# stays fast.
target_compile_options(assetgen_core PRIVATE $<$<CONFIG:Debug>:-O2>)

add_executable(assetgen ${CMAKE_SOURCE_DIR}/tools/assetgen/Main.cpp)
target_link_libraries(assetgen PRIVATE assetgen_core)
# Next to the demo, so tests find it beside ZARNOVELT_BINARY.
set_target_properties(assetgen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# ContentTest and IconTest are defined later (tests/); link them to the generator's parts once it exists.
function(zarnovelt_link_content_test)
  foreach(test ContentTest IconTest)
    if(TARGET ${test})
      target_link_libraries(${test} PRIVATE assetgen_core)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL zarnovelt_link_content_test)

set(ZARNOVELT_DATA_DIR ${CMAKE_BINARY_DIR}/data)
set(ZARNOVELT_REVIEW_DIR ${CMAKE_BINARY_DIR}/data-review)
# The icon (PNG sizes and the Windows .ico) is not data the demo reads: it goes to build/resources.
set(ZARNOVELT_RESOURCE_DIR ${CMAKE_BINARY_DIR}/resources)
add_custom_command(
  OUTPUT ${ZARNOVELT_DATA_DIR}/demoflow.txt ${ZARNOVELT_REVIEW_DIR}/contact_sheet.png ${ZARNOVELT_RESOURCE_DIR}/zarnovelt.ico
    ${ZARNOVELT_RESOURCE_DIR}/banner_rgb.inc
  COMMAND assetgen ${ZARNOVELT_DATA_DIR} --review ${ZARNOVELT_REVIEW_DIR} --icons ${ZARNOVELT_RESOURCE_DIR}
    --banner ${ZARNOVELT_RESOURCE_DIR}
  DEPENDS assetgen
  COMMENT "Generating the demo's data files"
  VERBATIM)
add_custom_target(zarnovelt_data ALL
  DEPENDS ${ZARNOVELT_DATA_DIR}/demoflow.txt ${ZARNOVELT_REVIEW_DIR}/contact_sheet.png ${ZARNOVELT_RESOURCE_DIR}/zarnovelt.ico
    ${ZARNOVELT_RESOURCE_DIR}/banner_rgb.inc)
# The Linux start-up dialog compiles the banner in (the Windows executable carries it as a
# resource).
set_source_files_properties(${CMAKE_SOURCE_DIR}/demosys/platform/sdl/SdlBanner.cpp
  PROPERTIES INCLUDE_DIRECTORIES ${ZARNOVELT_RESOURCE_DIR} OBJECT_DEPENDS ${ZARNOVELT_RESOURCE_DIR}/banner_rgb.inc)
add_dependencies(demosys zarnovelt_data)
