# Turns the STRINGTABLE of resources/strings.rc into a C++ table for the
# native build, so that both builds show the same texts from one source.
file(STRINGS ${INPUT} lines ENCODING UTF-8)
set(body "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*([0-9]+)[ \t]*,?[ \t]*\"(.*)\"[ \t]*$")
    set(id ${CMAKE_MATCH_1})
    set(text "${CMAKE_MATCH_2}")
    string(REPLACE "\"\"" "\\\"" text "${text}")
    string(APPEND body "    {${id}, \"${text}\"},\n")
  endif()
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from resources/strings.rc; do not edit.\n#include \"platform/embedded_strings.h\"\n\nconst EmbeddedString kEmbeddedStrings[] = {\n${body}};\nconst int kEmbeddedStringCount = static_cast<int>(sizeof kEmbeddedStrings / sizeof kEmbeddedStrings[0]);\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
