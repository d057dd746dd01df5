# Native build: unit tests of the portable logic, with sanitizers, and the
# libFuzzer targets when the compiler is clang.
if(FETCHWELL_SANITIZE)
  set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${sanitizers})
  add_link_options(${sanitizers})
endif()

file(GLOB native_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${native_test_sources})
target_link_libraries(native_tests PRIVATE fetchwell_portable gtest_main)
add_test(NAME native_tests COMMAND native_tests)

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/fuzz_*.cpp)
  foreach(source ${fuzz_sources})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE fetchwell_portable)
    list(APPEND FETCHWELL_FUZZERS ${name})
  endforeach()
  # A short, bounded run of every fuzz target over its seed corpus.
  foreach(name ${FETCHWELL_FUZZERS})
    # New inputs go to a scratch folder in the build tree (libFuzzer writes
    # into its first corpus folder); the committed seeds are only read.
    set(corpus ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
    set(scratch ${CMAKE_BINARY_DIR}/fuzz-work/${name})
    file(MAKE_DIRECTORY ${scratch})
    add_test(NAME ${name}_short
             COMMAND $<TARGET_FILE:${name}> -max_total_time=20 -timeout=5 -rss_limit_mb=1024 ${scratch} ${corpus})
  endforeach()
endif()
