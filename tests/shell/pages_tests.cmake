# The working pages end to end on the real skin and the virtual devices (pages_*_test.cpp).
if(TARGET corvane_shell)
  file(GLOB CORVANE_PAGES_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/pages_*_test.cpp)
  add_executable(pages_tests ${CORVANE_PAGES_TEST_SOURCES})
  target_include_directories(pages_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/widgets)
  # The link tests play a window manager on a private X server.
  pkg_check_modules(XCB_PAGES REQUIRED IMPORTED_TARGET xcb)
  target_link_libraries(pages_tests PRIVATE corvane_shell corvane_virtual Qt6::Test GTest::gtest_main
                        PkgConfig::XCB_PAGES)
  add_dependencies(pages_tests corvane_skin_copy)
  if(TARGET corvane_defaults)
    add_dependencies(pages_tests corvane_defaults)
  endif()
  gtest_discover_tests(pages_tests DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${CORVANE_QT_TEST_ENV}")
endif()
