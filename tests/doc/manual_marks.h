// The marked quotations of the user's manual: {menu:...}, {win:...}, {field:...}, {kw:...} and
// {num:...} in the chapters doc/manual/NN-*.md, each with its chapter file and line; and the rows
// of the chapters' field tables with the units they give.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace ManualMarks {

struct Mark {
    std::string kind;  // menu, win, field, kw, num
    std::string text;  // blanks collapsed, trimmed
    std::string file;  // the chapter's file name
    int line = 0;
    std::string Where() const { return file + ":" + std::to_string(line); }
    std::string Quoted() const { return "{" + kind + ":" + text + "}"; }
};

inline std::string Collapse(const std::string& s)
{
    std::string out;
    bool blank = false;
    for (char c : s) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            blank = !out.empty();
        } else {
            if (blank) out += ' ';
            blank = false;
            out += c;
        }
    }
    return out;
}

// The chapter files of the manual in `folder`, in file-name order.
inline std::vector<std::filesystem::path> Chapters(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    const std::regex name("^[0-9][0-9]-.*\\.md$");
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && std::regex_match(entry.path().filename().string(), name))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The folder of the chapters: doc/manual of the sources, or $MANUAL_CHAPTERS_DIR (to check
// chapters that are not in the tree yet).
inline std::filesystem::path Folder(const std::filesystem::path& sources)
{
    if (const char* dir = std::getenv("MANUAL_CHAPTERS_DIR"); dir && *dir) return dir;
    return sources / "doc" / "manual";
}

// Every mark of every chapter (the build expands marks line by line, so a mark is on one line).
inline std::vector<Mark> Read(const std::filesystem::path& folder)
{
    std::vector<Mark> marks;
    const std::regex mark("\\{(menu|win|field|kw|num):([^{}]*)\\}");
    for (const auto& path : Chapters(folder)) {
        std::ifstream in(path);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            for (auto it = std::sregex_iterator(line.begin(), line.end(), mark); it != std::sregex_iterator(); ++it)
                marks.push_back({(*it)[1], Collapse((*it)[2]), path.filename().string(), number});
        }
    }
    return marks;
}

// One row of a table of fields or columns ("| Field | Meaning | English | SI |", or with one
// "Unit" column for a unit both systems share): the fields it names and the units it gives.
struct UnitRow {
    std::string file;
    int line = 0;
    std::vector<std::string> fields;   // the {field:} marks of the first cell, groups left out
    std::vector<std::string> meaning;  // the {field:} marks of the other cells before the units
    std::string english, si;           // the unit cells as written (empty: no unit)
    std::string Where() const { return file + ":" + std::to_string(line); }
};

inline std::vector<std::string> TableCells(const std::string& line)
{
    std::vector<std::string> cells;
    std::string s = line;
    const auto first = s.find_first_not_of(" \t");
    const auto last = s.find_last_not_of(" \t\r");
    if (first == std::string::npos || s[first] != '|') return cells;
    s = s.substr(first + 1, last - first);
    if (!s.empty() && s.back() == '|') s.pop_back();
    std::string cell;
    for (char c : s) {
        if (c == '|') {
            cells.push_back(Collapse(cell));
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.push_back(Collapse(cell));
    return cells;
}

// The field marks of a cell; those in "(group {field:...})" name a frame, not a field, and are
// left out when `withGroups` is false.
inline std::vector<std::string> FieldMarks(const std::string& cell, bool withGroups)
{
    std::vector<std::string> fields;
    const std::regex mark("(\\(group )?\\{field:([^{}]*)\\}");
    for (auto it = std::sregex_iterator(cell.begin(), cell.end(), mark); it != std::sregex_iterator(); ++it)
        if (withGroups || !(*it)[1].matched) fields.push_back(Collapse((*it)[2]));
    return fields;
}

// Every row of every table whose header starts with "Field" or "Column" and ends with the unit
// columns "English | SI" or "Unit".
inline std::vector<UnitRow> ReadUnitRows(const std::filesystem::path& folder)
{
    std::vector<UnitRow> rows;
    for (const auto& path : Chapters(folder)) {
        std::ifstream in(path);
        std::string line;
        int number = 0;
        std::vector<std::string> header;
        bool inTable = false;
        while (std::getline(in, line)) {
            ++number;
            std::vector<std::string> cells = TableCells(line);
            if (cells.empty()) {
                inTable = false;
                continue;
            }
            if (!inTable) {
                inTable = true;
                header = cells;
                continue;
            }
            if (line.find_first_not_of("|-: \t\r") == std::string::npos) continue;  // the rule under the header
            const std::size_t n = header.size();
            const bool fieldTable = n >= 2 && (header[0] == "Field" || header[0] == "Column");
            const bool twoUnits = n >= 3 && header[n - 2] == "English" && header[n - 1] == "SI";
            const bool oneUnit = n >= 2 && header[n - 1] == "Unit";
            if (!fieldTable || !(twoUnits || oneUnit)) continue;
            cells.resize(n);
            UnitRow row;
            row.file = path.filename().string();
            row.line = number;
            row.fields = FieldMarks(cells[0], false);
            const std::size_t unitCells = twoUnits ? 2 : 1;
            for (std::size_t i = 1; i + unitCells < n; ++i)
                for (const std::string& f : FieldMarks(cells[i], true)) row.meaning.push_back(f);
            row.english = cells[n - unitCells];
            row.si = cells[n - 1];
            rows.push_back(row);
        }
    }
    return rows;
}

}  // namespace ManualMarks
