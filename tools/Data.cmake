# The data directory the demo runs in by default (build/data). Until the generated content
# exists, the build writes a short script that shows CLEAR's methods and the letterbox.
set(ZARNOVELT_DATA_DIR ${CMAKE_BINARY_DIR}/data)
add_custom_command(
  OUTPUT ${ZARNOVELT_DATA_DIR}/demoflow.txt
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZARNOVELT_DATA_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/tools/demoflow-first.txt ${ZARNOVELT_DATA_DIR}/demoflow.txt
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/demoflow-first.txt
  COMMENT "Writing the first data directory")
add_custom_target(zarnovelt_data ALL DEPENDS ${ZARNOVELT_DATA_DIR}/demoflow.txt)
