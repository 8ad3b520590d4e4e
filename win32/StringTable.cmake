# cmake -DTEXTS=<Texts.h> -DOUTPUT=<strings.rc> -P StringTable.cmake
# Writes the string table of ruvasetw.exe from the program's texts: each numbered string
# (`inline constexpr int <Name>Id = <number>;` beside `inline constexpr Text <Name> = "...";`) under its
# number, so that the texts are written once, in res/texts.
cmake_minimum_required(VERSION 3.25)
file(READ ${TEXTS} texts)
string(REGEX MATCHALL "inline constexpr int [A-Za-z0-9_]+Id = [0-9]+" numbers "${texts}")
set(table "// Made from res/texts/Texts.h by win32/StringTable.cmake.\nSTRINGTABLE\nBEGIN\n")
foreach(number IN LISTS numbers)
    string(REGEX REPLACE "inline constexpr int ([A-Za-z0-9_]+)Id = ([0-9]+)" "\\1;\\2" entry "${number}")
    list(GET entry 0 name)
    list(GET entry 1 id)
    if(NOT texts MATCHES "inline constexpr Text ${name} = \"([^\"\\\\\n]*)\";")
        message(FATAL_ERROR "${TEXTS}: no one-line text ${name} for ${name}Id")
    endif()
    string(APPEND table "    ${id}, \"${CMAKE_MATCH_1}\"\n")
endforeach()
string(APPEND table "END\n")
file(WRITE ${OUTPUT}.new "${table}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
