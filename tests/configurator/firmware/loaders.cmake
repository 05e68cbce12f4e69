# Firmware files and bootloader frames: checks, placement, page extraction, files made by
# srec_cat, and the frames of both bootloaders; fuzz targets over both parsers and the extractor.
tirv_test(firmware_loader_test DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/srecord_image_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/intel_hex_image_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/firmware_file_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/srec_cat_files_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/loader_frames_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/stm32_update_test.cpp
  LIBS tirv_firmware_domain)

foreach(fuzzer fuzz_srecord_file fuzz_intel_hex_file fuzz_extract_page fuzz_stm32_update)
  tirv_fuzzer(${fuzzer} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${fuzzer}.cpp LIBS tirv_firmware_domain)
endforeach()
