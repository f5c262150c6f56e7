# Table engine, record table, grid model and sampling period (no widgets); grid, sampling controls and Clear.
target_sources(korvex_core PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/TableEngine.h
  ${CMAKE_CURRENT_SOURCE_DIR}/TableEngine.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordTable.h
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordTable.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordGridModel.h
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordGridModel.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/IntervalTimer.h
  ${CMAKE_CURRENT_SOURCE_DIR}/IntervalTimer.cpp)
target_sources(korvex_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordGrid.h
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordGrid.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordSampling.h
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordSampling.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordClear.h
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordClear.cpp)
