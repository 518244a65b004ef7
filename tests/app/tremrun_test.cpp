// tremrun's exit statuses, and its outputs that cannot be written, through the real program and
// engine: each status of its table, the user's earlier report and plot data left whole byte for
// byte when an output fails (a folder in a file's place, or the file-size limit of the process,
// which fails a write in the middle as a full disk does), and a run refused while another
// holds the project's lock.
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
                            "  4  an output could not be written", "  5  another running copy"})
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
        {"report is a folder", -1, "block.tmo", "The report "},
        {"plot data is a folder", -1, "block.tmq", "The plot data file "},
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
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_TRUE(Contains(r.err, "The report " + p.report + " could not be written: Permission denied")) << r.err;
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

}  // namespace
