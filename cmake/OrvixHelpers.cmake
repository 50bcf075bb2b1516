# Sources of a folder are picked up by glob so that adding a file needs no edit here.
function(orvix_sources out dir)
  file(GLOB _src CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  set(${out} ${_src} PARENT_SCOPE)
endfunction()

# One GoogleTest executable per test file; LABEL groups them for ctest -L.
function(orvix_add_tests dir label)
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS "${dir}/*_test.cpp")
  foreach(_t ${_tests})
    get_filename_component(_name ${_t} NAME_WE)
    add_executable(${_name} ${_t})
    target_link_libraries(${_name} PRIVATE orvix_test_main ${A_LIBS})
    target_include_directories(${_name} PRIVATE ${CMAKE_SOURCE_DIR})
    gtest_discover_tests(${_name}
      DISCOVERY_MODE PRE_TEST
      PROPERTIES LABELS ${label}
                 ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ORVIX_BUILD_DIR=${CMAKE_BINARY_DIR};ORVIX_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
                 TIMEOUT 120)
  endforeach()
endfunction()
