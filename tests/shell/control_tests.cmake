# Tests of the script commands on the real skin and the virtual devices.
if(TARGET corvane_app)
  add_executable(control_tests ${CMAKE_CURRENT_LIST_DIR}/control_commands_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp)
  target_link_libraries(control_tests PRIVATE corvane_app corvane_virtual Qt6::Test GTest::gtest_main)
  add_dependencies(control_tests corvane_skin_copy)
  gtest_discover_tests(control_tests DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${CORVANE_QT_TEST_ENV}")
endif()
