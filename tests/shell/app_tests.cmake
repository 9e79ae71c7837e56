# Tests of the program's main window on the real skin and the virtual devices.
if(TARGET corvane_app)
  add_executable(main_wnd_tests ${CMAKE_CURRENT_LIST_DIR}/main_wnd_test.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/window_test.cpp)
  target_link_libraries(main_wnd_tests PRIVATE corvane_app corvane_virtual Qt6::Test GTest::gtest_main)
  add_dependencies(main_wnd_tests corvane_skin_copy corvane)
  gtest_discover_tests(main_wnd_tests DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${CORVANE_QT_TEST_ENV}")
endif()

# The KWin backend of the foreground source, against a stand-in on a private session bus.
if(TARGET corvane_app)
  add_executable(kwin_foreground_tests ${CMAKE_CURRENT_LIST_DIR}/kwin_foreground_test.cpp)
  target_link_libraries(kwin_foreground_tests PRIVATE corvane_app Qt6::DBus Qt6::Test GTest::gtest_main)
  gtest_discover_tests(kwin_foreground_tests DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${CORVANE_QT_TEST_ENV}")
endif()
