# The program itself: the main window's behaviour and the entry point. Included from
# CMakeLists.txt once the Qt shell library is defined.
if(TARGET corvane_workers AND TARGET corvane_virtual)
  add_library(corvane_app STATIC ${CMAKE_CURRENT_LIST_DIR}/main_wnd.cpp)
  target_include_directories(corvane_app PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(corvane_app PUBLIC corvane_shell corvane_workers corvane_device corvane_platform
                        Qt6::Widgets)

  add_executable(corvane ${CMAKE_CURRENT_LIST_DIR}/corvane_main.cpp)
  target_link_libraries(corvane PRIVATE corvane_app corvane_virtual)
  add_dependencies(corvane corvane_skin_copy)
endif()
