# Service operations: the relay's device type and serial number (rules, operation, page).
tirv_domain_library(tirv_identity_rules SOURCES
  device_identity_texts.h device_identity_rules.h device_identity_rules.cpp
  LIBS tirv_link_codec)

if(TIRV_DOMAIN_ONLY)
  return()
endif()

tirv_qt_library(tirv_identity SOURCES
  device_identity_control.h device_identity_control.cpp
  LIBS tirv_identity_rules tirv_link tirv_link_session tirv_reporter Qt6::Core)

tirv_qt_library(tirv_identity_page SOURCES
  device_identity_page.h device_identity_page.cpp
  LIBS tirv_identity tirv_ui Qt6::Widgets)
