# Connection panel: its rules (pure) and the page.
tirv_domain_library(tirv_link_panel_rules SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/panel_rules.h ${CMAKE_CURRENT_LIST_DIR}/panel_rules.cpp
  LIBS tirv_link_codec)

tirv_qt_library(tirv_link_panel SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/panel_texts.h ${CMAKE_CURRENT_LIST_DIR}/panel_widgets.h
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel.h
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel_search.cpp
  LIBS tirv_link_panel_rules tirv_link tirv_shell Qt6::Widgets)
