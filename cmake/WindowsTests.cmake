# Tests of the Windows side, run by ctest through Wine in a throwaway prefix
# inside the build tree. One persistent wineserver serves the whole run, so
# fixture values written under HKLM\HARDWARE survive between processes.
set(FETCHWELL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(FETCHWELL_WINE_ENV
  "WINEPREFIX=${FETCHWELL_WINEPREFIX}"
  "WINEDEBUG=-all"
  "FETCHWELL_BUILD_DIR=${CMAKE_BINARY_DIR}")
# No Mono or Gecko in the prefix: the program needs neither.
set(FETCHWELL_WINE_OVERRIDES "mscoree,mshtml=")

add_test(NAME wine_prefix_start COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh start ${FETCHWELL_WINEPREFIX})
add_test(NAME wine_prefix_stop COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh stop ${FETCHWELL_WINEPREFIX})
set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine)

# fetchwell_wine_test(<test> [extra WINEDLLOVERRIDES entries])
function(fetchwell_wine_test name)
  set(overrides ${FETCHWELL_WINE_OVERRIDES})
  if(ARGC GREATER 1)
    set(overrides "${overrides}\\;${ARGV1}")
  endif()
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine
    ENVIRONMENT "${FETCHWELL_WINE_ENV};WINEDLLOVERRIDES=${overrides}"
    ENVIRONMENT_MODIFICATION "http_proxy=unset:;https_proxy=unset:;HTTP_PROXY=unset:;no_proxy=unset:"
    RESOURCE_LOCK wineprefix_display
    TIMEOUT 900)
endfunction()

# fetchwell_e2e_test(<test> <script in tests/e2e>): the real program under
# Wine against the tests' loopback landing site.
function(fetchwell_e2e_test name script)
  add_test(NAME ${name} COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/${script})
  fetchwell_wine_test(${name})
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "FETCHWELL_E2E_PORT=${FETCHWELL_E2E_PORT}")
endfunction()

# Small executables the probe tests point the registry at.
function(fetchwell_stub_exe name file_version_text with_version)
  if(with_version)
    fetchwell_version_rc(stub_dir ${name} "Test stub" 120 0 6099 130 "${file_version_text}")
    file(WRITE ${stub_dir}/stub.rc "#include \"app_version.rc\"\n")
    add_executable(${name} tests/fixtures/stub_main.cpp ${stub_dir}/stub.rc)
    target_include_directories(${name} PRIVATE ${stub_dir})
  else()
    add_executable(${name} tests/fixtures/stub_main.cpp)
  endif()
  target_link_options(${name} PRIVATE -municode)
endfunction()
fetchwell_stub_exe(stub_chrome "120.0.6099.130" ON)
fetchwell_stub_exe(stub_iexplore "11.00.19041.1 (WinBuild.160101.0800)" ON)
fetchwell_stub_exe(stub_no_version "" OFF)

# A console program that prints the machine profile of the machine it runs on.
fetchwell_version_rc(tool_rc_dir print_profile "Quarlo Fetchwell profile printer"
  ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} 0 "${PROJECT_VERSION}.0")
add_executable(print_profile tests/fixtures/print_profile.cpp resources/app.rc)
target_include_directories(print_profile PRIVATE ${tool_rc_dir} ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(print_profile PRIVATE fetchwell_windows)
target_link_options(print_profile PRIVATE -municode)

fetchwell_version_rc(test_rc_dir windows_tests "Quarlo Fetchwell tests" 7 6 5 4 "7.6.5.4 (test build)")
file(GLOB windows_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*.cpp)
add_executable(windows_tests ${windows_test_sources} resources/app.rc)
target_include_directories(windows_tests PRIVATE ${test_rc_dir} ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(windows_tests PRIVATE fetchwell_windows gtest_main)
add_dependencies(windows_tests stub_chrome stub_iexplore stub_no_version print_profile)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# The test program runs with the loopback test server up.
add_test(NAME windows_tests
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/servers/run_with_server.py
                 wine $<TARGET_FILE:windows_tests>)
# Wine answers version queries on a file named iexplore.exe with its built-in
# program's resource; the Internet Explorer probe test needs the real file read.
fetchwell_wine_test(windows_tests "iexplore.exe=n")

# End to end: the real program on a virtual display against a loopback site.
add_executable(window_driver tests/e2e/window_driver.cpp tests/e2e/driver_accessible.cpp)
target_link_libraries(window_driver PRIVATE oleacc oleaut32 ole32)
target_link_options(window_driver PRIVATE -municode)
fetchwell_e2e_test(window_e2e test_window.py)
add_executable(test_installer WIN32 tests/fixtures/test_installer.cpp)
target_link_options(test_installer PRIVATE -municode)
fetchwell_e2e_test(download_e2e test_download.py)
# DLL planting: a marker DLL planted under system names, and a careless
# loader as the control; the static import table checked by objdump.
add_library(planted_dll MODULE tests/fixtures/planted_dll.cpp)
set_target_properties(planted_dll PROPERTIES PREFIX "")
add_executable(plain_loader tests/fixtures/plain_loader.cpp)
target_link_options(plain_loader PRIVATE -municode)
fetchwell_e2e_test(planting_e2e test_planting.py)
fetchwell_e2e_test(publisher_e2e test_publisher.py)
fetchwell_e2e_test(alive_e2e test_alive.py)
fetchwell_e2e_test(faults_e2e test_faults.py)
add_test(NAME import_table COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/check_imports.py
         $<TARGET_FILE:QuarloFetchwell> $<TARGET_FILE:QuarloFetchwell_e2e> $<TARGET_FILE:QuarloFetchwell_e2e_pinned>)

add_executable(bench_http_fetch tests/bench/http_fetch.cpp)
target_link_libraries(bench_http_fetch PRIVATE fetchwell_windows)
target_link_options(bench_http_fetch PRIVATE -municode)
add_dependencies(windows_tests QuarloFetchwell_e2e QuarloFetchwell_e2e_pinned QuarloFetchwell_e2e_two_pins window_driver test_installer bench_http_fetch planted_dll plain_loader)
include(cmake/ServerTests.cmake)

# The maker's kit: a signed build, made twice in two folders, gives the same
# bytes, and its signature verifies.
add_executable(check_signature tests/fixtures/check_signature.cpp)
target_link_libraries(check_signature PRIVATE fetchwell_windows)
target_link_options(check_signature PRIVATE -municode)
add_test(NAME signed_reproducible_build
         COMMAND sh ${CMAKE_SOURCE_DIR}/tests/build/signed_reproducible.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
fetchwell_wine_test(signed_reproducible_build)
add_dependencies(windows_tests check_signature)

# Hardening: a test CA trusted in the prefix for https on loopback, and a
# stand-in for the attachment services that logs what the program hands it.
add_executable(trust_root tests/fixtures/trust_root.cpp)
target_link_libraries(trust_root PRIVATE crypt32)
target_link_options(trust_root PRIVATE -municode)
add_library(attachment_logger MODULE tests/fixtures/attachment_logger.cpp tests/fixtures/attachment_logger.def)
set_target_properties(attachment_logger PROPERTIES PREFIX "")
fetchwell_e2e_test(hardening_e2e test_hardening.py)

# A good Windows citizen: the keyboard, one instance, and a stand-in for the
# taskbar's COM object that logs the program's progress calls.
add_library(taskbar_logger MODULE tests/fixtures/taskbar_logger.cpp tests/fixtures/taskbar_logger.def)
set_target_properties(taskbar_logger PROPERTIES PREFIX "")
fetchwell_e2e_test(citizen_e2e test_citizen.py)
add_dependencies(windows_tests taskbar_logger)
add_dependencies(windows_tests trust_root attachment_logger)

# The start-up benchmark's reference (scripts/bench-startup.sh): an empty
# window of the download window's size.
add_executable(empty_window WIN32 tests/bench/empty_window.cpp)
target_link_options(empty_window PRIVATE -municode)
add_dependencies(windows_tests empty_window)
