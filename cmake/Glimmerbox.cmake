include_guard(GLOBAL)

find_program(GLIMMERBOX_CCACHE ccache)
if(GLIMMERBOX_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${GLIMMERBOX_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${GLIMMERBOX_CCACHE})
endif()

add_compile_options(-Wall -Wextra -Werror)

if(GLIMMERBOX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# A layer or program library made of every .cpp in the calling folder.
# Program folders link the layer libraries PRIVATE-free of Qt: a layer that uses
# Qt keeps it PRIVATE, so program code cannot include Qt headers by accident.
function(glimmerbox_library name)
  cmake_parse_arguments(ARG "" "" "PUBLIC_DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_PUBLIC_DEPS})
  endif()
endfunction()

# One GoogleTest executable per folder; every test runs offscreen so UI tests
# need no display, and each case is its own CTest test.
function(glimmerbox_test name)
  cmake_parse_arguments(ARG "" "" "DEPS;ENVIRONMENT" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} glimmerbox_test_support GTest::gtest GTest::gmock)
  glimmerbox_precompile_qt(${name})
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 30
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENVIRONMENT}" TIMEOUT 60)
endfunction()

# Qt's headers dominate the build's time; parsing them once per target keeps a
# fresh build (and so CI) short.
# Targets without Qt Widgets pass CORE_ONLY.
function(glimmerbox_precompile_qt target)
  cmake_parse_arguments(ARG "CORE_ONLY" "" "" ${ARGN})
  target_precompile_headers(${target} PRIVATE <QObject> <QString> <QTimer> <QGuiApplication>)
  if(NOT ARG_CORE_ONLY)
    target_precompile_headers(${target} PRIVATE <QApplication> <QPainter> <QPainterPath> <QPixmap>
                              <QScreen> <QWidget>)
  endif()
endfunction()
