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

# quorvel_module(NAME [DIR folder] [USES module...] [LIBS target...] [PRIVATE_LIBS target...]):
# the library quorvel_NAME of the sources in src/<folder> (default: NAME), linked
# to the modules it USES and to nothing else of the program. A module can only
# use one that is already defined, and modules are defined from the bottom up,
# so every arrow points down and a cycle cannot be written. The same list is
# what the include-direction check holds each folder's includes to.
function(quorvel_module name)
  cmake_parse_arguments(M "" "DIR" "USES;LIBS;PRIVATE_LIBS" ${ARGN})
  if(NOT M_DIR)
    set(M_DIR ${name})
  endif()
  set(used_targets)
  foreach(used ${M_USES})
    if(NOT TARGET quorvel_${used})
      message(FATAL_ERROR "Module ${name} uses ${used}, which is not defined below it")
    endif()
    list(APPEND used_targets quorvel_${used})
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${M_DIR}/*.cpp)
  add_library(quorvel_${name} STATIC ${sources})
  target_include_directories(quorvel_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(quorvel_${name} PUBLIC ${used_targets} ${M_LIBS}
                        PRIVATE ${M_PRIVATE_LIBS} quorvel_build_flags)
  string(REPLACE ";" "," uses "${M_USES}")
  set_property(GLOBAL APPEND PROPERTY QUORVEL_MODULES "${name}:${M_DIR}:${uses}")
endfunction()

# quorvel_add_test(NAME SOURCES ... LIBS ... [WRAPPER command...]): one GoogleTest
# executable per area, run headless on its own temporary registry file. No test
# reaches the user's desktop: both D-Bus addresses lead nowhere, unless WRAPPER
# (dbus-run-session) gives each test a private session of its own.
function(quorvel_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;WRAPPER" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} quorvel_test_support GTest::gtest GTest::gmock quorvel_build_flags)
  if(T_WRAPPER)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${T_WRAPPER}")
  endif()
  set(nowhere "unix:path=${CMAKE_CURRENT_BINARY_DIR}/no-such-bus")
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUORVEL_TEST_TMP=${CMAKE_CURRENT_BINARY_DIR}/tmp;DBUS_SESSION_BUS_ADDRESS=${nowhere};DBUS_SYSTEM_BUS_ADDRESS=${nowhere}"
    TIMEOUT 120)
endfunction()
