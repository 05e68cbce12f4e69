tirv_test(viewer_plot_tests DOMAIN SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/plot_geometry_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewer_settings_test.cpp
  LIBS tirv_viewer_plot)

tirv_test(viewer_render_tests SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/plot_renderer_test.cpp
  LIBS tirv_viewer_ui tirv_test_support Qt6::Test)

tirv_test(viewer_window_tests SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/viewer_window_test.cpp
  LIBS tirv_viewer_ui tirv_test_support Qt6::Test)

tirv_test(viewer_as_user_tests SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/viewer_as_user_test.cpp ${CMAKE_CURRENT_LIST_DIR}/pdf_page_reader.h
  LIBS tirv_viewer_ui tirv_test_support Qt6::Test)

# Pictures of the window for review (not a test): viewer_screenshots OUT_DIR
if(NOT TIRV_DOMAIN_ONLY AND NOT TIRV_FUZZ)
  add_executable(viewer_screenshots ${CMAKE_CURRENT_LIST_DIR}/viewer_screenshots.cpp)
  target_link_libraries(viewer_screenshots PRIVATE tirv_viewer_ui tirv_test_support)
  target_include_directories(viewer_screenshots PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(viewer_screenshots PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()

# The simulator relay's oscillogram as a ".tao" file, for the demo: viewer_sim_recording OUT.tao
if(TARGET tirv_sim_relay AND NOT TIRV_FUZZ)
  add_executable(viewer_sim_recording ${CMAKE_CURRENT_LIST_DIR}/sim_recording.cpp)
  target_link_libraries(viewer_sim_recording PRIVATE tirv_sim_relay tirv_oscillogram)
  target_include_directories(viewer_sim_recording PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(viewer_sim_recording PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
endif()

# Both programs as a user sees them: Qt's translations, About boxes, help without a browser.
if(TARGET tirv_program)
  tirv_test(both_programs_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/both_programs_test.cpp
    LIBS tirv_program tirv_app_setup tirv_test_support Qt6::Test)
endif()
