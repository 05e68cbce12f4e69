# Tests and fuzz targets of the relay frame codec (Modbus RTU, ТИРВ protocol, register map, waits).
tirv_test(link_codec_test DOMAIN
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/modbus_frames_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/text_frames_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/register_timing_test.cpp
  LIBS tirv_link_codec)

foreach(fuzzer fuzz_modbus_read_reply fuzz_modbus_write_reply fuzz_modbus_boot_write_reply
               fuzz_text_read_reply fuzz_text_write_ack)
  tirv_fuzzer(${fuzzer} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${fuzzer}.cpp LIBS tirv_link_codec)
endforeach()
