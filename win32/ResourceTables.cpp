// resource-tables <ControlIds.h> <strings.rc>
// Writes what ruvasetw.exe's resource script takes from the program's tables, built and run on the
// machine that builds the program:
// - ControlIds.h: the identifier of each control that the tables of pages/ name (the settings of the
//   catalogue, the buttons, the rows of the information dialogs). Each name has a block of 40 identifiers
//   from 4000 on, in the order of the names: IDC_<Name> for the control (and IDC_<Name> + b for the box
//   of bit b of a bit field) and IDC_<Name>Label, 32 above it, for its label or group box; and the list
//   of them all, RUVA_NAMED_CONTROLS, for the code. The identifiers follow from the names alone, whatever
//   the order of the tables.
// - strings.rc: the string table, each numbered text of res/texts under its number.
// A file whose content would not change is left alone.

#include "PageTables.h"
#include "Texts.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace {

using namespace ruva;

std::string ControlIds() {
    std::set<std::string_view> names;
    const auto add = [&names](const auto& table) {
        for (const auto& entry : table)
            names.insert(entry.Name);
    };
    add(BrdPropertyPgE1().Controls);
    add(BrdPropertyPgT1().Controls);
    add(BrdPropertyPgGeneral().Controls);
    add(BrdPropertyPgE1Buttons());
    add(BrdPropertyPgT1Buttons());
    add(MainPropertyPgBrdButtons());
    add(MainPropertyPgAboutButtons());
    for (InfoDialogKind kind :
         {InfoDialogKind::MainResources, InfoDialogKind::BrdResources, InfoDialogKind::BrdSerialNo})
        add(InfoDialogRows(kind));

    std::ostringstream header;
    std::ostringstream list;
    header << "// Made from the tables of pages/ by win32/ResourceTables.cpp.\n#pragma once\n";
    int id = 4000;
    for (std::string_view name : names) {
        header << "#define IDC_" << name << ' ' << id << "\n#define IDC_" << name << "Label " << id + 32
               << '\n';
        list << "    {\"" << name << "\", IDC_" << name << ", IDC_" << name << "Label}, \\\n";
        id += 40;
    }
    header << "#define RUVA_NAMED_CONTROLS \\\n" << list.str() << '\n';
    return header.str();
}

std::string StringTable() {
    std::string table = "// Made from res/texts/Texts.h by win32/ResourceTables.cpp.\nSTRINGTABLE\nBEGIN\n";
    for (const texts::NumberedText& text : texts::NumberedTexts) {
        table += "    " + std::to_string(text.Id) + ", \"";
        for (char c : text.Value)
            table += c == '"' ? std::string("\"\"") : c == '\\' ? std::string("\\\\") : std::string(1, c);
        table += "\"\n";
    }
    return table + "END\n";
}

bool WriteIfChanged(const char* path, const std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (in && std::string(std::istreambuf_iterator<char>(in), {}) == content)
        return true;
    in.close();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out)
        std::cerr << "resource-tables: cannot write " << path << '\n';
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: resource-tables <ControlIds.h> <strings.rc>\n";
        return 2;
    }
    return WriteIfChanged(argv[1], ControlIds()) && WriteIfChanged(argv[2], StringTable()) ? 0 : 1;
}
