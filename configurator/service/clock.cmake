# Service operations: the relay clock (rules, operation, page).
tirv_domain_library(tirv_clock_rules SOURCES
  clock_texts.h clock_rules.h clock_rules.cpp
  LIBS tirv_link_codec tirv_oscillogram)

if(TIRV_DOMAIN_ONLY)
  return()
endif()

tirv_qt_library(tirv_clock SOURCES
  clock_operation.h clock_operation.cpp clock_broadcast.cpp
  LIBS tirv_clock_rules tirv_link tirv_link_session tirv_reporter Qt6::Core)

tirv_qt_library(tirv_clock_page SOURCES
  clock_page.h clock_page.cpp
  LIBS tirv_clock tirv_ui Qt6::Widgets)
