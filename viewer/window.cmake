# The viewer's window, plot and settings. The plot arithmetic and the settings file are domain
# code (no Qt); the widgets, renderer, printing and image export form tirv_viewer_ui.
tirv_domain_library(tirv_viewer_plot SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/plot_geometry.h ${CMAKE_CURRENT_LIST_DIR}/plot_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plot_source.h ${CMAKE_CURRENT_LIST_DIR}/plot_source.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewer_settings.h ${CMAKE_CURRENT_LIST_DIR}/viewer_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewer_paths.h ${CMAKE_CURRENT_LIST_DIR}/viewer_paths.cpp
  LIBS tirv_common tirv_oscillogram)

tirv_qt_library(tirv_viewer_ui SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/viewer_ids.h
  ${CMAKE_CURRENT_LIST_DIR}/window_texts.h
  ${CMAKE_CURRENT_LIST_DIR}/plot_renderer.h ${CMAKE_CURRENT_LIST_DIR}/plot_renderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plot_panel.h ${CMAKE_CURRENT_LIST_DIR}/plot_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_panels.h ${CMAKE_CURRENT_LIST_DIR}/settings_panels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print_export.h ${CMAKE_CURRENT_LIST_DIR}/print_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/reporter_sink.h
  ${CMAKE_CURRENT_LIST_DIR}/window_commands.h ${CMAKE_CURRENT_LIST_DIR}/window_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewer_window.h ${CMAKE_CURRENT_LIST_DIR}/viewer_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewer_program.cpp
  LIBS tirv_viewer_plot tirv_comtrade tirv_reporter tirv_message_box tirv_app_setup Qt6::Widgets Qt6::OpenGLWidgets Qt6::PrintSupport)

# The program's window and --png modes (the entry point lives with the COMTRADE part).
if(TARGET oscviewer)
  target_link_libraries(oscviewer PRIVATE tirv_viewer_ui)
endif()

# The help page lies beside the program, where the "Справка" command looks for it.
if(NOT TIRV_DOMAIN_ONLY)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/resources/Осциллограф.html
                 ${CMAKE_BINARY_DIR}/bin/Осциллограф.html COPYONLY)
endif()
