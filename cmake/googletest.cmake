# GoogleTest for the test programs: built from the sources at
# GOOGLETEST_SOURCE when they are there, else an installed GoogleTest
# (MSYS2, vcpkg). Without either the program still builds and the test
# programs are left out; VELMORA_TESTS says which happened.
set(VELMORA_TESTS OFF)
if(EXISTS ${GOOGLETEST_SOURCE}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # GoogleTest links the same C runtime as the project under MSVC.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL)
  set(VELMORA_TESTS ON)
else()
  find_package(GTest CONFIG QUIET)
  if(GTest_FOUND)
    set(VELMORA_TESTS ON)
  endif()
endif()
if(NOT VELMORA_TESTS)
  message(NOTICE "GoogleTest not found (GOOGLETEST_SOURCE=${GOOGLETEST_SOURCE}):"
                 " building the program without its tests")
endif()
