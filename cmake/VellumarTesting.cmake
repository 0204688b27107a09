# GoogleTest for both trees: the system's build on the host, Debian's
# sources compiled by mingw for Windows.
if(WIN32)
  set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

# vellumar_add_test(NAME SOURCES ... LIBS ... [TIMEOUT s] [LABELS ...])
# One GoogleTest executable registered as one CTest test; in the mingw tree
# CTest runs it through the Wine emulator.
function(vellumar_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(WIN32)
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# vellumar_capture_home(test): runs the test with a HOME of its own whose
# .asoundrc makes ALSA's default device a raw file, named to the test by
# VELLUMAR_CAPTURE. Without it a test sees the session's HOME: no sound card.
function(vellumar_capture_home test)
  set(home ${CMAKE_CURRENT_BINARY_DIR}/${test}-home)
  set(capture ${home}/capture.raw)
  file(WRITE ${home}/.asoundrc
    "pcm.!default {\n  type file\n  slave.pcm null\n  file \"${capture}\"\n  format raw\n}\n")
  set_tests_properties(${test} PROPERTIES ENVIRONMENT "HOME=${home};VELLUMAR_CAPTURE=${capture}")
endfunction()
