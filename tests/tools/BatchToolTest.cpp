#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/WaveBytes.h"
#include "tools/BatchRunner.h"

namespace {

class BatchToolTest : public ::testing::Test {
protected:
    std::string Wave(const std::string& name, uint16_t channels, uint32_t rate, uint16_t bits,
                     size_t bytes) {
        std::vector<uint8_t> data(bytes);
        for (size_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>(i * 13);
        const std::string path = dir.File(name);
        WriteBytes(path, WaveBytes::Simple(channels, rate, bits, data));
        return path;
    }

    TempDir dir;
};

TEST_F(BatchToolTest, HelpAndVersion) {
    const BatchRun help = RunBatch({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: orvex-batch [OPERATION]... INPUT"), std::string::npos);
    for (const char* op : {"--select", "--info", "--stat", "-o, --output FILE"}) {
        EXPECT_NE(help.out.find(op), std::string::npos) << op;
    }
    const BatchRun version = RunBatch({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "orvex-batch 1.5.2\n");
}

TEST_F(BatchToolTest, BadUsageExitsTwoWithOneClearLine) {
    const std::string input = Wave("a.wav", 1, 8000, 8, 10);
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--frobnicate", input},
                                               {input},  // fine on its own; checked below
                                               {"--select", "1:x", input},
                                               {"--select", "1:2:3", input},
                                               {"--select", "5", input},
                                               {input, "-o"},
                                               {"--stat"},
                                               {input, input}}) {
        const BatchRun run = RunBatch(args);
        if (args.size() == 1 && args[0] == input) {
            EXPECT_EQ(run.status, 0);
            continue;
        }
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_NE(run.err.find("orvex-batch: "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Try 'orvex-batch --help'"), std::string::npos);
    }
    // Usage is checked before anything is loaded or saved.
    const std::string out = dir.File("never.wav");
    EXPECT_EQ(RunBatch({input, "-o", out, "--bogus"}).status, 2);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(BatchToolTest, InfoAndStatDescribeTheSound) {
    const std::string input = Wave("s.wav", 2, 44100, 16, 176400);
    const BatchRun run = RunBatch({"--info", input, "--stat"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "Windows RIFF\t44100 Hz 16-Bit Stereo\t176400 Bytes; 1.00 secs\n"
              "frames=44100 bytes=176400 rate=44100 bits=16 channels=2\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(BatchToolTest, MissingInputExitsOneWithTheEditorsMessage) {
    const BatchRun run = RunBatch({dir.File("nothing.wav"), "--stat"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Orvex: Error - Couldn't open as Wave!\nOrvex: Couldn't open file\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(BatchToolTest, RejectedWaveIsLoadedRawWithTheMessageOnStandardError) {
    const std::string path = dir.File("text.wav");
    WriteBytes(path, std::vector<uint8_t>(300, 'x'));
    const BatchRun run = RunBatch({path, "--stat"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Orvex: This File is NOT a wave file\n");
    EXPECT_EQ(run.out, "frames=300 bytes=300 rate=11025 bits=8 channels=1\n");
}

TEST_F(BatchToolTest, OutputsConvertByExtensionAndFailuresExitThree) {
    const std::string input = Wave("in.wav", 2, 22050, 16, 400);
    const std::string raw = dir.File("copy.raw");
    const std::string wav = dir.File("copy.wav");
    const BatchRun run = RunBatch({input, "-o", raw, "--output", wav});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadBytes(raw).size(), 400u);
    const BatchRun back = RunBatch({wav, "--stat"});
    EXPECT_EQ(back.out, "frames=100 bytes=400 rate=22050 bits=16 channels=2\n");
    const BatchRun failed = RunBatch({input, "-o", dir.File("missing/folder/x.wav"), "--stat"});
    EXPECT_EQ(failed.status, 3);
    EXPECT_NE(failed.out.find("frames=100"), std::string::npos);  // later steps still ran
}

TEST_F(BatchToolTest, ExportsTheBigEndianReaders) {
    // The two readers are part of the program's dynamic symbol table.
    const std::string command = std::string("nm -D --defined-only ") + ORVEX_BATCH_PATH;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string symbols;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) symbols += buffer;
    ::pclose(pipe);
    EXPECT_NE(symbols.find(" FLT_rblong\n"), std::string::npos);
    EXPECT_NE(symbols.find(" FLT_rbshort\n"), std::string::npos);
}

}  // namespace
