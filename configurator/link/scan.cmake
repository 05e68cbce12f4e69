# The network scan: probe order and texts (domain), the scan operation (worker thread), the page.
set(_dir ${CMAKE_CURRENT_LIST_DIR})
tirv_domain_library(tirv_scan_rules SOURCES
  ${_dir}/scan_rules.h ${_dir}/scan_rules.cpp
  LIBS tirv_link_codec)

tirv_qt_library(tirv_network_scan SOURCES
  ${_dir}/scan_texts.h
  ${_dir}/network_scan.h ${_dir}/network_scan.cpp
  LIBS tirv_scan_rules tirv_link Qt6::Core)

tirv_qt_library(tirv_scan_page SOURCES
  ${_dir}/scan_page.h ${_dir}/scan_page.cpp
  LIBS tirv_network_scan tirv_ui Qt6::Widgets)
