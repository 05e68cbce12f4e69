# Setpoint editor: input rules of the fields, the tab layout derived from the catalogue and the
# МТЗ-2/МТЗ-3 calculator (domain); the five tabs and the calculator window (Qt Widgets).
set(_dir ${CMAKE_CURRENT_LIST_DIR})
tirv_domain_library(tirv_setpoint_rules SOURCES
  ${_dir}/editor_texts.h
  ${_dir}/field_rules.h ${_dir}/field_rules.cpp
  ${_dir}/setpoint_layout.h ${_dir}/setpoint_layout.cpp
  ${_dir}/calculator.h ${_dir}/calculator.cpp
  LIBS tirv_setpoints_domain)

tirv_qt_library(tirv_setpoint_pages SOURCES
  ${_dir}/setpoint_tab_strip.h ${_dir}/setpoint_tab_strip.cpp
  ${_dir}/setpoint_pages.h ${_dir}/setpoint_tab.cpp ${_dir}/setpoint_editor.cpp
  ${_dir}/calculator_pictures.h ${_dir}/calculator_pictures.cpp
  ${_dir}/calculator_window.h ${_dir}/calculator_window.cpp
  LIBS tirv_setpoint_rules tirv_ui Qt6::Widgets)
