# The oscillogram image: loading, checks, normalisation, saving; and its fuzz target.
tirv_test(oscillogram_tests DOMAIN SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/oscillogram_image_test.cpp
  LIBS tirv_oscillogram)

# Seeds in tests/fuzz-seeds/oscillogram_fuzzer come from make_oscillogram_seeds.py.
tirv_fuzzer(oscillogram_fuzzer SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/oscillogram_fuzzer.cpp
  LIBS tirv_comtrade tirv_oscillogram)
