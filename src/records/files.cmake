# Record files: writers and readers of the XML data packet and of tab-separated text (no widgets);
# the Save and Open commands with their dialogs and message boxes.
target_sources(korvex_core PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/BufferedSink.h
  ${CMAKE_CURRENT_SOURCE_DIR}/WholeNumber.h
  ${CMAKE_CURRENT_SOURCE_DIR}/WholeNumber.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/XmlPacketWriter.h
  ${CMAKE_CURRENT_SOURCE_DIR}/XmlPacketWriter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/XmlPacketReader.h
  ${CMAKE_CURRENT_SOURCE_DIR}/XmlPacketReader.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/TabTextWriter.h
  ${CMAKE_CURRENT_SOURCE_DIR}/TabTextWriter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/TabTextReader.h
  ${CMAKE_CURRENT_SOURCE_DIR}/TabTextReader.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordFiles.h
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordFiles.cpp)
target_sources(korvex_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordFileCommands.h
  ${CMAKE_CURRENT_SOURCE_DIR}/RecordFileCommands.cpp)
