# Relay frame codec: Modbus RTU and ТИРВ-protocol frames, register map and paced waits.
tirv_domain_library(tirv_link_codec SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/frames.h ${CMAKE_CURRENT_LIST_DIR}/frames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_frames.h ${CMAKE_CURRENT_LIST_DIR}/text_frames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registers.h ${CMAKE_CURRENT_LIST_DIR}/registers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/register_read.h ${CMAKE_CURRENT_LIST_DIR}/register_read.cpp
  LIBS tirv_common)
