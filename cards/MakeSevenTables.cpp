// Writes the source file that holds the tables of EvaluateSeven, so that the
// program starts with them made:  scrivo-make-seven-tables OUTPUT.cpp
// Scores are written as hexadecimal floating literals: exact, bit for bit.

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "cards/SevenTableBuilder.h"

namespace {

using namespace scrivo::detail;

template <typename Array> void WriteInts(std::ofstream& out, const Array& values)
{
    out << "{{";
    for (std::size_t i = 0; i < values.size(); ++i)
        out << (i % 24 == 0 ? "\n" : "") << values[i] << ',';
    out << "\n}},\n";
}

void WriteScores(std::ofstream& out, const std::array<double, SevenMaxClasses>& values)
{
    out << "{{";
    char buffer[64];
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%a,", values[i]);
        out << (i % 6 == 0 ? "\n" : "") << buffer;
    }
    out << "\n}},\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: scrivo-make-seven-tables OUTPUT.cpp\n");
        return 2;
    }
    try {
        const auto tables = BuildSevenTables();
        const std::string path = argv[1];
        const std::string partial = path + ".part";
        {
            std::ofstream out(partial, std::ios::trunc);
            out << "// Made by scrivo-make-seven-tables when the program is built.\n"
                   "#include \"cards/SevenTables.h\"\n\n"
                   "namespace scrivo::detail {\n\n"
                   "const SevenTableData SevenTables = {\n";
            WriteInts(out, tables->rowStart);
            WriteInts(out, tables->slotClass);
            WriteInts(out, tables->flushClass);
            WriteScores(out, tables->classScore);
            out << "};\n\n} // namespace scrivo::detail\n";
            out.close();
            if (!out) throw std::runtime_error("cannot write " + partial);
        }
        if (std::rename(partial.c_str(), path.c_str()) != 0)
            throw std::runtime_error("cannot rename to " + path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "scrivo-make-seven-tables: %s\n", e.what());
        return 1;
    }
    return 0;
}
