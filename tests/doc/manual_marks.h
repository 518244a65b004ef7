// The marked quotations of the user's manual: {menu:...}, {win:...}, {field:...}, {kw:...} and
// {num:...} in the chapters doc/manual/NN-*.md, each with its chapter file and line.
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

}  // namespace ManualMarks
