# cmake -DTABLES=<pages sources...> -DOUTPUT=<ControlIds.h> -P ControlIds.cmake
# Writes the control identifiers of ruvasetw.exe's dialog templates from the names in the settings
# catalogue of model/ and the tables of pages/: each field and button named there (`List("Name", …`,
# `Check("Name", …`, `Number("Name", …`, `Address("Name", …`, `Bits("Name", …`, `Template<…>("Name", …`,
# `{"Name", …`, `{keys::Name, …` or `{…Button::Id, "Name", …`) gets IDC_<Name> and
# IDC_<Name>Label (its label, or the group box of a bit field); the check box of bit b of a bit field
# is IDC_<Name> + b. The identifiers follow from the names alone, whatever the order of the tables, so
# the templates and the code name each control as the tables do.
cmake_minimum_required(VERSION 3.25)
set(names)
foreach(table IN LISTS TABLES)
    file(READ ${table} text)
    string(REGEX MATCHALL "(List|Check|Number|Address|Bits|>)\\([ \n]*\"[A-Za-z][A-Za-z0-9]*\",[ \n]" fields "${text}")
    string(REGEX MATCHALL "{\"[A-Za-z][A-Za-z0-9]*\",[ \n]" entries "${text}")
    string(REGEX MATCHALL "Button::[A-Za-z0-9]+, \"[A-Za-z][A-Za-z0-9]*\",[ \n]" buttons "${text}")
    foreach(match IN LISTS fields entries buttons)
        string(REGEX REPLACE ".*\"([A-Za-z0-9]+)\",.$" "\\1" name "${match}")
        list(APPEND names ${name})
    endforeach()
    # A setting whose file key is a named constant (keys::Name, spelled "Name").
    string(REGEX MATCHALL "{keys::[A-Za-z][A-Za-z0-9]*,[ \n]" keyed "${text}")
    foreach(match IN LISTS keyed)
        string(REGEX REPLACE "{keys::([A-Za-z0-9]+),.$" "\\1" name "${match}")
        list(APPEND names ${name})
    endforeach()
endforeach()
list(REMOVE_DUPLICATES names)
list(SORT names)
if(NOT names)
    message(FATAL_ERROR "no control names in ${TABLES}")
endif()

# Each name has a block of 40 identifiers from 4000 on: the control (and the boxes of a bit field, up
# to 32) and, 32 above it, the label.
set(header "// Made from the tables of pages/ by win32/ControlIds.cmake.\n#pragma once\n")
set(list "")
set(id 4000)
foreach(name IN LISTS names)
    math(EXPR label "${id} + 32")
    string(APPEND header "#define IDC_${name} ${id}\n#define IDC_${name}Label ${label}\n")
    string(APPEND list "    {\"${name}\", IDC_${name}, IDC_${name}Label}, \\\n")
    math(EXPR id "${id} + 40")
endforeach()
string(APPEND header "#define RUVA_NAMED_CONTROLS \\\n${list}\n")
file(WRITE ${OUTPUT}.new "${header}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
