# The emergency oscillogram image, shared by the viewer, the configurator and the simulator.
tirv_domain_library(tirv_oscillogram SOURCES
  oscillogram_messages.h
  oscillogram_texts.h
  oscillogram_image.h oscillogram_image.cpp
  LIBS tirv_common)
