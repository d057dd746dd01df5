# Windows build: the static x64 program and the tests that call Windows, run
# under Wine in a prefix inside the build tree.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
add_link_options(-static -static-libgcc -static-libstdc++)
# Reproducible output: no link time stamp in the PE header, and no build
# folder in what the compiler writes, so that two builds of the same sources
# with the same settings give the same bytes wherever they are made.
add_link_options(-Wl,--no-insert-timestamp)
# A small program: optimised for size, and every function and piece of data
# in a section of its own, so that the linker drops what nothing uses.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)

# Every DLL but kernel32 and msvcrt is delay-loaded, and only ever from the
# system folder (see app/process_start_win.cpp): a DLL of the same name
# planted next to the downloaded program is never picked up. Even known DLLs
# such as user32 are delay-loaded, because what they import themselves is
# resolved at process start, before the search path can be locked; under
# Wine, user32 imports version.dll. A function missing from a .def file links
# statically and the import_table test names the DLL.
set(FETCHWELL_DELAYLOAD_DLLS version netapi32 winhttp gdiplus comctl32 wintrust user32 gdi32 advapi32 shell32 ole32
    oleaut32 oleacc)
set(delay_libs)
foreach(dll ${FETCHWELL_DELAYLOAD_DLLS})
  set(lib ${CMAKE_BINARY_DIR}/delayload/lib${dll}_delay.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
    COMMAND x86_64-w64-mingw32-dlltool --input-def ${CMAKE_SOURCE_DIR}/cmake/delayload/${dll}.def
            --output-delaylib ${lib} --dllname ${dll}.dll
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delayload/${dll}.def
    COMMENT "Delay-import library for ${dll}.dll")
  list(APPEND delay_libs ${lib})
endforeach()
add_custom_target(delayload_libs DEPENDS ${delay_libs})
add_library(fetchwell_delayload INTERFACE)
add_dependencies(fetchwell_delayload delayload_libs)
target_link_libraries(fetchwell_delayload INTERFACE ${delay_libs} delayimp)

# The Windows side of every part, on top of the portable logic.
add_library(fetchwell_windows STATIC
  app/app_message_win.cpp
  app/artwork_win.cpp
  app/background_job_win.cpp
  app/glyph_button_win.cpp
  app/process_start_win.cpp
  app/progress_bar_accessible_win.cpp
  app/serving_wait_win.cpp
  app/session_files_win.cpp
  app/session_http_win.cpp
  app/session_launcher_win.cpp
  app/setup_start_accessible_win.cpp
  app/setup_start_win.cpp
  app/single_instance_win.cpp
  app/taskbar_progress_win.cpp
  app/window_proc_guard_win.cpp
  landing/landing_request_win.cpp
  platform/accessible_object.cpp
  platform/attachment_services.cpp
  platform/file_system.cpp
  platform/http_client.cpp
  platform/module_path.cpp
  platform/picture.cpp
  platform/publisher_check.cpp
  platform/registry.cpp
  platform/staged_file.cpp
  platform/system_ansi_codec.cpp
  platform/text_conversion.cpp
  platform/version_info.cpp
  profile/browser_probes_win.cpp
  profile/file_crc32_win.cpp
  profile/my_exe_info_win.cpp
  profile/system_probes_win.cpp
  profile/system_profile_sources_win.cpp
)
target_link_libraries(fetchwell_windows PUBLIC fetchwell_portable fetchwell_delayload
  user32 gdi32 advapi32 shell32 ole32 oleaut32 oleacc)

# Version resources: one configured .rc per executable.
function(fetchwell_version_rc out name description major minor patch build file_version_text)
  set(VI_NAME ${name})
  set(VI_DESCRIPTION ${description})
  set(VI_MAJOR ${major})
  set(VI_MINOR ${minor})
  set(VI_PATCH ${patch})
  set(VI_BUILD ${build})
  set(VI_FILE_VERSION_TEXT ${file_version_text})
  set(VI_COMPANY "${COMPANY_NAME}")
  set(VI_PRODUCT "${PRODUCT_NAME}")
  set(VI_COPYRIGHT "${LEGAL_COPYRIGHT}")
  set(dir ${CMAKE_BINARY_DIR}/rc/${name})
  configure_file(${CMAKE_SOURCE_DIR}/resources/version.rc.in ${dir}/app_version.rc @ONLY)
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

fetchwell_version_rc(app_rc_dir QuarloFetchwell "${FILE_DESCRIPTION}"
  ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} 0 "${PROJECT_VERSION}.0")

file(GLOB artwork_files ${CMAKE_SOURCE_DIR}/resources/artwork/*.png)
set_source_files_properties(resources/app.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/resources/app.manifest;${app_rc_dir}/app_version.rc")
set_source_files_properties(resources/artwork.rc PROPERTIES OBJECT_DEPENDS "${artwork_files}")

# fetchwell_program(<target> <landing address> <publisher thumbprints>):
# the program, built for one landing address and publisher pin.
function(fetchwell_program target landing publisher)
  # The runtime's error throwers and terminate handler are the program's own:
  # theirs bring in formatted printing and a demangler (see those files).
  add_executable(${target} WIN32 app/main_win.cpp app/runtime_errors_win.cpp app/terminate_handler_win.cpp
                 resources/app.rc resources/artwork.rc)
  target_include_directories(${target} PRIVATE ${app_rc_dir} ${CMAKE_SOURCE_DIR}/resources)
  target_link_libraries(${target} PRIVATE fetchwell_windows)
  target_link_options(${target} PRIVATE -municode)
  target_compile_definitions(${target} PRIVATE FETCHWELL_LANDING_URL=L"${landing}"
    FETCHWELL_INSTALLER_PUBLISHER=L"${publisher}")
endfunction()

fetchwell_program(QuarloFetchwell "${LANDING_URL}" "${installer_publisher_hex}")
target_link_options(QuarloFetchwell PRIVATE -s)
if(SIGN_PFX OR SIGN_PASSWORD_FILE)
  if(NOT SIGN_PFX OR NOT SIGN_PASSWORD_FILE)
    message(FATAL_ERROR "SIGN_PFX and SIGN_PASSWORD_FILE are set together")
  endif()
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  set(sign_time)
  if(SIGN_TIMESTAMP_URL)
    set(sign_time -ts ${SIGN_TIMESTAMP_URL})
  elseif(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(sign_time -time $ENV{SOURCE_DATE_EPOCH})
  endif()
  # Signed into a second file, which then replaces the linked one: a failed
  # signing leaves no half-signed program behind.
  add_custom_command(TARGET QuarloFetchwell POST_BUILD
    COMMAND ${OSSLSIGNCODE} sign -pkcs12 ${SIGN_PFX} -readpass ${SIGN_PASSWORD_FILE} -h sha256
            -n "${PRODUCT_NAME}" ${sign_time} -in $<TARGET_FILE:QuarloFetchwell> -out $<TARGET_FILE:QuarloFetchwell>.signed
    COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:QuarloFetchwell>.signed $<TARGET_FILE:QuarloFetchwell>
    COMMENT "Signing QuarloFetchwell.exe"
    VERBATIM)
endif()

# The same program built against the end-to-end tests' landing site, and
# variants pinned to the tests' own signing certificates: one, and two (the
# current certificate and the next).
set(FETCHWELL_E2E_PORT 18081 CACHE STRING "Loopback port of the end-to-end tests' landing site")
set(e2e_landing "http://127.0.0.1:${FETCHWELL_E2E_PORT}/php/landing.php")
fetchwell_program(QuarloFetchwell_e2e "${e2e_landing}" "")
file(SHA256 ${CMAKE_SOURCE_DIR}/tests/fixtures/signing/pinned.der e2e_publisher)
file(SHA256 ${CMAKE_SOURCE_DIR}/tests/fixtures/signing/other.der e2e_next_publisher)
fetchwell_program(QuarloFetchwell_e2e_pinned "${e2e_landing}" "${e2e_publisher}")
fetchwell_program(QuarloFetchwell_e2e_two_pins "${e2e_landing}" "${e2e_publisher},${e2e_next_publisher}")

# The installer the demo landing site serves (scripts/run.sh).
add_executable(demo_installer WIN32 demo/demo_installer.cpp)
target_link_options(demo_installer PRIVATE -municode -s)

include(cmake/WindowsTests.cmake)
