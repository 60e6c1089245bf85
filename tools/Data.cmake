# The data directory the demo runs in by default (build/data), generated from code by
# tools/assetgen: textures, models, height map, soundtrack and the timeline script. The review
# sheet of every picture goes beside it (build/data-review/contact_sheet.png), not into data/.
find_package(Freetype REQUIRED)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)

file(GLOB ASSETGEN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/assetgen/*.cpp)
add_executable(assetgen ${ASSETGEN_SOURCES})
target_link_libraries(assetgen PRIVATE JPEG::JPEG PNG::PNG Freetype::Freetype PkgConfig::VORBISENC Threads::Threads)
# The generator does a lot of arithmetic; keep it optimised in every build type so the build
# stays fast, and next to the demo so tests can run it.
target_compile_options(assetgen PRIVATE $<$<CONFIG:Debug>:-O2>)
set_target_properties(assetgen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

set(ZARNOVELT_DATA_DIR ${CMAKE_BINARY_DIR}/data)
set(ZARNOVELT_REVIEW_DIR ${CMAKE_BINARY_DIR}/data-review)
add_custom_command(
  OUTPUT ${ZARNOVELT_DATA_DIR}/demoflow.txt ${ZARNOVELT_REVIEW_DIR}/contact_sheet.png
  COMMAND assetgen ${ZARNOVELT_DATA_DIR} --review ${ZARNOVELT_REVIEW_DIR}
  DEPENDS assetgen
  COMMENT "Generating the demo's data files"
  VERBATIM)
add_custom_target(zarnovelt_data ALL
  DEPENDS ${ZARNOVELT_DATA_DIR}/demoflow.txt ${ZARNOVELT_REVIEW_DIR}/contact_sheet.png)
