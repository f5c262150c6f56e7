# Table engine, record table, grid model and sampling period (no widgets); grid, sampling controls and Clear.
target_sources(korvex_core PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/TableEngine.h
  ${CMAKE_CURRENT_SOURCE_DIR}/TableEngine.cpp)
