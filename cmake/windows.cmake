# The Windows build: velmora.exe on the Win32 backend, and the programs that
# test and measure it under Wine (or on Windows itself).
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                        _WIN32_WINNT=0x0A00)
if(NOT MSVC)
  # Standard C++ only (no GNU extensions), as MSVC must build it too.
  target_compile_options(velmora_warnings INTERFACE
    $<$<COMPILE_LANGUAGE:C,CXX>:-Wpedantic>)
  # One self-contained executable: no libstdc++, libgcc, winpthread or ssp
  # DLL.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Hardening: stack canaries (libssp, linked in statically by -static) and
  # checked string and memory functions where the optimiser knows the sizes
  # (mingw-w64's headers act on _FORTIFY_SOURCE in optimised builds only).
  add_compile_options(-fstack-protector-strong -D_FORTIFY_SOURCE=2)
  add_link_options(-fstack-protector-strong)
  # The PE header: Windows 7 (6.1) as the oldest system and subsystem,
  # terminal-server aware, ASLR with high-entropy addresses, DEP.
  add_link_options(-Wl,--major-subsystem-version,6,--minor-subsystem-version,1
                   -Wl,--major-os-version,6,--minor-os-version,1
                   -Wl,--tsaware,--dynamicbase,--high-entropy-va,--nxcompat)
  # No build path in the binary: source file names as seen from the source
  # folder, so that two checkouts build the same bytes. (Nothing compiled
  # names a file of the build folder; tools/pe-check.py checks both.)
  add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
else()
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
  # The manifest is a resource of velmora.rc; the linker adds none of its own.
  add_link_options(/MANIFEST:NO)
endif()

file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp)
add_library(velmora_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(velmora_win32 PUBLIC velmora_core user32 gdi32 comctl32
                                           shell32 ole32 advapi32)

# The resources (icons, version, manifest). velmora.rc names its icons
# relative to app/; the version header and the manifest are made from the
# project version into the build folder.
set(VELMORA_GENERATED ${CMAKE_CURRENT_BINARY_DIR}/generated)
configure_file(app/velmora_version.h.in ${VELMORA_GENERATED}/velmora_version.h @ONLY)
configure_file(app/res/velmora.manifest.in ${VELMORA_GENERATED}/velmora.manifest @ONLY)
# The event messages: app/velmora_events.mc compiled by the message compiler
# into a message table that velmora.rc includes.
if(NOT VELMORA_MC_COMPILER)
  set(VELMORA_MC_COMPILER mc)
endif()
set(VELMORA_MC ${CMAKE_CURRENT_SOURCE_DIR}/app/velmora_events.mc)
add_custom_command(
  OUTPUT ${VELMORA_GENERATED}/velmora_events.rc
         ${VELMORA_GENERATED}/velmora_events.h
         ${VELMORA_GENERATED}/MSG00409.bin
  COMMAND ${VELMORA_MC_COMPILER} -r ${VELMORA_GENERATED} -h ${VELMORA_GENERATED}
          ${VELMORA_MC}
  DEPENDS ${VELMORA_MC} VERBATIM)
add_custom_target(velmora_messages DEPENDS ${VELMORA_GENERATED}/velmora_events.rc)
set(VELMORA_RC ${CMAKE_CURRENT_SOURCE_DIR}/app/velmora.rc)
set(VELMORA_RC_INCLUDES ${CMAKE_CURRENT_SOURCE_DIR}/app ${VELMORA_GENERATED})
set_property(SOURCE ${VELMORA_RC} APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/app/res/velmora.ico
  ${CMAKE_CURRENT_SOURCE_DIR}/app/res/viewer.ico
  ${VELMORA_GENERATED}/velmora_version.h
  ${VELMORA_GENERATED}/velmora.manifest
  ${VELMORA_GENERATED}/velmora_events.rc
  ${VELMORA_GENERATED}/MSG00409.bin)

add_executable(velmora WIN32 app/win32_main.cpp app/win32_entry.cpp
                       app/win32_console.cpp
                       ${VELMORA_RC})
target_include_directories(velmora PRIVATE ${VELMORA_RC_INCLUDES})
target_link_libraries(velmora PRIVATE velmora_win32)
add_dependencies(velmora velmora_messages)
# The entry point is VelmoraStart (app/win32_entry.cpp), which keeps the DLL
# search to System32 and then starts the C runtime, and with it wWinMain.
if(NOT MSVC)
  # 32-bit symbols carry a leading underscore; -s keeps the executable small.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VELMORA_ENTRY _VelmoraStart)
  else()
    set(VELMORA_ENTRY VelmoraStart)
  endif()
  target_link_options(velmora PRIVATE -municode -s -Wl,-e,${VELMORA_ENTRY})
else()
  target_link_options(velmora PRIVATE /ENTRY:VelmoraStart)
endif()
# The linker stamps SOURCE_DATE_EPOCH into the exe: a new value (a new
# commit, read again by each configure) links it anew.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/source_date_epoch
     CONTENT "$ENV{SOURCE_DATE_EPOCH}\n")
set_property(TARGET velmora APPEND PROPERTY LINK_DEPENDS
             ${CMAKE_BINARY_DIR}/source_date_epoch)

# Test programs, run under Wine by the scripts in tools/.
if(VELMORA_TESTS)
  file(GLOB WINE_TESTS CONFIGURE_DEPENDS tests/wine/*.cpp)
  if(WINE_TESTS)
    add_executable(wine_tests ${WINE_TESTS})
    # The program's resources too, so icons and the manifest are tested.
    target_sources(wine_tests PRIVATE ${VELMORA_RC})
    target_include_directories(wine_tests PRIVATE ${VELMORA_RC_INCLUDES})
    add_dependencies(wine_tests velmora_messages)
    # uuid: the class and interface ids of the shell links the tests write;
    # oleacc and oleaut32: the accessible names the tests read.
    target_link_libraries(wine_tests PRIVATE velmora_win32 velmora_fake uuid
                                             oleacc oleaut32 GTest::gtest_main)
  endif()

  file(GLOB E2E_TESTS CONFIGURE_DEPENDS tests/e2e/*.cpp)
  if(E2E_TESTS)
    add_executable(e2e_tests ${E2E_TESTS})
    # ole32 and uuid: the shell links the repair test writes.
    target_link_libraries(e2e_tests PRIVATE GTest::gtest_main user32 gdi32
                                            advapi32 ole32 uuid)
  endif()
endif()

# Benchmark programs, run under Wine by tools/bench.sh.
file(GLOB BENCH_PROGRAMS CONFIGURE_DEPENDS bench/*.cpp)
foreach(source ${BENCH_PROGRAMS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE velmora_win32 velmora_fake)
endforeach()
# The start-up baselines are windowed programs, as velmora.exe is; the plain
# window carries velmora.exe's manifest.
foreach(baseline bare_window plain_window)
  if(TARGET ${baseline})
    set_target_properties(${baseline} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
endforeach()
if(TARGET plain_window)
  target_sources(plain_window PRIVATE bench/plain_window.rc)
  target_include_directories(plain_window PRIVATE ${VELMORA_GENERATED})
  set_property(SOURCE bench/plain_window.rc APPEND PROPERTY OBJECT_DEPENDS
    ${VELMORA_GENERATED}/velmora.manifest)
endif()

# `dist`: the archive a user downloads, velmora-<version>-win64.zip.
set(VELMORA_DIST_DIR ${CMAKE_BINARY_DIR}/dist CACHE PATH
    "Where the dist target puts the archive")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELMORA_DIST_NAME velmora-${PROJECT_VERSION}-win64)
else()
  set(VELMORA_DIST_NAME velmora-${PROJECT_VERSION}-win32)
endif()
# The archive is written by a Python 3 script, which fixes its every byte;
# velmora.exe goes into it (and into the package) as cmake/sign.py leaves
# it: signed where SIGN_PFX is set in the environment, else unchanged.
# The 64-bit build also makes the Windows Installer package with wixl
# (cmake/msi.py, under the system's Python, which has libmsi's bindings),
# signed in turn.
find_package(Python3 COMPONENTS Interpreter)
find_program(VELMORA_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(Python3_Interpreter_FOUND)
  set(VELMORA_DIST_EXE ${CMAKE_BINARY_DIR}/dist-exe/velmora.exe)
  set(VELMORA_DIST_COMMANDS
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/sign.py
            $<TARGET_FILE:velmora> ${VELMORA_DIST_EXE}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/dist.py
            ${VELMORA_DIST_EXE} ${CMAKE_CURRENT_SOURCE_DIR}
            ${VELMORA_DIST_DIR} ${VELMORA_DIST_NAME})
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    if(NOT VELMORA_SYSTEM_PYTHON)
      set(VELMORA_SYSTEM_PYTHON ${Python3_EXECUTABLE})
    endif()
    set(VELMORA_MSI ${VELMORA_DIST_DIR}/velmora-${PROJECT_VERSION}-x64.msi)
    list(APPEND VELMORA_DIST_COMMANDS
      COMMAND ${VELMORA_SYSTEM_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/msi.py
              ${VELMORA_DIST_EXE} ${CMAKE_CURRENT_SOURCE_DIR}
              ${VELMORA_DIST_DIR} ${PROJECT_VERSION}
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/sign.py
              ${VELMORA_MSI} ${VELMORA_MSI})
  endif()
  add_custom_target(dist ${VELMORA_DIST_COMMANDS} DEPENDS velmora VERBATIM)
else()
  add_custom_target(dist
    COMMAND ${CMAKE_COMMAND} -E echo "dist: needs Python 3, which was not found"
    COMMAND ${CMAKE_COMMAND} -E false VERBATIM)
endif()
