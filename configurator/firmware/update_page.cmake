# Firmware update: the rules both sequences share (domain), the two sequences (Qt Core), the page.
tirv_domain_library(tirv_firmware_update_rules SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/firmware_update_rules.h
  ${CMAKE_CURRENT_LIST_DIR}/firmware_update_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/firmware_update_protocol.h
  ${CMAKE_CURRENT_LIST_DIR}/firmware_update_protocol.cpp
  LIBS tirv_firmware_domain)
if(TIRV_DOMAIN_ONLY)
  return()
endif()
tirv_qt_library(tirv_firmware_update SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/firmware_update_relay.h
  ${CMAKE_CURRENT_LIST_DIR}/firmware_update_relay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/firmware_update_stm32.h
  ${CMAKE_CURRENT_LIST_DIR}/firmware_update_stm32.cpp
  LIBS tirv_firmware_update_rules tirv_firmware_domain tirv_link tirv_reporter Qt6::Core)

tirv_qt_library(tirv_firmware_page SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/firmware_page_texts.h
  ${CMAKE_CURRENT_LIST_DIR}/firmware_page.h
  ${CMAKE_CURRENT_LIST_DIR}/firmware_page.cpp
  LIBS tirv_firmware_update tirv_ui Qt6::Widgets)
