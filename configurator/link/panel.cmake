# Connection panel: its rules (pure), the link session (operations) and the page.
tirv_domain_library(tirv_link_panel_rules SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/panel_rules.h ${CMAKE_CURRENT_LIST_DIR}/panel_rules.cpp
  LIBS tirv_link_codec)

# Every connection sequence and the pages' connection procedure (Qt Core, no widgets).
tirv_qt_library(tirv_link_session SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/link_session.h
  ${CMAKE_CURRENT_LIST_DIR}/link_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_session_search.cpp
  LIBS tirv_link_panel_rules tirv_link tirv_device_model Qt6::Core)

tirv_qt_library(tirv_link_panel SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/panel_texts.h ${CMAKE_CURRENT_LIST_DIR}/panel_widgets.h
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel.h
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connection_panel_kept.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_page_settings.h
  LIBS tirv_link_session tirv_ui Qt6::Widgets)
