# The viewer's window, plot and settings. The plot arithmetic and the settings file are domain
# code (no Qt); the widgets, renderer, printing and image export form tirv_viewer_ui.
tirv_domain_library(tirv_viewer_plot SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/plot_geometry.h ${CMAKE_CURRENT_LIST_DIR}/plot_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewer_settings.h ${CMAKE_CURRENT_LIST_DIR}/viewer_settings.cpp
  LIBS tirv_common)
