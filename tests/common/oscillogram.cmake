# The oscillogram image: loading, checks, normalisation, saving; and its fuzz target.
tirv_test(oscillogram_tests DOMAIN SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/oscillogram_image_test.cpp
  LIBS tirv_oscillogram)
