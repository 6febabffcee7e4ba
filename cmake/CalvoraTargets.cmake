# Shared compile settings and the helpers that add tests and fuzz targets.

add_library(calvora_warnings INTERFACE)
target_compile_options(calvora_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual)

if(CALVORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# calvora_add_test(NAME name SOURCES ... LIBS ... [GUI] [SLOW pattern...])
# One GoogleTest program per library; GUI tests run on the offscreen platform. Its tests are
# labelled "fast", except those matching a SLOW pattern (GoogleTest filter patterns such as
# "RecordingTest.AnsweredCall*"): the end-to-end tests that wait on real time are labelled
# "slow", so that "ctest -L fast" leaves them out.
function(calvora_add_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS;SLOW" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE calvora_test_main_gui)
  else()
    target_link_libraries(${T_NAME} PRIVATE calvora_test_main_core)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} calvora_warnings)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(fast_filter "*")
  if(T_SLOW)
    list(JOIN T_SLOW ":" slow_filter)
    set(fast_filter "-${slow_filter}")
    gtest_discover_tests(${T_NAME}
      TEST_FILTER "${slow_filter}"
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                 TIMEOUT 300
                 LABELS slow)
  endif()
  gtest_discover_tests(${T_NAME}
    TEST_FILTER "${fast_filter}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 300
               LABELS fast)
endfunction()

# calvora_add_fuzzer(NAME name SOURCES ... LIBS ... CORPUS dir)
# With CALVORA_FUZZ and clang the target is a libFuzzer program; otherwise it is built with a
# small driver that replays the seed corpus, and that replay runs as a test.
function(calvora_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;CORPUS" "SOURCES;LIBS" ${ARGN})
  if(CALVORA_FUZZ)
    add_executable(${F_NAME} ${F_SOURCES})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    add_executable(${F_NAME} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    add_test(NAME ${F_NAME}_replay COMMAND ${F_NAME} ${F_CORPUS})
    set_tests_properties(${F_NAME}_replay PROPERTIES LABELS fast)
  endif()
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS} calvora_warnings)
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()
