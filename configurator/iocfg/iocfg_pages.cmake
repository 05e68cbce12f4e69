# The I/O and LED exchanges with the relay (operations, Qt Core) over the pure frame rules.
set(_ioodir ${CMAKE_CURRENT_LIST_DIR})
tirv_domain_library(tirv_iocfg_frames SOURCES
  ${_ioodir}/io_operation_frames.h ${_ioodir}/io_operation_frames.cpp
  LIBS tirv_iocfg_domain tirv_setpoints_domain tirv_link_codec)
if(TIRV_DOMAIN_ONLY)
  return()
endif()
tirv_qt_library(tirv_iocfg SOURCES
  ${_ioodir}/io_operation_texts.h
  ${_ioodir}/io_operation.h ${_ioodir}/io_operation.cpp
  ${_ioodir}/led_operation.h ${_ioodir}/led_operation.cpp
  ${_ioodir}/minimal_set_offer.h ${_ioodir}/minimal_set_offer.cpp
  LIBS tirv_iocfg_frames tirv_iocfg_domain tirv_link tirv_link_session tirv_reporter Qt6::Core)

# The I/O page in both modes (Qt Widgets).
tirv_qt_library(tirv_iocfg_pages SOURCES
  ${_ioodir}/io_page_texts.h ${_ioodir}/io_page.h ${_ioodir}/io_page.cpp
  ${_ioodir}/io_page_commands.cpp
  ${_ioodir}/block_file_dialogs.h ${_ioodir}/block_file_dialogs.cpp
  ${_ioodir}/led_page_texts.h ${_ioodir}/led_page.h ${_ioodir}/led_page.cpp
  ${_ioodir}/led_panel_view.h ${_ioodir}/led_panel_view.cpp
  LIBS tirv_iocfg tirv_ui tirv_files Qt6::Widgets)
