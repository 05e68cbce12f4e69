# I/O and LED settings: images and their rules, signal texts, register coding, ".tio" and ".tld"
# files, time fields, state-polling periods (pure).
set(_iodir ${CMAKE_CURRENT_LIST_DIR})
tirv_domain_library(tirv_iocfg_domain SOURCES
  ${_iodir}/io_image.h ${_iodir}/io_image.cpp
  ${_iodir}/led_image.h ${_iodir}/led_image.cpp ${_iodir}/led_panel_layout.h
  ${_iodir}/io_texts.h ${_iodir}/io_labels.h ${_iodir}/io_labels.cpp
  ${_iodir}/io_registers.h ${_iodir}/io_registers.cpp
  ${_iodir}/io_files.h ${_iodir}/io_files.cpp
  ${_iodir}/time_field.h ${_iodir}/time_field.cpp
  ${_iodir}/io_polling.h ${_iodir}/io_polling.cpp
  LIBS tirv_setpoints_domain tirv_link_codec tirv_common)
