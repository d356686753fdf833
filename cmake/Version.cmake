# The build's own version: product name, version and build date for headers of written files and
# the about box.
string(TIMESTAMP VEXILOR_BUILD_DATE "%Y-%m-%d" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${CMAKE_BINARY_DIR}/generated/vexilor/Version.h @ONLY)
add_library(vexilor_version INTERFACE)
target_include_directories(vexilor_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
