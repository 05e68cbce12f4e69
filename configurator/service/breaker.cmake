# Service operations: breaker remote control (rules, operation, window).
tirv_domain_library(tirv_breaker_rules SOURCES
  breaker_texts.h breaker_commands.h breaker_commands.cpp
  LIBS tirv_link_codec)

tirv_qt_library(tirv_breaker SOURCES
  breaker_control.h breaker_control.cpp
  LIBS tirv_breaker_rules tirv_link tirv_link_session tirv_reporter Qt6::Core)

tirv_qt_library(tirv_breaker_window SOURCES
  breaker_window.h breaker_window.cpp
  LIBS tirv_breaker tirv_ui Qt6::Widgets)
