# Shared compile settings for every target of the project.
add_library(quorvel_build_flags INTERFACE)
target_compile_options(quorvel_build_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
if(QUORVEL_WARNINGS_AS_ERRORS)
  target_compile_options(quorvel_build_flags INTERFACE -Werror)
endif()
if(QUORVEL_SANITIZE)
  target_compile_options(quorvel_build_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(quorvel_build_flags INTERFACE -fsanitize=address,undefined)
endif()
if(QUORVEL_SANITIZE_THREAD)
  target_compile_options(quorvel_build_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(quorvel_build_flags INTERFACE -fsanitize=thread)
endif()

# quorvel_add_test(NAME SOURCES ... LIBS ...): one GoogleTest executable per area,
# run headless on its own temporary registry file.
function(quorvel_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} quorvel_test_support GTest::gtest GTest::gmock quorvel_build_flags)
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUORVEL_TEST_TMP=${CMAKE_CURRENT_BINARY_DIR}/tmp"
    TIMEOUT 120)
endfunction()
