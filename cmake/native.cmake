# The native Linux build: the portable code and the fake platform, tested
# with AddressSanitizer and UndefinedBehaviorSanitizer.
option(VELMORA_SANITIZE "Build with ASan and UBSan" ON)
if(VELMORA_SANITIZE)
  set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all
                 -fno-omit-frame-pointer)
  foreach(target velmora_core velmora_fake)
    target_compile_options(${target} PUBLIC ${SANITIZERS})
    target_link_options(${target} PUBLIC ${SANITIZERS})
  endforeach()
endif()

if(VELMORA_TESTS)
  include(GoogleTest)
  file(GLOB UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
  add_executable(unit_tests ${UNIT_TESTS})
  target_link_libraries(unit_tests PRIVATE velmora_fake GTest::gtest_main GTest::gmock)
  gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST)
endif()

# Fuzz targets build where the compiler is clang with libFuzzer. They link
# a copy of the core built with coverage for libFuzzer, so that the fuzzer
# sees which paths of the code under test its inputs reach.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS tests/fuzz/*.cpp)
  if(FUZZ_TARGETS)
    add_library(velmora_core_fuzz STATIC ${CORE_SOURCES})
    target_include_directories(velmora_core_fuzz PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_options(velmora_core_fuzz PRIVATE -fsanitize=fuzzer-no-link)
    if(VELMORA_SANITIZE)
      target_compile_options(velmora_core_fuzz PUBLIC ${SANITIZERS})
      target_link_options(velmora_core_fuzz PUBLIC ${SANITIZERS})
    endif()
  endif()
  foreach(source ${FUZZ_TARGETS})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE velmora_core_fuzz)
  endforeach()
endif()
