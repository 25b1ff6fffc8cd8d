# Writes the date of this build (UTC, or SOURCE_DATE_EPOCH's for a reproducible build) into
# OUT, replacing the file only when the date changed: a build later the same day compiles
# nothing again.
string(TIMESTAMP today "%Y-%m-%d" UTC)
set(text "#pragma once\n\n// Written by BuildDate.cmake at each build.\nnamespace bw::cli {\ninline constexpr const char* kBuiltOn = \"${today}\";\n}\n")
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
