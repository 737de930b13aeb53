# The Windows build: velmora.exe on the Win32 backend, and the programs that
# test and measure it under Wine (or on Windows itself).
if(NOT MSVC)
  # One self-contained executable: no libstdc++, libgcc or winpthread DLL.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                          _WIN32_WINNT=0x0A00)
else()
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                          _WIN32_WINNT=0x0A00 _CRT_SECURE_NO_WARNINGS)
endif()

file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp)
add_library(velmora_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(velmora_win32 PUBLIC velmora_core user32 gdi32 comctl32
                                           shell32 ole32)

# The resources (icons, version, manifest) name their files relative to app/.
set(VELMORA_RC ${CMAKE_CURRENT_SOURCE_DIR}/app/velmora.rc)
set_property(SOURCE ${VELMORA_RC} APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/app/res/velmora.ico
  ${CMAKE_CURRENT_SOURCE_DIR}/app/res/viewer.ico
  ${CMAKE_CURRENT_SOURCE_DIR}/app/res/velmora.manifest)

add_executable(velmora WIN32 app/win32_main.cpp ${VELMORA_RC})
target_include_directories(velmora PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/app)
target_link_libraries(velmora PRIVATE velmora_win32)
if(NOT MSVC)
  # wWinMain is the entry point; -s keeps the executable small.
  target_link_options(velmora PRIVATE -municode -s)
endif()

# Test and benchmark programs, run under Wine by the scripts in tests/.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB WINE_TESTS CONFIGURE_DEPENDS tests/wine/*.cpp)
if(WINE_TESTS)
  add_executable(wine_tests ${WINE_TESTS})
  # The program's resources too, so icons and the manifest are tested.
  target_sources(wine_tests PRIVATE ${VELMORA_RC})
  target_include_directories(wine_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/app)
  # uuid: the class and interface ids of the shell links the tests write.
  target_link_libraries(wine_tests PRIVATE velmora_win32 velmora_fake uuid
                                           GTest::gtest_main)
endif()

file(GLOB E2E_TESTS CONFIGURE_DEPENDS tests/e2e/*.cpp)
if(E2E_TESTS)
  add_executable(e2e_tests ${E2E_TESTS})
  target_link_libraries(e2e_tests PRIVATE GTest::gtest_main user32 gdi32)
endif()

file(GLOB BENCH_PROGRAMS CONFIGURE_DEPENDS bench/*.cpp)
foreach(source ${BENCH_PROGRAMS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE velmora_win32 velmora_fake)
endforeach()
# The start-up baseline is a windowed program, as velmora.exe is.
if(TARGET bare_window)
  set_target_properties(bare_window PROPERTIES WIN32_EXECUTABLE ON)
endif()
