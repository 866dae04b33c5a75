// Saves of orvex-batch onto every kind of path and onto failing disks: the file the user names
// is written, anything else is refused with the reason, and the old file is never damaged.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "support/TempDir.h"
#include "support/WaveBytes.h"
#include "tools/BatchRunner.h"

namespace fs = std::filesystem;

namespace {

const std::string kSaveFailed = "Orvex: An error occured whilst trying to save the sample: ";
const std::vector<uint8_t> kOld = {'o', 'l', 'd'};

class BatchSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir.File("in.wav");
        WriteBytes(input, WaveBytes::Simple(1, 8000, 8, std::vector<uint8_t>(1000, 7)));
        const std::string reference = dir.File("reference.wav");
        RunBatch({input, "-o", reference});
        saved = ReadBytes(reference);
        fs::remove(reference);
    }

    // Runs a shell script ("$B" is the tool); its status and standard error.
    BatchRun Shell(const std::string& script) {
        const std::string file = dir.File("run.sh");
        const std::string err = dir.File("run.err");
        const std::string text = "B='" + std::string(ORVEX_BATCH_PATH) + "'\n" + script + "\n";
        WriteBytes(file, std::vector<uint8_t>(text.begin(), text.end()));
        const int status = std::system(("sh '" + file + "' 2>'" + err + "'").c_str());
        const auto bytes = ReadBytes(err);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, "", {bytes.begin(), bytes.end()}};
    }

    // Names in the folder that look like temporaries of a save.
    int Temporaries(const fs::path& folder) {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(folder))
            count += entry.path().filename().string().find(".orvex-") != std::string::npos;
        return count;
    }

    TempDir dir;
    std::string input;
    std::vector<uint8_t> saved;
};

TEST_F(BatchSaveTest, WritesWhatThePathNamesOrRefusesWithTheReason) {
    struct Case {
        const char* name;
        std::function<bool(const std::string&)> make;  // false: cannot be made here (skipped)
        const char* reason;                            // empty: the save succeeds
        std::function<void(const std::string&)> check;
    };
    const std::string real = dir.File("real.wav");
    const std::string other = dir.File("other.wav");
    const std::vector<Case> cases = {
        {"link.wav",
         [&](const std::string& p) {
             WriteBytes(real, kOld);
             return ::symlink("real.wav", p.c_str()) == 0;
         },
         "",
         [&](const std::string& p) {
             EXPECT_TRUE(fs::is_symlink(p));
             EXPECT_EQ(ReadBytes(real), saved);
         }},
        {"dangling.wav",
         [&](const std::string& p) { return ::symlink("made.wav", p.c_str()) == 0; }, "",
         [&](const std::string& p) {
             EXPECT_TRUE(fs::is_symlink(p));
             EXPECT_EQ(ReadBytes(dir.File("made.wav")), saved);
         }},
        {"hard.wav",
         [&](const std::string& p) {
             WriteBytes(p, kOld);
             return ::link(p.c_str(), other.c_str()) == 0;
         },
         "",
         [&](const std::string& p) {
             EXPECT_EQ(fs::hard_link_count(p), 2u);
             EXPECT_EQ(ReadBytes(other), saved);
         }},
        {"fifo.wav", [](const std::string& p) { return ::mkfifo(p.c_str(), 0644) == 0; },
         "not a regular file", [](const std::string& p) { EXPECT_TRUE(fs::is_fifo(p)); }},
        {"null.wav",
         [](const std::string& p) {
             return ::mknod(p.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
         },
         "not a regular file", [](const std::string& p) { EXPECT_TRUE(fs::is_character_file(p)); }},
        {"folder.wav", [](const std::string& p) { return fs::create_directory(p); },
         "Is a directory", [](const std::string& p) { EXPECT_TRUE(fs::is_directory(p)); }},
        {"readonly.wav",
         [](const std::string& p) {
             WriteBytes(p, kOld);
             return ::chmod(p.c_str(), 0444) == 0;
         },
         "Permission denied", [](const std::string& p) { EXPECT_EQ(ReadBytes(p), kOld); }},
        {"missing/x.wav", [](const std::string&) { return true; }, "No such file or directory",
         [](const std::string& p) { EXPECT_FALSE(fs::exists(p)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        if (!c.make(path))
            continue;  // device nodes need a privilege the test may not have
        const BatchRun run = RunBatch({input, "-o", path});
        if (*c.reason == '\0') {
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.err, "");
        } else {
            EXPECT_EQ(run.status, 3);
            EXPECT_EQ(run.err, kSaveFailed + path + ": " + c.reason + "\n");
        }
        c.check(path);
    }
    EXPECT_EQ(Temporaries(dir.Path()), 0);
}

TEST_F(BatchSaveTest, LongestNameSavesWithAShortTemporary) {
    const std::string path = dir.File(std::string(251, 'n') + ".wav");
    EXPECT_EQ(RunBatch({input, "-o", path}).status, 0);
    EXPECT_EQ(ReadBytes(path), saved);
}

TEST_F(BatchSaveTest, FileSizeLimitFailsTheSaveInsteadOfKillingTheTool) {
    const std::string out = dir.File("big.wav");
    WriteBytes(out, kOld);
    const BatchRun run =
        Shell("ulimit -f 8\nexec \"$B\" '" + input + "' --convert 44100,16,2 -o '" + out + "'");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, kSaveFailed + out + ": File too large\n");
    EXPECT_EQ(ReadBytes(out), kOld);
    EXPECT_EQ(Temporaries(dir.Path()), 0);
}

TEST_F(BatchSaveTest, FullDiskKeepsTheOldFile) {
    const fs::path mount = dir.Path() / "small";
    fs::create_directory(mount);
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    const std::string out = (mount / "a.wav").string();
    WriteBytes(out, kOld);
    WriteBytes(input, WaveBytes::Simple(1, 8000, 8, std::vector<uint8_t>(100000, 7)));
    const BatchRun run = RunBatch({input, "--convert", "8000,16,2", "-o", out});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, kSaveFailed + out + ": No space left on device\n");
    EXPECT_EQ(ReadBytes(out), kOld);
    EXPECT_EQ(Temporaries(mount), 0);
    ::umount(mount.c_str());
}

TEST_F(BatchSaveTest, KilledSaveLeavesTheOldOrTheNewFile) {
    // 48 MB to write: a kill lands in the middle of the save for most delays.
    const std::string big = dir.File("big.raw");
    WriteBytes(big, std::vector<uint8_t>(48u << 20, 9));
    const std::string out = dir.File("out.raw");
    for (int delayMs : {0, 20, 60, 120, 250}) {
        WriteBytes(out, kOld);
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(ORVEX_BATCH_PATH, ORVEX_BATCH_PATH, big.c_str(), "-o", out.c_str(), nullptr);
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const auto size = fs::file_size(out);
        EXPECT_TRUE(size == kOld.size() || size == (48u << 20)) << delayMs << " ms: " << size;
    }
    // The next save removes what the killed ones left.
    EXPECT_EQ(RunBatch({input, "-o", out}).status, 0);
    EXPECT_EQ(Temporaries(dir.Path()), 0);
}

}  // namespace
