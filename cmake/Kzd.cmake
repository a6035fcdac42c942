# Helpers that keep every library, test, benchmark and fuzz target built the
# same way. Sources are picked up by directory, so adding a module is adding
# its .h/.cpp pair.

set(KZD_WARNINGS -Wall -Wextra -Wno-unused-parameter)
if(KZD_SANITIZE)
  set(KZD_SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_compile_options(${KZD_SAN_FLAGS})
  add_link_options(${KZD_SAN_FLAGS})
endif()

# kzd_library(NAME DIR [DEPS ...]): static library kzd_NAME from every .cpp of DIR.
function(kzd_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER _src INCLUDE REGEX "\\.(cpp|qrc)$")
  if(NOT _src)
    # A subsystem whose modules have not been written yet.
    add_library(kzd_${name} INTERFACE)
    target_include_directories(kzd_${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(kzd_${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  file(GLOB _hdr CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(kzd_${name} STATIC ${_src} ${_hdr})
  target_include_directories(kzd_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}
                             ${PROJECT_BINARY_DIR}/generated)
  target_compile_options(kzd_${name} PRIVATE ${KZD_WARNINGS})
  target_link_libraries(kzd_${name} PUBLIC ${ARG_DEPS} Threads::Threads)
endfunction()

# kzd_tests(NAME [DEPS ...]): one GoogleTest executable kzd_NAME_tests from the
# .cpp files of the current directory, registered with CTest.
function(kzd_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT _src)
    return()
  endif()
  add_executable(kzd_${name}_tests ${_src})
  target_include_directories(kzd_${name}_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests/support)
  target_compile_options(kzd_${name}_tests PRIVATE ${KZD_WARNINGS})
  target_link_libraries(kzd_${name}_tests PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(kzd_${name}_tests DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()

# kzd_bench(NAME [DEPS ...]): one Google Benchmark executable kzd_NAME_bench.
function(kzd_bench name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(kzd_${name}_bench ${_src})
  target_link_libraries(kzd_${name}_bench PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# kzd_fuzzer(NAME SOURCE [DEPS ...]): a libFuzzer target fuzz_NAME.
function(kzd_fuzzer name source)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  add_executable(fuzz_${name} ${source})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_DEPS})
endfunction()

if(KZD_BUILD_FUZZ)
  # Instrument the libraries for coverage; the fuzz targets add the driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
