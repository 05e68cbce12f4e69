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
