# The program itself: the main window's behaviour and the entry point. Included from
# CMakeLists.txt once the Qt shell library is defined.
if(TARGET corvane_workers AND TARGET corvane_virtual)
  add_library(corvane_app STATIC ${CMAKE_CURRENT_LIST_DIR}/main_wnd.cpp
              ${CMAKE_CURRENT_LIST_DIR}/main_wnd_menu.cpp ${CMAKE_CURRENT_LIST_DIR}/tray_menu.cpp
              ${CMAKE_CURRENT_LIST_DIR}/skin_frame.cpp
              ${CMAKE_CURRENT_LIST_DIR}/control_commands.cpp ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
              ${CMAKE_CURRENT_LIST_DIR}/control_actions.cpp ${CMAKE_CURRENT_LIST_DIR}/command_text.cpp
              ${CMAKE_CURRENT_LIST_DIR}/command_verbs.cpp ${CMAKE_CURRENT_LIST_DIR}/virtual_commands.cpp
              ${CMAKE_CURRENT_LIST_DIR}/device_button_commands.cpp ${CMAKE_CURRENT_LIST_DIR}/screenshot_command.cpp
              ${CMAKE_CURRENT_LIST_DIR}/capture_feeder.cpp ${CMAKE_CURRENT_LIST_DIR}/function_tabs.cpp
              ${CMAKE_CURRENT_LIST_DIR}/stats_command.cpp
              ${CMAKE_CURRENT_LIST_DIR}/routing.cpp ${CMAKE_CURRENT_LIST_DIR}/pages_wiring.cpp
              ${CMAKE_CURRENT_LIST_DIR}/live_lighting.cpp
              ${CMAKE_CURRENT_LIST_DIR}/session_foreground.cpp ${CMAKE_CURRENT_LIST_DIR}/kwin_foreground.cpp
              ${CMAKE_CURRENT_LIST_DIR}/quit_signals.cpp ${CMAKE_CURRENT_LIST_DIR}/save_failure_notice.cpp)
  target_include_directories(corvane_app PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(corvane_app PUBLIC corvane_shell corvane_workers corvane_device corvane_platform
                        corvane_profiles corvane_lighting_pages corvane_profiles_pages corvane_macros_pages corvane_foreground corvane_virtual
                        corvane_keys_pages
                        Qt6::Widgets Qt6::DBus)

  add_executable(corvane ${CMAKE_CURRENT_LIST_DIR}/corvane_main.cpp)
  target_link_libraries(corvane PRIVATE corvane_app corvane_virtual)
  add_dependencies(corvane corvane_skin_copy)
  if(TARGET corvane_defaults)
    add_dependencies(corvane corvane_defaults)
  endif()

  install(TARGETS corvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/skin/ DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane/skin
          PATTERN "tools" EXCLUDE PATTERN "*.py" EXCLUDE PATTERN "*.svg" EXCLUDE
          PATTERN "required_*.txt" EXCLUDE)  # lists for the skin contract test
endif()
