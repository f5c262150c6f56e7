# The message dialog and the application's standard error report.
target_sources(korvex_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/NewMsgDlg.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/TMessageForm.h
  ${CMAKE_CURRENT_SOURCE_DIR}/TMessageForm.cpp
)
target_sources(korvex_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/KorvexApplication.h
  ${CMAKE_CURRENT_SOURCE_DIR}/KorvexApplication.cpp
)
