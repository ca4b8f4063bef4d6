# Test helpers shared by every part of the tree.
#
# qv_add_gtest(NAME SOURCES ... LIBS ...) builds one GoogleTest executable and registers it with
# ctest: label "unit" on the host, "wine" in the cross build (ctest runs it through the Wine wrapper).
# Tests find shared data through the QV_SOURCE_DIR environment variable / the working directory,
# which is the test's own build folder so that nothing is written into the source tree.

enable_testing()

if(QV_FUZZ)
  # no unit tests in the fuzz build
elseif(QV_WIN32)
  # Debian ships GoogleTest's sources; the cross build compiles them with the mingw toolchain.
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(QV_GTEST_MAIN gtest_main)
  set(QV_GTEST gtest)
  set(QV_TEST_LABEL wine)

  # One Xvfb display and one wineserver for the whole ctest run: every Windows test requires the
  # fixture, so that ctest brings the session up before the first and down after the last.
  add_executable(qv_wine_idle WIN32 ${CMAKE_SOURCE_DIR}/tools/wine_idle.c)
  add_test(NAME wine_session_start
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session start ${CMAKE_BINARY_DIR} $<TARGET_FILE:qv_wine_idle>)
  add_test(NAME wine_session_stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session LABELS "wine;e2e" TIMEOUT 120)
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session LABELS "wine;e2e" TIMEOUT 60)
else()
  find_package(GTest REQUIRED)
  set(QV_GTEST_MAIN GTest::gtest_main)
  set(QV_GTEST GTest::gtest)
  set(QV_TEST_LABEL unit)
endif()

function(qv_add_gtest name)
  if(QV_FUZZ)
    return()  # the fuzz build makes fuzz targets only
  endif()
  cmake_parse_arguments(T "NO_MAIN" "" "SOURCES;LIBS" ${ARGN})
  # A test whose sources are still being written is left out of a developer's tree with a warning,
  # so that it does not stop everyone else's configure; tools/test-all fails on that warning.
  foreach(src ${T_SOURCES})
    if(NOT IS_ABSOLUTE ${src})
      set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endif()
    if(NOT EXISTS ${src})
      message(WARNING "qv-missing-test-source: ${name} left out, ${src} does not exist")
      return()
    endif()
  endforeach()
  add_executable(${name} ${T_SOURCES})
  if(T_NO_MAIN)
    target_link_libraries(${name} PRIVATE ${T_LIBS} ${QV_GTEST})
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} ${QV_GTEST_MAIN})
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    LABELS ${QV_TEST_LABEL}
    ENVIRONMENT "QV_SOURCE_DIR=${CMAKE_SOURCE_DIR};QV_TESTDATA=${CMAKE_CURRENT_SOURCE_DIR}/testdata"
    TIMEOUT 600)
  set_property(TEST ${name} PROPERTY WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  qv_wine_fixture(${name})
endfunction()

# Windows tests share the Wine session of the build tree.
function(qv_wine_fixture test)
  if(QV_WIN32)
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED wine_session)
  endif()
endfunction()

# qv_add_fuzzer(NAME SOURCES ... LIBS ...): a libFuzzer target, built only by the fuzz preset.
function(qv_add_fuzzer name)
  if(NOT QV_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  if(NOT TARGET fuzzers)
    add_custom_target(fuzzers)
  endif()
  add_dependencies(fuzzers ${name})
endfunction()
