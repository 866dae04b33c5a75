#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/WaveBytes.h"
#include "tools/BatchRunner.h"

namespace {

TEST(BatchAuOptionsTest, OptionsChooseTheEncodingOfTheSavedFile) {
    TempDir dir;
    const std::string input = dir.File("in.wav");
    std::vector<uint8_t> data;
    for (int i = 0; i < 100; ++i) Put16(data, static_cast<uint16_t>(i * 300));
    WriteBytes(input, WaveBytes::Simple(2, 22050, 16, data));
    struct Case {
        const char* options;
        uint8_t encoding;
        uint32_t rate;
        uint8_t channels;
    };
    for (const Case& c : {Case{"ulaw", 1, 22050, 2}, Case{"ulaw,force8k", 1, 8000, 1},
                          Case{"linear", 3, 22050, 2}, Case{"linear,force8k", 3, 22050, 2}}) {
        const std::string out = dir.File("out.au");
        const BatchRun run = RunBatch({input, "--au-options", c.options, "-o", out});
        ASSERT_EQ(run.status, 0) << run.err;
        const auto bytes = ReadBytes(out);
        ASSERT_GE(bytes.size(), 32u);
        EXPECT_EQ(bytes[15], c.encoding) << c.options;
        EXPECT_EQ((bytes[18] << 8) | bytes[19], static_cast<int>(c.rate & 0xFFFF)) << c.options;
        EXPECT_EQ(bytes[23], c.channels) << c.options;
    }
    for (const char* bad : {"mulaw", "ulaw,force", "linear,force8k,x", ""}) {
        EXPECT_EQ(RunBatch({input, "--au-options", bad}).status, 2) << bad;
    }
}

}  // namespace
