#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/audio/AudioDevice.h"
#include "core/audio/AudioEventTarget.h"
#include "core/audio/CompletionQueue.h"

// A device the test drives by hand: positions are set, blocks finish and buffers fill when the
// test says so, so that timing-dependent engine behaviour is checked without a clock.
struct FakeDeviceLog {
    int opened = 0;
    int closed = 0;
    int resets = 0;
    int pauses = 0;
    int stops = 0;
    int writes = 0;
    int Live() const { return opened - closed; }
};

class FakeOutput : public AudioOutput {
public:
    FakeOutput(FakeDeviceLog& log, AudioCompletion done) : m_log(log), m_done(std::move(done)) {}
    ~FakeOutput() override;
    uint32_t Write(const uint8_t* data, uint32_t bytes) override;
    uint32_t Pause() override;
    uint32_t Reset() override;
    uint32_t Close() override;
    bool GetPositionBytes(uint32_t& bytes) override;
    uint32_t BlockResult() const override { return m_result; }
    // The device has played the whole block.
    void Finish();
    // The device fails where it is: the block comes back with kAudioError.
    void Fail();

    uint32_t writeResult = kAudioOk;  // what Write answers
    const uint8_t* block = nullptr;
    uint32_t blockBytes = 0;
    uint32_t position = 0;
    bool paused = false;

private:
    void ReturnBlock();
    FakeDeviceLog& m_log;
    AudioCompletion m_done;
    bool m_closed = false;
    uint32_t m_result = kAudioOk;
};

class FakeInput : public AudioInput {
public:
    FakeInput(FakeDeviceLog& log, AudioCompletion data) : m_log(log), m_data(std::move(data)) {}
    ~FakeInput() override;
    uint32_t AddBuffer(RecordHeader* header) override;
    uint32_t Start() override;
    uint32_t Stop() override;
    uint32_t Reset() override;
    uint32_t Close() override;
    bool GetPositionBytes(uint32_t& bytes) override;
    bool GetPositionSamples(uint32_t& samples) override;
    // The device captures `bytes` more bytes (value = running byte index XOR `seed`).
    void Capture(uint32_t bytes, uint8_t seed);
    // The buffer is full and goes back.
    void Fill(uint8_t seed);
    // The device fails: the buffer goes back with what it holds and kAudioError.
    void Fail();
    uint32_t BlockResult() const override { return m_result; }

    RecordHeader* header = nullptr;
    uint32_t frameBytes = 1;
    bool started = false;
    uint32_t startResult = kAudioOk;

private:
    void ReturnBuffer();
    FakeDeviceLog& m_log;
    AudioCompletion m_data;
    uint32_t m_position = 0;
    bool m_closed = false;
    uint32_t m_result = kAudioOk;
};

class FakeAudioBackend : public AudioBackend {
public:
    uint32_t OpenOutput(int device, const AudioFormat& format, AudioCompletion done,
                        std::unique_ptr<AudioOutput>& out) override;
    uint32_t OpenInput(int device, const AudioFormat& format, AudioCompletion data,
                       std::unique_ptr<AudioInput>& out) override;

    uint32_t openResult = kAudioOk;   // what the next opens answer
    uint32_t writeResult = kAudioOk;  // what the next output's Write answers
    FakeDeviceLog log;
    AudioFormat lastFormat;
    int lastDevice = 0;
    FakeOutput* output = nullptr;  // the device last opened (owned by the engine)
    FakeInput* input = nullptr;
};

// A window that counts what reaches it through its queue.
class CountingTarget : public AudioEventTarget {
public:
    CompletionDispatcher& Dispatcher() override { return queue; }
    void OnPlayDone() override { ++playDone; }
    void OnRecordData(RecordHeader* header) override { headers.push_back(header); }

    CompletionQueue queue;
    int playDone = 0;
    std::vector<RecordHeader*> headers;
};
