// orvex-batch run as a user runs it: each option reaches its effect, bad arguments are refused
// with one clear line before anything is loaded, and files go in and out with the right status.
// What the effects compute is the core's tests' concern; these check the wiring.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

#include "support/SampleMaker.h"
#include "support/TempDir.h"
#include "support/WaveBytes.h"

namespace fs = std::filesystem;

namespace {

struct BatchRun {
    int status;
    std::string out, err;
};

// Runs orvex-batch with these shell words as a user runs it (the tests' paths hold no spaces).
// `prefix` is shell that goes first: "export NAME=VALUE;" or "ulimit -f 8;".
BatchRun RunBatch(const std::string& words, const std::string& prefix = "") {
    const TempDir dir;
    const std::string out = dir.File("out"), err = dir.File("err");
    const int status = std::system(
        (prefix + " exec " ORVEX_BATCH_PATH " " + words + " >" + out + " 2>" + err).c_str());
    const Bytes8 outBytes = ReadBytes(out), errBytes = ReadBytes(err);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            {outBytes.begin(), outBytes.end()},
            {errBytes.begin(), errBytes.end()}};
}

const std::string kSaveFailed = "Orvex: An error occured whilst trying to save the sample: ";

class BatchToolTest : public ::testing::Test {
protected:
    // A wave file of these bytes, and a space to go on with the command.
    std::string Wave(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes8& data) {
        const std::string path = dir.File("in" + std::to_string(++inputs) + ".wav");
        WriteBytes(path, WaveBytes::Simple(channels, rate, bits, data));
        return path + " ";
    }
    // Runs "INPUT OPERATIONS -o FILE" and returns the bytes saved (raw unless FILE says else);
    // `prefix` as for RunBatch.
    Bytes8 Result(const std::string& command, const std::string& out = "out.raw",
                  const std::string& prefix = "") {
        fs::remove(dir.File(out));
        last = RunBatch(command + " -o " + dir.File(out), prefix);
        EXPECT_EQ(last.status, 0) << command << ": " << last.err;
        return ReadBytes(dir.File(out));
    }
    TempDir dir;
    BatchRun last;
    int inputs = 0;
};

TEST_F(BatchToolTest, EachOperationReachesItsEffect) {
    // clang-format off
    const std::string m8 = Wave(1, 8000, 8, {1, 2, 3, 4, 5}),
        s8 = Wave(2, 8000, 8, {1, 11, 2, 12, 3, 13}),
        s16 = Wave(2, 8000, 16, Le16({1000, -2000, 3000, -4000, 5000, -6000})),
        flat = Wave(1, 8000, 16, Le16({10000, 10000, 10000})),
        signs = Wave(1, 8000, 8, {128, 0, 255, 144}),
        loud = Wave(1, 8000, 16, Le16({8192, -4096, 100})),
        biased = Wave(1, 8000, 8, {144, 144, 144}),
        pan = Wave(2, 8000, 16, Le16({1000, 3000, 1000, 3000}));
    // The command, the bytes of the sound saved after it, and what it printed when that matters.
    const std::vector<std::tuple<std::string, Bytes8, std::string>> cases = {
        {s16 + "--amplify 50,200", Le16({500, -4000, 1500, -8000, 2500, -12000}), ""},
        {s16 + "--select 1:1:2 --amplify 50", Le16({1000, -2000, 3000, -2000, 5000, -6000}), ""},
        // A range past the end stops at the last frame; a range may be given backwards.
        {s16 + "--select 2:4294967295:1 --amplify 200.0",
         Le16({1000, -2000, 3000, -4000, 10000, -6000}), ""},
        {s16 + "--select 2:1:1 --amplify 200", Le16({1000, -2000, 6000, -4000, 10000, -6000}), ""},
        {s16 + "--select 3:9 --amplify 200", Le16({1000, -2000, 3000, -4000, 10000, -12000}), ""},
        {s16 + "--select 0:0:2 --select all --amplify 0", Le16({0, 0, 0, 0, 0, 0}), ""},
        // A peak of 8192 is four times below full scale: normalised to 50 % it doubles.
        {loud + "--normalise 50", Le16({16384, -8192, 200}), ""},
        {biased + "--dc-bias 0", {128, 128, 128}, ""},
        {m8 + "--select 1:2 --cut --select all --paste 3", {1, 4, 5, 2, 3}, ""},
        {m8 + "--select 0:9 --copy --delete --undo", {1, 2, 3, 4, 5}, ""},
        {m8 + "--paste 0", {1, 2, 3, 4, 5}, ""},  // nothing copied yet
        {s8 + "--select 0:0:2 --delete", {1, 12, 2, 13, 3, 127}, ""},
        {s8 + "--select 0:0:1 --copy --paste 1:2", {1, 11, 2, 1, 3, 12, 127, 13}, ""},
        {signs + "--reverse --peak", {144, 255, 0, 128}, "peak=1\n"},
        {signs + "--select 0:1 --change-sign", {0, 128, 255, 144}, ""},
        {signs + "--decode-ulaw --stat", Le16({32124, -32124, 0, 15996}),
         "frames=4 bytes=8 rate=8000 bits=16 channels=1\n"},
        {flat + "--relabel 1,8,2 --stat", Le16({10000, 10000, 10000}),
         "frames=3 bytes=6 rate=1 bits=8 channels=2\n"},
        // A conversion starts from the format the bytes are stored in, whatever the label says.
        {flat + "--relabel 50000,8,2 --convert 16000,16,1 --stat", Le16({10000, 10000, 10000,
         10000, 10000, 10000}), "frames=6 bytes=12 rate=16000 bits=16 channels=1\n"},
        {flat + "--envelope 0:1,1:0", Le16({10000, 5000, 0}), ""},
        {flat + "--envelope 0:1,1:1@50", Le16({5000, 5000, 5000}), ""},
        {flat + "--compress 0:0,1:1", Le16({10000, 10000, 10000}), ""},
        {pan + "--pan 0:1,1:1", Le16({2000, 0, 2000, 0}), ""},
        {flat + "--amplify 12.5 --envelope 0:1,0.5:0.5,1:0", Le16({1250, 625, 0}), ""},
    };
    // clang-format on
    for (const auto& [command, bytes, out] : cases) {
        EXPECT_EQ(Result(command), bytes) << command;
        EXPECT_EQ(out.empty() ? "" : last.out, out) << command;
    }
    // The command line's numbers do not follow the user's locale.
    EXPECT_EQ(Result(flat + "--amplify 12.5 --envelope 0:1,0.5:0.5,1:0", "comma.raw",
                     "export LC_ALL=de_DE.UTF-8;"),
              Le16({1250, 625, 0}));
    // The Sun/NeXT options reach the saved header: encoding, rate and channels.
    const std::string stereo = Wave(2, 22050, 16, PatternBytes(400, 3)) + "--au-options ";
    // clang-format off
    for (const auto& [options, header] : std::vector<std::pair<std::string, Bytes8>>{
             {"ulaw", {1, 0, 0, 0x56, 0x22, 0, 0, 0, 2}},
             {"ulaw,force8k", {1, 0, 0, 0x1F, 0x40, 0, 0, 0, 1}},
             {"linear", {3, 0, 0, 0x56, 0x22, 0, 0, 0, 2}},
             {"linear,force8k", {3, 0, 0, 0x56, 0x22, 0, 0, 0, 2}}}) {
        // clang-format on
        const Bytes8 au = Result(stereo + options, "out.au");
        EXPECT_EQ(Bytes8(au.begin() + 15, au.begin() + 24), header) << options;
    }
}

TEST_F(BatchToolTest, SpectrumOfASinePeaksAtItsBin) {
    Bytes8 sine(8192);
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<uint8_t>(128 + std::lround(90 * std::sin(M_PI * i / 64)));
    const std::string input = Wave(1, 8000, 8, sine);
    std::istringstream lines(RunBatch(input + "--spectrum 4096").out);
    std::vector<double> magnitudes;
    for (std::string line; std::getline(lines, line);) magnitudes.push_back(std::stod(line));
    ASSERT_EQ(magnitudes.size(), 1024u);
    EXPECT_EQ(std::max_element(magnitudes.begin(), magnitudes.end()) - magnitudes.begin(), 32);
    // As far on as a frame may be asked for.
    const std::string far = RunBatch(input + "--spectrum 2147483647").out;
    EXPECT_EQ(std::count(far.begin(), far.end(), '\n'), 1024);
}

TEST_F(BatchToolTest, BadArgumentsExitTwoWithOneLineBeforeAnythingRuns) {
    const std::string in = Wave(1, 8000, 8, {1, 2, 3}), never = dir.File("never.wav");
    // OPTION ARGUMENT, and what the one line says (by default "OPTION takes ...").
    const std::string ends = "the first point needs T=0 and the last T=1";
    const std::string order = "out of order or closer than 0.001";
    // clang-format off
    std::vector<std::pair<std::string, std::string>> cases = {
        {"--frobnicate", "unknown option '--frobnicate'"}, {"-o", "-o needs FILE"},
        {"--output ''", "-o needs a file name"}, {in, "more than one INPUT"},
        {"--envelope 0:1", ends}, {"--envelope 0.5:1,1:1", ends}, {"--compress 0:0,0.9:1", ends},
        {"--compress 0:0,1:1.5", "value outside 0..1"}, {"--compress 0:-0.1,1:1", "value outside"},
        {"--compress 0:0,1.5:1", "position outside 0..1"}, {"--compress -0.1:0,1:1", "position"},
        {"--pan 0:0,0.5:1,0.4:0,1:1", order}, {"--pan 0:0,0.0005:1,1:1", order},
        {"--pan 0:0,0.5:1,0.5009:0,1:1", order}, {"--pan 0:0,,1:1", "'' is not a point T:V"},
        {"--pan 0:0,nan:1,1:1", "'nan:1' is not a point T:V"}};
    for (const std::string bad : {"--select 1:x", "--select 1:", "--select 1:2:3", "--select 5",
            "--select 0:4294967296", "--select 0:04294967295", "--paste 99999999999", "--paste 1:3",
            "--paste 1:2:0", "--paste -1", "--au-options ulaw,force", "--au-options mulaw",
            "--au-options linear,force8k,x", "--amplify 1,2,3", "--amplify 50,inf",
            "--amplify 1e999", "--amplify 5x", "--normalise ''", "--dc-bias nan", "--convert 0,8,1",
            "--convert 50001,8,1", "--convert 8000,12,1", "--relabel 8000,8,3", "--relabel 8000,8",
            "--spectrum 2147483648", "--spectrum -1", "--record 2,8000,8", "--record x,8000,8,1",
            "--record 1,8000,16,0", "--envelope 0:1,1:1@loud"})
        cases.emplace_back(bad, bad.substr(0, bad.find(' ')) + " takes ");
    // clang-format on
    for (const auto& [command, says] : cases) {
        const BatchRun run = RunBatch(in + "-o " + never + " " + command);
        const std::string line = run.err.substr(0, run.err.find('\n'));
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(line.find("orvex-batch: "), 0u) << line;
        EXPECT_NE(line.find(says), std::string::npos) << line;
        EXPECT_EQ(run.err.substr(line.size()),
                  "\nTry 'orvex-batch --help' for more information.\n");
    }
    EXPECT_EQ(RunBatch("--stat").err.find("orvex-batch: no INPUT file given\n"), 0u);
    EXPECT_FALSE(fs::exists(never));
    // A curve holds 256 points, one more is refused.
    for (int points : {256, 257}) {
        std::string curve = "0:0";
        for (int i = 1; i < points; ++i) curve += "," + std::to_string(i / (points - 1.0)) + ":0";
        const BatchRun run = RunBatch(in + "--pan " + curve);
        EXPECT_EQ(run.status, points == 256 ? 0 : 2) << run.err;
        EXPECT_EQ(run.err.find("more than 256 points") != std::string::npos, points == 257);
    }
}

TEST_F(BatchToolTest, HelpVersionAndInformation) {
    const BatchRun help = RunBatch("--help");
    EXPECT_EQ(help.out.find("Usage: orvex-batch [OPERATION]... INPUT\n"), 0u);
    EXPECT_NE(help.out.find("\n  -o, --output FILE    "), std::string::npos);
    EXPECT_EQ(RunBatch("--version").out.find("orvex-batch "), 0u);
    EXPECT_EQ(RunBatch("--info " + Wave(2, 44100, 16, Bytes8(176400)) + "--stat").out,
              "Windows RIFF\t44100 Hz 16-Bit Stereo\t176400 Bytes; 1.00 secs\n"
              "frames=44100 bytes=176400 rate=44100 bits=16 channels=2\n");
    // The program exports the big-endian readers by name.
    for (const std::string name : {"FLT_rblong", "FLT_rbshort"}) {
        const std::string nm = "nm -D --defined-only " ORVEX_BATCH_PATH " | grep -q ' ";
        EXPECT_EQ(std::system((nm + name + "$'").c_str()), 0) << name;
    }
}

TEST_F(BatchToolTest, FilesThatCannotBeReadOrProcessedGiveTheirStatus) {
    const Bytes8 wave = WaveBytes::Simple(1, 8000, 8, Bytes8(1000, 9));
    WriteBytes(dir.File("short.wav"), Bytes8(wave.begin(), wave.begin() + 600));
    WriteBytes(dir.File("text.wav"), Bytes8(300, 'x'));
    fs::create_directory(dir.File("folder.wav"));
    const std::string notWave =
        "Orvex: Error - Couldn't open as Wave!\nOrvex: Couldn't open file\n";
    const std::string raw = "frames=300 bytes=300 rate=11025 bits=8 channels=1\n";
    const std::string notRiff = "Orvex: This File is NOT a wave file\n";
    const std::string missing = dir.File("missing/x.wav");
    // clang-format off
    const std::vector<std::tuple<std::string, int, std::string, std::string>> cases = {
        {dir.File("nothing.wav --stat"), 1, notWave, ""},
        {dir.File("folder.wav --stat"), 1, notWave, ""},
        // A file that ends early keeps what it holds.
        {dir.File("short.wav --stat"), 0, "", "frames=556 bytes=556 rate=8000 bits=8 channels=1\n"},
        // Not a wave file after all: loaded as raw 11025 Hz bytes instead.
        {dir.File("text.wav --stat"), 0, notRiff, raw},
        // A failed save does not stop the steps after it.
        {dir.File("text.wav -o ") + missing + " --stat", 3,
         notRiff + kSaveFailed + missing + ": No such file or directory\n", raw},
        {Wave(1, 0, 16, Bytes8(48)) + "--convert 44100,16,1", 5, "", ""},
        // 196611 frames at 1 Hz become 4294967296 bytes at 21845 Hz: one past what a sound holds.
        {Wave(1, 1, 8, Bytes8(196611)) + "--convert 21845,8,1", 5, "Orvex: Convert refused: the "
         "result (4294967296 bytes) would pass the 4 GiB limit of a sound\n", ""},
    };
    // clang-format on
    for (const auto& [command, status, err, out] : cases) {
        const BatchRun run = RunBatch(command);
        EXPECT_EQ(run.status, status) << command << ": " << run.err;
        EXPECT_EQ(err.empty() ? "" : run.err, err) << command;
        EXPECT_EQ(run.out, out) << command;
    }
}

TEST_F(BatchToolTest, SavesWriteWhatThePathNamesOrKeepTheOldFile) {
    const std::string input = Wave(1, 8000, 8, Bytes8(1000, 7)), real = dir.File("real.wav");
    const Bytes8 saved = Result(input, "saved.wav"), old = {'o', 'l', 'd'};
    using Step = std::function<void(const std::string&)>;
    const Step none = [](auto&) {};
    // The path's name, how it is made, why a save is refused (empty: it succeeds), and a check.
    // clang-format off
    const std::vector<std::tuple<std::string, Step, std::string, Step>> cases = {
        {"link.wav", [&](auto& p) { WriteBytes(real, old); fs::create_symlink("real.wav", p); }, "",
         [&](auto& p) { EXPECT_TRUE(fs::is_symlink(p)); EXPECT_EQ(ReadBytes(real), saved); }},
        {"fifo.wav", [](auto& p) { ::mkfifo(p.c_str(), 0644); }, "not a regular file",
         [](auto& p) { EXPECT_TRUE(fs::is_fifo(p)); }},
        {"folder.wav", [](auto& p) { fs::create_directory(p); }, "Is a directory", none},
        {"readonly.wav", [&](auto& p) { WriteBytes(p, old); ::chmod(p.c_str(), 0444); },
         "Permission denied", [&](auto& p) { EXPECT_EQ(ReadBytes(p), old); }},
        {"readonly.wav", [](auto& p) { ::chmod(p.c_str(), 0640); }, "",
         [](auto& p) { EXPECT_EQ(fs::status(p).permissions(), fs::perms(0640)); }},
        {"missing/x.wav", none, "No such file or directory", none},
    };
    // clang-format on
    for (const auto& [name, make, reason, check] : cases) {
        const std::string path = dir.File(name);
        make(path);
        const BatchRun run = RunBatch(input + "-o " + path);
        EXPECT_EQ(run.status, reason.empty() ? 0 : 3) << name;
        EXPECT_EQ(run.err, reason.empty() ? "" : kSaveFailed + path + ": " + reason + "\n");
        check(path);
    }
    // Past the file-size limit the save fails instead of the tool being killed.
    const std::string big = dir.File("big.wav");
    WriteBytes(big, old);
    const BatchRun run = RunBatch(input + "--convert 44100,16,2 -o " + big, "ulimit -f 8;");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, kSaveFailed + big + ": File too large\n");
    EXPECT_EQ(ReadBytes(big), old);
    // No save, made or refused, leaves a temporary file behind.
    EXPECT_NE(std::system(("ls -A " + dir.Path().string() + " | grep -q orvex-").c_str()), 0);
}

// --play and --record on the file-backed sound device of tests/alsa-test.conf.
class BatchAudioTest : public BatchToolTest {
protected:
    void SetUp() override {
        if (getenv("ALSA_CONFIG_PATH") == nullptr)
            GTEST_SKIP() << "needs tests/alsa-test.conf";
        WriteBytes(supplied, PatternBytes(200000, 11));
    }
    const std::string played = dir.File("played.raw"), supplied = dir.File("supplied.raw");
    // The shell that sets the devices' files; the output file's name and ";" go after it.
    const std::string devices =
        "export ORVEX_DEVICE_PATIENCE_SECONDS=1 ORVEX_TEST_AUDIO_IN=" + supplied +
        " ORVEX_TEST_AUDIO_OUT=";
};

TEST_F(BatchAudioTest, PlaysTheRangeAndRecordsWhatTheInputSupplied) {
    const Bytes8 bytes = PatternBytes(24000, 7);
    const std::string s16 = Wave(2, 22050, 16, bytes), m8 = Wave(1, 8000, 8, bytes);
    // The range played, and the bytes of the sound that reach the device.
    for (const auto& [command, from, to] : std::vector<std::tuple<std::string, int, int>>{
             {"--select 1000:2999 --play " + s16, 4000, 12000},
             {"--select 5990:9999 --play " + s16, 23960, 24000},  // clipped to the sound
             {"--play " + m8, 0, 24000},
             {"--select 7:7 --play " + m8, 7, 8}}) {
        const BatchRun run = RunBatch(command, devices + played + ";");
        EXPECT_EQ(run.status, 0) << command << run.err;
        EXPECT_EQ(run.err, "");  // no start-up chatter from the sound libraries
        EXPECT_EQ(ReadBytes(played), Bytes8(bytes.begin() + from, bytes.begin() + to)) << command;
    }
    const Bytes8 supply = ReadBytes(supplied);
    const std::string saved = dir.File("r.raw");
    for (const auto& [format, length] : std::vector<std::pair<std::string, int>>{
             {"2,11025,16,2", 88200}, {"1,8000,8,1", 8000}, {"1,22050,16,1", 44100}}) {
        const BatchRun run =
            RunBatch("--record " + format + " -o " + saved + " " + m8, devices + played + ";");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadBytes(saved), Bytes8(supply.begin(), supply.begin() + length)) << format;
    }
    // Nothing to record: the recording does not start, and the sound takes the format asked for.
    const BatchRun run = RunBatch("--record 0,8000,8,1 --stat " + m8, devices + played + ";");
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "orvex-batch: the recording could not be started\n");
    EXPECT_EQ(run.out, "frames=0 bytes=0 rate=8000 bits=8 channels=1\n");
}

TEST_F(BatchAudioTest, DevicesThatFailOrStopAnsweringEndTheToolWithExitFour) {
    const std::string input =
        Wave(2, 48000, 16, PatternBytes(4 * 48000, 5));  // more than a pipe holds
    // Playback into a pipe that nobody reads: once it is full, the device's write never returns.
    const std::string fifo = dir.File("stuck.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    BatchRun run = RunBatch("--play " + input, devices + fifo + ";");
    ::close(reader);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "orvex-batch: the output device stopped responding (device error 0)\n");
    // The system's configuration alone: a machine without a sound card has no device at all.
    const std::string alone = "export ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf;";
    run = RunBatch("--record 1,8000,8,1 " + input, alone);
    if (run.status == 0)
        GTEST_SKIP() << "this machine has a sound card";
    EXPECT_EQ(run.err,
              "Orvex: Could not open wave input device. No device driver present.\n"
              "orvex-batch: the recording could not be started\n");
    run = RunBatch("--play " + input, alone);
    EXPECT_EQ(run.err, "orvex-batch: could not play (device error 6)\n");
}

}  // namespace
