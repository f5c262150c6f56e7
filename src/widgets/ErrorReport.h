#pragma once

#include <exception>

namespace korvex {

// The standard error report: a critical message box titled with the application's name showing the
// error's text, with one OK button (objectName "OK"). Errors that escape a handler end up here, and the
// program goes on.
void ReportException(const std::exception& error);

// Inside a catch block: reports the error being handled; one that is no std::exception reads "Unknown error".
void ReportCurrentException();

}  // namespace korvex
