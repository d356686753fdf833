# What a cross build takes from the host: GoogleTest built from its source with the cross compiler,
# and the header-only CLI11 and JSON libraries through a folder of their own (the host's include
# folder as a whole would hide the target's C library).
set(VEXILOR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source, built with the cross compiler")
if(VEXILOR_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${VEXILOR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Its own build names its targets GTest::gtest, GTest::gtest_main, GTest::gmock already.
endif()

set(VEXILOR_HOST_INCLUDE /usr/include CACHE PATH "Where the host keeps the CLI11 and nlohmann headers")
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
foreach(dir CLI nlohmann)
  if(NOT EXISTS ${VEXILOR_HOST_INCLUDE}/${dir})
    message(FATAL_ERROR "${VEXILOR_HOST_INCLUDE}/${dir} is missing: install libcli11-dev and nlohmann-json3-dev")
  endif()
  file(CREATE_LINK ${VEXILOR_HOST_INCLUDE}/${dir} ${host_headers}/${dir} SYMBOLIC)
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${host_headers})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${host_headers})

# Tests run the programs under Wine, which sees the host's root as drive Z:; paths built into the
# tests carry the drive so that they stay right whatever the current drive of a test.
set(VEXILOR_TEST_DRIVE "Z:" CACHE STRING "Drive through which the test programs see the build tree")
