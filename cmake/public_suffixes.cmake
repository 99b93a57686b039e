# Writes OUTPUT: the rules of Debian's public suffix list (INPUT) as C++
# string literals, one per line, for the configuration checker.
file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(body "// Made at build time from ${INPUT}.\n")
foreach(line IN LISTS lines)
  string(STRIP "${line}" rule)
  if(rule STREQUAL "" OR rule MATCHES "^//")
    continue()
  endif()
  string(APPEND body "\"${rule}\",\n")
endforeach()
file(WRITE "${OUTPUT}" "${body}")
