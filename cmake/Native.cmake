# Native (g++) build: the portable core, its tests, benchmarks, fuzzers and tools.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)

set(VELQO_STRINGS_CPP ${CMAKE_BINARY_DIR}/generated/embedded_strings.cpp)
add_custom_command(
  OUTPUT ${VELQO_STRINGS_CPP}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/resources/strings.rc
          -DOUTPUT=${VELQO_STRINGS_CPP} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedStrings.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/strings.rc ${PROJECT_SOURCE_DIR}/cmake/EmbedStrings.cmake
  COMMENT "Embedding the string table")

add_library(velqo_core STATIC ${VELQO_CORE_SOURCES}
  ${PROJECT_SOURCE_DIR}/platform/platform_posix.cpp ${VELQO_STRINGS_CPP})
velqo_target_options(velqo_core)
velqo_sanitize(velqo_core)
velqo_coverage(velqo_core)
target_link_libraries(velqo_core PUBLIC Threads::Threads PkgConfig::MINIZIP ZLIB::ZLIB)
target_include_directories(velqo_core PUBLIC ${PROJECT_SOURCE_DIR})

# Developer tools: tools/<name>.cpp are programs, tools/<topic>/*.cpp their shared code.
file(GLOB VELQO_TOOL_LIB_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/*/*.cpp)
add_library(velqo_toollib STATIC ${VELQO_TOOL_LIB_SOURCES})
velqo_target_options(velqo_toollib)
velqo_sanitize(velqo_toollib)
target_link_libraries(velqo_toollib PUBLIC velqo_core)

add_executable(velqo_tests ${VELQO_TEST_SOURCES} ${VELQO_TEST_SUPPORT})
velqo_target_options(velqo_tests)
velqo_sanitize(velqo_tests)
velqo_coverage(velqo_tests)
target_link_libraries(velqo_tests PRIVATE velqo_toollib GTest::gtest GTest::gtest_main)
if(VELQO_TSAN)
  # The thread-sanitizer build runs only the tests that exercise threads.
  add_test(NAME native_tests_tsan COMMAND velqo_tests --gtest_brief=1 --gtest_filter=*Concurrency*)
  return()
endif()
add_test(NAME native_tests COMMAND velqo_tests --gtest_brief=1)
set_tests_properties(native_tests PROPERTIES ENVIRONMENT "TZ=Asia/Tokyo")
# The calendar must not depend on the host's time zone.
add_test(NAME native_tests_new_york COMMAND velqo_tests --gtest_brief=1 --gtest_filter=Dates*:Holidays*)
set_tests_properties(native_tests_new_york PROPERTIES ENVIRONMENT "TZ=America/New_York")

file(GLOB VELQO_TOOL_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/*.cpp)
foreach(src ${VELQO_TOOL_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  velqo_target_options(${name})
  velqo_sanitize(${name})
  target_link_libraries(${name} PRIVATE velqo_toollib)
endforeach()

if(VELQO_BENCH)
  find_package(benchmark REQUIRED)
  file(GLOB VELQO_BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
  if(VELQO_BENCH_SOURCES)
    add_executable(velqo_bench ${VELQO_BENCH_SOURCES})
    velqo_target_options(velqo_bench)
    target_link_libraries(velqo_bench PRIVATE velqo_toollib benchmark::benchmark benchmark::benchmark_main)
  endif()
endif()

# Each fuzz/*_fuzz.cpp defines LLVMFuzzerTestOneInput. With clang they are
# libFuzzer programs; with any compiler a replay driver runs them over seeded
# random inputs and over the kept inputs in fuzz/corpus/<name>/ (chosen from
# fuzzing runs, and every input that ever failed), so that the test command
# exercises them briefly.
file(GLOB VELQO_FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*_fuzz.cpp)
foreach(src ${VELQO_FUZZ_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  if(VELQO_FUZZ)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    add_executable(${name} ${src} ${PROJECT_SOURCE_DIR}/fuzz/replay_driver.cpp)
    set(count 2000)
    set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    if(NOT EXISTS ${corpus})
      set(corpus "")
    endif()
    add_test(NAME ${name} COMMAND ${name} --random ${count} ${corpus})
  endif()
  velqo_target_options(${name})
  if(NOT VELQO_FUZZ)
    velqo_sanitize(${name})
  endif()
  target_link_libraries(${name} PRIVATE velqo_core)
endforeach()
