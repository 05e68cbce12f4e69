# Setpoint editor: input rules of the fields and the МТЗ-2/МТЗ-3 calculator (domain).
tirv_domain_library(tirv_setpoint_rules SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/field_rules.h ${CMAKE_CURRENT_LIST_DIR}/field_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/calculator.h ${CMAKE_CURRENT_LIST_DIR}/calculator.cpp
  LIBS tirv_setpoints_domain)
