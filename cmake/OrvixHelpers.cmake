# Sources of a folder are picked up by glob so that adding a file needs no edit here.
function(orvix_sources out dir)
  file(GLOB _src CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  set(${out} ${_src} PARENT_SCOPE)
endfunction()

# One GoogleTest executable per test file; LABEL groups them for ctest -L.
# Files named *_accessible_test.cpp run inside screen_reader_session.sh.
#
# Each program is one ctest entry that runs all its cases in one process:
# hundreds of short cases cost more in process starts than in checks. A
# failure still names its case in the log ("[  FAILED  ] Suite.Case"). A
# program whose cases take long together is cut into shards that run side by
# side: set ORVIX_TEST_SHARDS_<program> to their number before the call.
function(orvix_add_tests dir label)
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS "${dir}/*_test.cpp")
  foreach(_t ${_tests})
    get_filename_component(_name ${_t} NAME_WE)
    add_executable(${_name} ${_t})
    target_link_libraries(${_name} PRIVATE orvix_test_main ${A_LIBS})
    target_include_directories(${_name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_precompile_headers(${_name} REUSE_FROM orvix_test_main)
    # Accessibility tests need what a screen reader's desktop has: Qt passes
    # accessibility events on only while its AT-SPI bridge is active.
    if(_name MATCHES "_accessible_test$")
      set_target_properties(${_name} PROPERTIES
        CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/common/screen_reader_session.sh)
    endif()
    set(_env "QT_QPA_PLATFORM=offscreen;ORVIX_BUILD_DIR=${CMAKE_BINARY_DIR};ORVIX_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
    set(_shards 1)
    if(DEFINED ORVIX_TEST_SHARDS_${_name})
      set(_shards ${ORVIX_TEST_SHARDS_${_name}})
    endif()
    if(_shards EQUAL 1)
      add_test(NAME ${_name} COMMAND ${_name})
      set_tests_properties(${_name} PROPERTIES LABELS ${label} ENVIRONMENT "${_env}" TIMEOUT 300)
    else()
      math(EXPR _last "${_shards} - 1")
      foreach(_i RANGE ${_last})
        add_test(NAME ${_name}.${_i} COMMAND ${_name})
        set_tests_properties(${_name}.${_i} PROPERTIES LABELS ${label} TIMEOUT 300
          ENVIRONMENT "${_env};GTEST_TOTAL_SHARDS=${_shards};GTEST_SHARD_INDEX=${_i}")
      endforeach()
    endif()
  endforeach()
endfunction()

# Qt's widget headers are most of what a widget source compiles: they are
# parsed once per target instead of once per source.
function(orvix_precompile_qt_widgets target)
  target_precompile_headers(${target} PRIVATE
    <QApplication> <QFont> <QFontMetrics> <QImage> <QPainter> <QString> <QTimer> <QWidget>
    <functional> <memory> <string> <vector>)
endfunction()
