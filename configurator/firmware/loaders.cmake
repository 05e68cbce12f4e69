# Firmware files (S-record, Intel HEX), the flash layouts and the frames of both bootloaders.
tirv_domain_library(tirv_firmware_domain SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/texts.h
  ${CMAKE_CURRENT_LIST_DIR}/hex_text.h
  ${CMAKE_CURRENT_LIST_DIR}/flash_layout.h ${CMAKE_CURRENT_LIST_DIR}/flash_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_map.h ${CMAKE_CURRENT_LIST_DIR}/page_map.cpp
  ${CMAKE_CURRENT_LIST_DIR}/srecord_image.h ${CMAKE_CURRENT_LIST_DIR}/srecord_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/intel_hex_image.h ${CMAKE_CURRENT_LIST_DIR}/intel_hex_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/firmware_file.h ${CMAKE_CURRENT_LIST_DIR}/firmware_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/relay_loader_frames.h ${CMAKE_CURRENT_LIST_DIR}/relay_loader_frames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stm32_boot_frames.h ${CMAKE_CURRENT_LIST_DIR}/stm32_boot_frames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stm32_update.h ${CMAKE_CURRENT_LIST_DIR}/stm32_update.cpp
  LIBS tirv_link_codec tirv_common)

