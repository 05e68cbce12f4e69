# Serial exchange engine and Modbus TCP transport.

# Pure rules of the link (reply completion, Modbus TCP framing).
tirv_domain_library(tirv_link_rules SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/reply_completion.h ${CMAKE_CURRENT_LIST_DIR}/reply_completion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mbap_frames.h ${CMAKE_CURRENT_LIST_DIR}/mbap_frames.cpp)

# Transport (Qt Core): port list, serial port, link flags, paced and threaded exchanges,
# Modbus TCP transfer.
set(TIRV_LINK_TRANSPORT_SOURCES
  port.h
  link_state.h link_state.cpp
  port_directory.h port_directory.cpp port_directory_linux.cpp
  port_setup.h port_setup.cpp
  serial_port.h serial_port.cpp
  paced_exchange.h paced_exchange.cpp
  link_check.h link_check.cpp
  chunked_transfer.h chunked_transfer.cpp
  threaded_exchange.h threaded_exchange.cpp
  modbus_tcp_transfer.h modbus_tcp_transfer.cpp
  serial_link.h serial_link.cpp
  byte_views.h texts.h)
list(TRANSFORM TIRV_LINK_TRANSPORT_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
tirv_qt_library(tirv_link SOURCES ${TIRV_LINK_TRANSPORT_SOURCES}
  LIBS tirv_link_rules tirv_link_codec tirv_reporter Qt6::Core Qt6::SerialPort Qt6::Network)
