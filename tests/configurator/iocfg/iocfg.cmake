# I/O and LED settings: image rules, texts, register coding, block decoding, both files and the
# time fields; fuzz targets over both file parsers and both read-block decoders.
set(_iotdir ${CMAKE_CURRENT_LIST_DIR})
tirv_test(iocfg_domain_tests DOMAIN
  SOURCES ${_iotdir}/independent_crc.h
          ${_iotdir}/io_image_test.cpp
          ${_iotdir}/io_registers_test.cpp
          ${_iotdir}/io_files_test.cpp
          ${_iotdir}/time_field_test.cpp
          ${_iotdir}/io_polling_test.cpp
          ${_iotdir}/led_panel_layout_test.cpp
  LIBS tirv_iocfg_domain)

foreach(part tio_file tld_file block_reply led_reply)
  tirv_fuzzer(fuzz_iocfg_${part} SOURCES ${_iotdir}/iocfg_fuzz_${part}.cpp
              LIBS tirv_iocfg_domain tirv_link_codec)
endforeach()
