// tremrun's exit statuses, and its outputs that cannot be written, through the real program and
// engine: each status of its table (the table of --help, README.md and the manual alike), the
// user's earlier report and plot data left whole byte for byte when an output fails (the
// file-size limit of the process, which fails a write in the middle as a full disk does), what
// is refused before the engine runs (a folder in a file's place, a lock file that cannot be
// written, a path too long for the system, a damaged engine), a project in a deep folder run
// whole, and a run refused while another holds the project's lock.
#include "engine_harness.h"
#include "projectrun.h"
#include "tremrun_child.h"

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A folder with a copy of an example project, optionally with its deck replaced.
struct Project {
    harness::TempFolder folder{"tremrun-project"};
    std::string deck, report, plot;
    explicit Project(const std::string& text = std::string())
    {
        const std::string example = std::string(TREMEX_SOURCE_DIR) + "/examples/halfspace-harmonic";
        deck = folder.path() + "/block.tmx";
        report = folder.path() + "/block.tmo";
        plot = folder.path() + "/block.tmq";
        harness::write_file(deck, text.empty() ? harness::read_file(example + ".tmx") : text);
        harness::write_file(folder.path() + "/block.tmm", harness::read_file(example + ".tmm"));
    }
    // The user a run that must be refused a file goes as, in `uid`: the caller (-1), or for root,
    // who may read and write any file, the user nobody, with the folder opened to `mode`.
    void Unprivileged(mode_t mode, int& uid) const
    {
        uid = -1;
        if (::geteuid() != 0) return;
        const passwd* nobody = ::getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        uid = int(nobody->pw_uid);
        ASSERT_EQ(::chmod(folder.path().c_str(), mode), 0);
    }
    // The names in the folder.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder.path())) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST(Tremrun, ExitStatusTellsHowTheRunEnded)
{
    const Outcome help = Tremrun({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* row : {"  0  the analysis ran to its end", "  1  tremrun could not start a run",
                            "  2  the engine stopped", "  3  the engine refused the input data",
                            "  4  an output could not be written", "  5  another running copy",
                            "  6  the analysis ran, but the response could not be computed"})
        EXPECT_TRUE(Contains(help.out, row)) << row;
    EXPECT_EQ(Tremrun({}).status, 1);
    EXPECT_EQ(Tremrun({"a.tmx", "b.tmx"}).status, 1);

    const struct {
        const char* what;
        const char* deck;  // "" for the example
        int status;
    } cases[] = {
        {"the example", "", 0},
        {"a STOP", "TITLE=stopped\r\nSTOP\r\n", 2},
        {"an empty deck", "\r\n", 2},
        {"no gravity", "TITLE=refused\r\nRUN\r\n", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Project p(c.deck);
        const Outcome r = Tremrun({p.deck});
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_TRUE(Contains(r.out, "engine result " + std::to_string(c.status))) << r.out;
        EXPECT_TRUE(fs::exists(p.report));
        EXPECT_EQ(p.Names(), (std::vector<std::string>{"block.tmm", "block.tmo", "block.tmq", "block.tmx"}))
            << "no lock or temporary is left";
    }
}

TEST(Tremrun, ADeckThatCannotBeReadIsNotRunAndNothingIsWritten)
{
    // Missing, a folder, and unreadable (as another user than root, who reads everything).
    Project p;
    const std::string folder = p.folder.path() + "/folder.tmx";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const Outcome missing = Tremrun({p.folder.path() + "/missing.tmx"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Contains(missing.err, "missing.tmx: No such file or directory")) << missing.err;
    const Outcome dir = Tremrun({folder});
    EXPECT_EQ(dir.status, 1);
    EXPECT_TRUE(Contains(dir.err, "folder.tmx: not a regular file")) << dir.err;

    ASSERT_EQ(::chmod(p.deck.c_str(), 0), 0);
    int uid = -1;
    ASSERT_NO_FATAL_FAILURE(p.Unprivileged(0755, uid));
    const Outcome unreadable = Tremrun({p.deck}, -1, uid);
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_TRUE(Contains(unreadable.err, "block.tmx cannot be read: Permission denied")) << unreadable.err;
    ::chmod(p.deck.c_str(), 0644);
    EXPECT_EQ(p.Names(), (std::vector<std::string>{"block.tmm", "block.tmx", "folder.tmx"}));
}

TEST(Tremrun, AnOutputThatCannotBeWrittenLeavesTheEarlierOnesWhole)
{
    struct Case {
        const char* what;
        long long limit;      // file-size limit of the run, < 0 for none
        const char* folder;   // made a folder in place of the file
        std::string named;    // what standard error names, with the reason
    } cases[] = {
        {"report cut short", 20000, nullptr, "block.tmo (File too large)"},
        {"plot data cut short", 5000, nullptr, "block.tmq (File too large)"},
        {"scratch file cut short", 600, nullptr, "SCRATCH FILE COULD NOT BE WRITTEN: "},
        // (A folder in the place of the report or the plot data is found before the engine runs:
        // status 1, in TheStatusTablesAgreeWithWhatTremrunDoes.)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Project p;
        // An earlier good run.
        ASSERT_EQ(Tremrun({p.deck}).status, 0);
        if (c.folder) {
            const std::string path = p.folder.path() + "/" + c.folder;
            fs::remove(path);
            ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
        }
        const std::string report = harness::read_file(p.report), plot = harness::read_file(p.plot);
        const std::vector<std::string> names = p.Names();
        const Outcome r = Tremrun({p.deck}, c.limit);
        EXPECT_EQ(r.status, 4) << r.err;
        EXPECT_TRUE(Contains(r.err, c.named)) << r.err;
        if (c.folder) {
            EXPECT_TRUE(Contains(r.err, p.folder.path() + "/" + c.folder + " could not be written: Is a directory"))
                << r.err;
        } else {
            EXPECT_TRUE(Contains(r.err, "tremrun: *** ") && Contains(r.err, "(File too large) ***"))
                << "the engine's own line, naming the final file: " << r.err;
        }
        EXPECT_EQ(harness::read_file(p.report), report);
        EXPECT_EQ(harness::read_file(p.plot), plot);
        EXPECT_EQ(p.Names(), names) << "no lock or temporary is left";
        // No output is named as written: the last lines say that the earlier ones stay.
        EXPECT_TRUE(Contains(r.out, "\nreport:    not written; the earlier " + p.report + " is left as it was\n"))
            << r.out;
        EXPECT_TRUE(Contains(r.out, "\nplot data: not written; the earlier " + p.plot + " is left as it was\n"))
            << r.out;
        EXPECT_TRUE(Contains(r.err, "tremrun: the run gave no results\n")) << r.err;
    }
}

// Who may write the folder but not the earlier report: the report is not replaced (as root,
// who may write any file, the run goes as the user nobody).
TEST(Tremrun, AReportTheUserMayNotWriteIsNotReplaced)
{
    Project p;
    ASSERT_EQ(Tremrun({p.deck}).status, 0);
    const std::string report = harness::read_file(p.report), plot = harness::read_file(p.plot);
    ASSERT_EQ(::chmod(p.report.c_str(), 0444), 0);
    int uid = -1;
    ASSERT_NO_FATAL_FAILURE(p.Unprivileged(0777, uid));
    const std::vector<std::string> names = p.Names();
    const Outcome r = Tremrun({p.deck}, -1, uid);
    EXPECT_EQ(r.status, 1) << "found before the engine runs: " << r.err;
    EXPECT_TRUE(Contains(r.err, "The report " + p.report + " could not be written: Permission denied")) << r.err;
    EXPECT_EQ(r.out, "") << "no output is named";
    EXPECT_EQ(harness::read_file(p.report), report);
    EXPECT_EQ(harness::read_file(p.plot), plot);
    EXPECT_EQ(p.Names(), names);
}

// A real file system that fills during the run: a small tmpfs (mounting needs root).
TEST(Tremrun, AFileSystemThatFillsDuringTheRunLeavesTheEarlierOutputsWhole)
{
    Project p;
    const std::string disk = p.folder.path() + "/disk";
    ASSERT_EQ(::mkdir(disk.c_str(), 0755), 0);
    if (::geteuid() != 0 || ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "a tmpfs cannot be mounted here (needs root): the file-size limit cases stand for it";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{disk};
    const std::string deck = disk + "/block.tmx";
    fs::copy_file(p.deck, deck);
    fs::copy_file(p.folder.path() + "/block.tmm", disk + "/block.tmm");
    ASSERT_EQ(Tremrun({deck}).status, 0);
    const std::string report = harness::read_file(disk + "/block.tmo"), plot = harness::read_file(disk + "/block.tmq");
    ASSERT_GT(report.size(), 60000u);
    // A filler that leaves about 60 KB.
    {
        std::FILE* f = std::fopen((disk + "/filler").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
        }
        std::fclose(f);
        ASSERT_EQ(::truncate((disk + "/filler").c_str(), fs::file_size(disk + "/filler") - 60 * 1024), 0);
    }
    std::vector<std::string> before;
    for (const auto& e : fs::directory_iterator(disk)) before.push_back(e.path().filename().string());
    std::sort(before.begin(), before.end());
    const Outcome r = Tremrun({deck});
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_TRUE(Contains(r.err, disk + "/block.tmo (No space left on device)")) << r.err;
    EXPECT_EQ(harness::read_file(disk + "/block.tmo"), report);
    EXPECT_EQ(harness::read_file(disk + "/block.tmq"), plot);
    std::vector<std::string> after;
    for (const auto& e : fs::directory_iterator(disk)) after.push_back(e.path().filename().string());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before) << "no lock or temporary is left";
}

TEST(Tremrun, ARunOfAProjectAnotherRunHoldsIsRefusedAndWritesNothing)
{
    Project p;
    ASSERT_EQ(Tremrun({p.deck}).status, 0);
    const std::string report = harness::read_file(p.report), plot = harness::read_file(p.plot);
    {
        TProjectRun other(QString::fromStdString(p.deck));
        other.Lock();
        const std::vector<std::string> names = p.Names();
        const Outcome r = Tremrun({p.deck});
        EXPECT_EQ(r.status, 5);
        EXPECT_TRUE(Contains(r.err, "(process " + std::to_string(::getpid()) + " on ")) << r.err;
        EXPECT_TRUE(Contains(r.err, ", since ")) << r.err;
        EXPECT_EQ(p.Names(), names);
    }
    EXPECT_EQ(harness::read_file(p.report), report);
    EXPECT_EQ(harness::read_file(p.plot), plot);
    // The lock gone, the next run goes.
    EXPECT_EQ(Tremrun({p.deck}).status, 0);
}

// The lock file of another user: refused while its run holds it, replaced when that run ended.
TEST(Tremrun, AnotherUsersLockRefusesWhileHeldAndGoesWhenNot)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to run tremrun as another user (nobody)";
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    Project p;
    ASSERT_EQ(::chmod(p.folder.path().c_str(), 0777), 0);
    {
        TProjectRun other(QString::fromStdString(p.deck));
        other.Lock();
        const std::vector<std::string> names = p.Names();
        const Outcome r = Tremrun({p.deck}, -1, int(nobody->pw_uid));
        EXPECT_EQ(r.status, 5) << r.err;
        EXPECT_TRUE(Contains(r.err, "(process " + std::to_string(::getpid()) + " on ")) << r.err;
        EXPECT_EQ(p.Names(), names);
    }
    // A lock file of root's that no run holds.
    harness::write_file(p.folder.path() + "/block.tmlock", "4242\nelsewhere\n2026-01-01 00:00:00\n");
    ASSERT_EQ(::chmod((p.folder.path() + "/block.tmlock").c_str(), 0644), 0);
    const Outcome r = Tremrun({p.deck}, -1, int(nobody->pw_uid));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(p.folder.path() + "/block.tmlock"));
    EXPECT_TRUE(fs::exists(p.report));
}

TEST(Tremrun, TheNewOutputsKeepThePermissionsOfTheEarlierOnes)
{
    Project p;
    ASSERT_EQ(Tremrun({p.deck}).status, 0);
    ASSERT_EQ(::chmod(p.report.c_str(), 0640), 0);
    ASSERT_EQ(::chmod(p.plot.c_str(), 0604), 0);
    ASSERT_EQ(Tremrun({p.deck}).status, 0);
    struct stat report {}, plot {};
    ASSERT_EQ(::stat(p.report.c_str(), &report), 0);
    ASSERT_EQ(::stat(p.plot.c_str(), &plot), 0);
    EXPECT_EQ(report.st_mode & 07777, 0640u);
    EXPECT_EQ(plot.st_mode & 07777, 0604u);
}

TEST(Tremrun, WhatARunThatWasKilledLeftIsRemovedByTheNext)
{
    Project p;
    const std::vector<std::string> clean = p.Names();
    const std::string stale = p.folder.path() + "/.block.tmrun-Ab12Cd";
    ASSERT_EQ(::mkdir(stale.c_str(), 0700), 0);
    harness::write_file(stale + "/block.tmo", "half a report");
    harness::write_file(p.folder.path() + "/block.tmlock", "4242\nelsewhere\n2026-01-01 00:00:00\n");
    const std::string other = p.folder.path() + "/.other.tmrun-Ab12Cd";  // another project's
    ASSERT_EQ(::mkdir(other.c_str(), 0700), 0);
    const Outcome r = Tremrun({p.deck});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> expected = clean;
    expected.push_back(".other.tmrun-Ab12Cd");
    expected.push_back("block.tmo");
    expected.push_back("block.tmq");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(p.Names(), expected);
}

TEST(Tremrun, AProjectNamedAsItsReportIsRefusedByTheEngineAndStaysWhole)
{
    Project p;
    const std::string deck = p.folder.path() + "/odd.tmo";
    fs::copy_file(p.deck, deck);
    fs::copy_file(p.folder.path() + "/block.tmm", p.folder.path() + "/odd.tmm");
    const std::string text = harness::read_file(deck);
    const Outcome r = Tremrun({deck});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(Contains(r.err, "REPORT OR PLOT DATA FILE NAMED AS THE INPUT OR MASS FILE")) << r.err;
    EXPECT_EQ(harness::read_file(deck), text);
}

// The meaning of each status as a table states it: "| N | meaning |" rows after `heading` in
// the file at `path`, backquotes and keyword marks ({kw:STOP}) taken out, blanks made single.
std::map<int, std::string> TableRows(const std::string& path, const std::string& heading)
{
    const std::string text = harness::read_file(path);
    std::map<int, std::string> rows;
    const std::size_t at = text.find(heading);
    if (at == std::string::npos) return rows;
    std::istringstream in(text.substr(at));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (line.empty()) {
            if (!rows.empty()) break;
            continue;
        }
        std::smatch m;
        if (!std::regex_match(line, m, std::regex(R"(\| (\d) \| (.*) \|)"))) continue;
        std::string meaning = std::regex_replace(m[2].str(), std::regex(R"(\{kw:([A-Z]+)\})"), "$1");
        meaning.erase(std::remove(meaning.begin(), meaning.end(), '`'), meaning.end());
        rows[std::stoi(m[1].str())] = meaning;
    }
    return rows;
}

// The same from tremrun --help: each status and its lines, blanks made single.
std::map<int, std::string> HelpRows(const std::string& help)
{
    std::map<int, std::string> rows;
    std::istringstream in(help.substr(help.find("Exit status:")));
    std::string line;
    int status = -1;
    while (std::getline(in, line)) {
        std::smatch m;
        if (std::regex_match(line, m, std::regex(R"(  (\d)  (.*))"))) {
            status = std::stoi(m[1].str());
            rows[status] = m[2].str();
        } else if (status >= 0 && line.rfind("     ", 0) == 0) {
            rows[status] += " " + line.substr(5);
        }
    }
    return rows;
}

// A folder whose path, with "/" and the name `file`, is `length` characters long: folders of
// 200 characters (a name may have 255) under a temporary folder, and one to fill up.
std::string DeepFolder(const harness::TempFolder& base, std::size_t length, const std::string& file)
{
    std::string dir = base.path();
    while (dir.size() + 1 + 201 + file.size() + 1 < length) dir += "/" + std::string(200, 'd');
    dir += "/" + std::string(length - dir.size() - 2 - file.size(), 'n');
    fs::create_directories(dir);
    return dir;
}

// The table of statuses in tremrun --help, in README.md and in the manual are the same words, one
// row for each status 0 to 6, and tremrun ends with each status where the table says: one case at
// least for every status, every cause of status 1 the table names among them. After
// status 1 and 5 nothing is written beside the project and nothing is named as written; after 0,
// 2, 3 and 6 the report and the plot data are; after 4 the earlier ones stay and the lines say so.
TEST(Tremrun, TheStatusTablesAgreeWithWhatTremrunDoes)
{
    const std::map<int, std::string> help = HelpRows(Tremrun({"--help"}).out);
    const std::string source = TREMEX_SOURCE_DIR;
    const std::map<int, std::string> readme =
        TableRows(source + "/README.md", "`tremrun --help` prints the usage and the exit statuses:");
    const std::map<int, std::string> deck =
        TableRows(source + "/doc/manual/05-files-and-deck.md", "Table: Exit statuses of `tremrun`");
    ASSERT_EQ(help.size(), 7u);
    for (int status = 0; status <= 6; ++status) ASSERT_TRUE(help.count(status)) << status;
    EXPECT_EQ(readme, help) << "README.md";
    // The manual holds the table once, in the chapter of the deck: its first steps point there
    // instead of keeping a copy that could be left behind.
    const std::string first = harness::read_file(source + "/doc/manual/01-getting-started.md");
    EXPECT_EQ(first.find("| 6 |"), std::string::npos) << "a copy of the table in the manual's getting started";
    EXPECT_NE(first.find("(#deck-tremrun)"), std::string::npos) << "getting started points to the table";
    EXPECT_EQ(deck, help) << "the manual's chapter of the deck";

    // A copy of tremrun beside a copy of the engine cut to 10,000 bytes.
    const harness::TempFolder program("tremrun-program");
    const std::string copy = program.path() + "/tremrun";
    fs::copy_file(TREMRUN_PATH, copy);
    const std::string engine = harness::read_file(fs::path(TREMRUN_PATH).parent_path() / "libtremcalc.so");
    ASSERT_GT(engine.size(), 10000u);
    harness::write_file(program.path() + "/libtremcalc.so", engine.substr(0, 10000));
    const std::string notUtf8 = "caf\xE9";

    struct Case {
        const char* what;
        int status;
        std::string deck;                                  // "" for the example
        std::function<void(Project&, std::vector<std::string>&, int& uid, long long& limit)> prepare;
        std::string err;                                   // what standard error says
        const char* tremrun = TREMRUN_PATH;
    };
    const auto keep = [](Project&, std::vector<std::string>&, int&, long long&) {};
    const std::vector<Case> cases = {
        {"the example", 0, "", keep, ""},
        {"no project named", 1, "", [](Project&, std::vector<std::string>& args, int&, long long&) { args.clear(); },
         "usage: tremrun PROJECT.tmx"},
        {"a deck that is missing", 1, "",
         [](Project& p, std::vector<std::string>& args, int&, long long&) { args = {p.folder.path() + "/none.tmx"}; },
         "none.tmx: No such file or directory"},
        {"a folder named as the deck", 1, "",
         [](Project& p, std::vector<std::string>& args, int&, long long&) {
             ASSERT_EQ(::mkdir((p.folder.path() + "/folder.tmx").c_str(), 0755), 0);
             args = {p.folder.path() + "/folder.tmx"};
         },
         "folder.tmx: not a regular file"},
        {"a folder whose name is not UTF-8", 1, "",
         [&notUtf8](Project& p, std::vector<std::string>& args, int&, long long&) {
             const std::string dir = p.folder.path() + "/" + notUtf8;
             ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
             fs::copy_file(p.deck, dir + "/block.tmx");
             args = {dir + "/block.tmx"};
         },
         "\" in the folder "},
        {"a lock file in a folder that cannot be written", 1, "",
         [](Project& p, std::vector<std::string>&, int& uid, long long&) {
             ASSERT_NO_FATAL_FAILURE(p.Unprivileged(0755, uid));
             if (uid < 0) {
                 ASSERT_EQ(::chmod(p.folder.path().c_str(), 0555), 0);
             }
         },
         "block.tmlock of the run could not be written: Permission denied"},
        {"a folder in the place of the report", 1, "",
         [](Project& p, std::vector<std::string>&, int&, long long&) { ASSERT_EQ(::mkdir(p.report.c_str(), 0755), 0); },
         "block.tmo could not be written: Is a directory"},
        {"a folder in the place of the plot data", 1, "",
         [](Project& p, std::vector<std::string>&, int&, long long&) { ASSERT_EQ(::mkdir(p.plot.c_str(), 0755), 0); },
         "block.tmq could not be written: Is a directory"},
        {"an engine cut short", 1, "", keep,
         "Attempt to initialize DLL failed (" + program.path() + "/libtremcalc.so: the file is 10000 bytes long, but its",
         copy.c_str()},
        {"a STOP", 2, "TITLE=stopped\r\nSTOP\r\n", keep, ""},
        {"no gravity", 3, "TITLE=refused\r\nRUN\r\n", keep, ""},
        {"a report cut short", 4, "",
         [](Project&, std::vector<std::string>&, int&, long long& limit) { limit = 20000; },
         "block.tmo (File too large)"},
        {"another run holds the project", 5, "", keep, "Another running copy of Tremex3 or tremrun"},
        {"a mass of 3E38: no frequency solved", 6, "", keep,
         "*** RESPONSE NOT COMPUTED AT 50 OF 50 FREQUENCIES: THE EQUATIONS OF MOTION COULD NOT BE SOLVED ***"},
    };
    std::set<int> seen;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = c.deck;
        if (c.status == 6) {
            text = harness::read_file(source + "/examples/halfspace-harmonic.tmx");
            text.replace(text.find("200 600 1100"), 3, "3E38");
        }
        Project p(text);
        std::vector<std::string> args{p.deck};
        int uid = -1;
        long long limit = -1;
        ASSERT_NO_FATAL_FAILURE(c.prepare(p, args, uid, limit));
        if (c.status == 4) {
            ASSERT_EQ(Tremrun({p.deck}).status, 0) << "an earlier run";
        }
        const std::vector<std::string> names = p.Names();
        const std::string report = harness::read_file(p.report);
        std::unique_ptr<TProjectRun> other;
        if (c.status == 5) {
            other = std::make_unique<TProjectRun>(QString::fromStdString(p.deck));
            other->Lock();
        }
        const Outcome r = TremrunAt(c.tremrun, args, limit, uid);
        other.reset();
        ::chmod(p.folder.path().c_str(), 0755);
        seen.insert(r.status);
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
        if (c.status == 1 || c.status == 5) {
            EXPECT_EQ(p.Names(), names) << "nothing is written beside the project";
            EXPECT_FALSE(Contains(r.out, "report:")) << r.out;
            EXPECT_FALSE(Contains(r.out, "plot data:")) << r.out;
        } else if (c.status == 4) {
            EXPECT_EQ(harness::read_file(p.report), report);
            EXPECT_TRUE(Contains(r.out, "report:    not written; the earlier " + p.report + " is left as it was"))
                << r.out;
        } else {
            EXPECT_TRUE(Contains(r.out, "engine result " + std::to_string(c.status) + "\n")) << r.out;
            EXPECT_TRUE(Contains(r.out, "\nreport:    " + p.report + "\nplot data: " + p.plot + "\n")) << r.out;
            EXPECT_TRUE(fs::exists(p.report));
            EXPECT_EQ(p.Names(), (std::vector<std::string>{"block.tmm", "block.tmo", "block.tmq", "block.tmx"}))
                << "no lock or temporary is left";
        }
    }
    for (const auto& [status, meaning] : help) EXPECT_TRUE(seen.count(status)) << "no case gave status " << status;
}

// The two causes at the edges of the table: a complete run whose lines standard output cannot
// take (status 4, though the new report and plot data are in place, as the row says), and an
// engine that returns a result no analysis gives (status 1: nothing it wrote is put beside the
// project, and no output is named as written).
TEST(Tremrun, AFullStandardOutputAndAnEngineThatDoesNotTakeTheCallGiveTheStatusesOfTheTable)
{
    {
        SCOPED_TRACE("standard output on a full disk");
        Project p;
        const Outcome r = TremrunAt(TREMRUN_PATH, {p.deck}, -1, -1, "/dev/full");
        EXPECT_EQ(r.status, 4) << r.err;
        EXPECT_TRUE(Contains(r.err, "tremrun: standard output: No space left on device")) << r.err;
        EXPECT_EQ(p.Names(), (std::vector<std::string>{"block.tmm", "block.tmo", "block.tmq", "block.tmx"}));
        EXPECT_EQ(harness::read_file(p.plot),
                  harness::read_file(std::string(TREMEX_SOURCE_DIR) + "/tests/engine/golden/expected/halfspace-harmonic.tmq"))
            << "the plot data of the run are in place, whole";
    }
    {
        SCOPED_TRACE("an engine returning 7");
        const harness::TempFolder program("tremrun-standin");
        const std::string copy = program.path() + "/tremrun";
        fs::copy_file(TREMRUN_PATH, copy);
        fs::copy_file(SLOW_ENGINE_PATH, program.path() + "/libtremcalc.so");
        Project p;
        const std::vector<std::string> names = p.Names();
        ::setenv("TREMEX_STANDIN_SECONDS", "0", 1);
        ::setenv("TREMEX_STANDIN_RESULT", "7", 1);
        const Outcome r = TremrunAt(copy, {p.deck});
        ::unsetenv("TREMEX_STANDIN_RESULT");
        ::unsetenv("TREMEX_STANDIN_SECONDS");
        EXPECT_EQ(r.status, 1) << r.out << r.err;
        EXPECT_TRUE(Contains(r.err, "the engine did not take the call (result 7)")) << r.err;
        EXPECT_EQ(p.Names(), names) << "nothing is written beside the project";
        EXPECT_FALSE(Contains(r.out, "report:")) << r.out;
    }
}

// A project in a deep folder, its path 234, 300 and 1000 characters long (Linux takes 4095): the
// report and the plot data are written whole and replace the old ones, and they are those of the
// same project run anywhere else (the stored copies of the example, byte for byte with the folder
// and the time masked). At 234 characters tremrun once said "engine result 0" and left the old
// report; from 258 on the engine refused the run for names the cut at 256 had made alike.
TEST(Tremrun, AProjectInADeepFolderIsRunWhole)
{
    const std::string source = TREMEX_SOURCE_DIR;
    const std::string golden = source + "/tests/engine/golden/expected/halfspace-harmonic";
    const harness::TempFolder base("tremrun-deep");
    for (const std::size_t length : {234u, 300u, 1000u}) {
        SCOPED_TRACE(length);
        const std::string dir = DeepFolder(base, length, "project.tmx");
        const std::string deck = dir + "/project.tmx";
        ASSERT_EQ(deck.size(), length);
        harness::write_file(deck, harness::read_file(source + "/examples/halfspace-harmonic.tmx"));
        harness::write_file(dir + "/project.tmm", harness::read_file(source + "/examples/halfspace-harmonic.tmm"));
        harness::write_file(dir + "/project.tmo", "old\n");
        const Outcome r = Tremrun({deck});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(Contains(r.out, "\nreport:    " + dir + "/project.tmo\n")) << r.out;
        EXPECT_EQ(harness::masked(harness::read_file(dir + "/project.tmo"), dir), harness::read_file(golden + ".tmo"));
        EXPECT_EQ(harness::read_file(dir + "/project.tmq"), harness::read_file(golden + ".tmq"));
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"project.tmm", "project.tmo", "project.tmq", "project.tmx"}))
            << "no lock or temporary is left";
    }
}

// A project whose run would need a path longer than the system takes (the report at its
// temporary name in the hidden folder: the project's path and its name once more) is refused
// before anything is written, naming the path, its length and the limit; so is a project whose
// hidden folder would have a name longer than a name may be.
TEST(Tremrun, APathTooLongForTheSystemIsRefusedBeforeAnythingIsWritten)
{
    const std::string source = TREMEX_SOURCE_DIR;
    const harness::TempFolder base("tremrun-deep");
    struct Case {
        const char* what;
        std::string dir, name;
        std::string said;
    };
    const std::string deep = DeepFolder(base, 4085, "p.tmx");
    const std::string named = base.path() + "/named";
    fs::create_directories(named);
    const std::string longName = std::string(245, 'x') + ".tmx";
    const Case cases[] = {
        {"a path of 4085 characters", deep, "p.tmx",
         "The path of the report, at its temporary name, would be 4101 bytes long, longer than the 4095 bytes the "
         "system takes for a path: " + deep + "/.p.tmrun-XXXXXX/p.tmo."},
        {"a name of 249 characters", named, longName,
         "The name \"." + std::string(245, 'x') + ".tmrun-XXXXXX\" of the temporary folder of the run would be 259 "
         "bytes long, longer than the 255 bytes the folder " + named + " takes for a name."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string deck = c.dir + "/" + c.name;
        harness::write_file(deck, harness::read_file(source + "/examples/halfspace-harmonic.tmx"));
        std::vector<std::string> before;
        for (const auto& e : fs::directory_iterator(c.dir)) before.push_back(e.path().filename().string());
        const Outcome r = Tremrun({deck});
        EXPECT_EQ(r.status, 1) << r.out << r.err;
        EXPECT_TRUE(Contains(r.err, c.said)) << r.err;
        EXPECT_TRUE(Contains(r.err, "The run was not started and nothing was written")) << r.err;
        std::vector<std::string> after;
        for (const auto& e : fs::directory_iterator(c.dir)) after.push_back(e.path().filename().string());
        EXPECT_EQ(after, before) << "nothing written";
        EXPECT_EQ(r.out, "");
    }
}

// A copy of the engine library cut to 10,000 bytes beside a copy of tremrun: refused before it is
// mapped (it was mapped as it was, and tremrun died with a bus error), with the message of a
// library that cannot be loaded, status 1, and nothing left behind.
TEST(Tremrun, ADamagedEngineLibraryIsRefusedAsOneThatCannotBeLoaded)
{
    const harness::TempFolder program("tremrun-program");
    const std::string copy = program.path() + "/tremrun";
    fs::copy_file(TREMRUN_PATH, copy);
    const std::string engine = harness::read_file(fs::path(TREMRUN_PATH).parent_path() / "libtremcalc.so");
    Project p;
    const std::vector<std::string> names = p.Names();
    for (const std::size_t size : {std::size_t(10000), engine.size() / 2, engine.size() - 1}) {
        SCOPED_TRACE(size);
        harness::write_file(program.path() + "/libtremcalc.so", engine.substr(0, size));
        const Outcome r = TremrunAt(copy, {p.deck});
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_TRUE(Contains(r.err, "Attempt to initialize DLL failed (" + program.path() + "/libtremcalc.so: the file is " +
                                        std::to_string(size) + " bytes long, but its "))
            << r.err;
        EXPECT_EQ(p.Names(), names);
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(program.path())) files.push_back(e.path().filename().string());
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (std::vector<std::string>{"libtremcalc.so", "tremrun"})) << "no run list or run folder lock";
    }
    // The whole library runs.
    harness::write_file(program.path() + "/libtremcalc.so", engine);
    ::chmod((program.path() + "/libtremcalc.so").c_str(), 0755);
    EXPECT_EQ(TremrunAt(copy, {p.deck}).status, 0);
}

}  // namespace
