# The I/O and LED frames (pure) and the exchanges against the relay simulator.
set(_iootdir ${CMAKE_CURRENT_LIST_DIR})
tirv_test(iocfg_frames_tests DOMAIN
  SOURCES ${_iootdir}/io_operation_frames_test.cpp
  LIBS tirv_iocfg_frames)
if(TARGET tirv_iocfg AND TARGET tirv-sim)
  tirv_test(iocfg_operation_tests TIMEOUT 240
    SOURCES ${_iootdir}/io_operation_test.cpp
    LIBS tirv_iocfg tirv_test_support)
  add_dependencies(iocfg_operation_tests tirv-sim)
endif()
