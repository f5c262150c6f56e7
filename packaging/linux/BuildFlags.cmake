# The distribution's hardening flags from dpkg-buildflags (stack protector, fortified functions,
# read-only relocations bound at start), so that the Debian package made from this build is hardened as
# Debian's own are. Only the hardening flags are taken: optimisation and debug information stay the build
# type's. Fortified functions need optimisation, and the sanitizers bring checks of their own.
option(KORVEX_DPKG_BUILDFLAGS "Build with the hardening flags of dpkg-buildflags where it is installed" ON)
find_program(KORVEX_DPKG_BUILDFLAGS_PROGRAM dpkg-buildflags)
if(KORVEX_DPKG_BUILDFLAGS AND KORVEX_DPKG_BUILDFLAGS_PROGRAM AND NOT KORVEX_SANITIZE AND NOT KORVEX_FUZZ
   AND NOT CMAKE_CROSSCOMPILING AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${KORVEX_DPKG_BUILDFLAGS_PROGRAM} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g|O.*|ffile-prefix-map=.*)$")
    if(kind STREQUAL LDFLAGS)
      add_link_options(${flags})
    else()
      add_compile_options(${flags})
    endif()
  endforeach()
endif()
