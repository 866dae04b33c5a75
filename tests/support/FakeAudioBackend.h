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
    int opened = 0, closed = 0, resets = 0;
    int Live() const { return opened - closed; }
};

// What both directions share: the log, the completion, and the block handed back once.
class FakeDevice {
public:
    FakeDevice(FakeDeviceLog& log, AudioCompletion completion)
        : m_log(log), m_completion(std::move(completion)) {}

protected:
    // Posts the completion for a block or buffer that was queued, unless the device is closed.
    template <typename T>
    void GiveBack(T*& queued) {
        if (queued != nullptr && !m_closed && m_completion.dispatcher != nullptr)
            m_completion.dispatcher->Post(m_completion.call);
        queued = nullptr;
    }
    // Closes the device once; a second close finds no device.
    uint32_t CloseDevice() {
        return m_closed ? kAudioInvalidHandle : (m_closed = true, ++m_log.closed, kAudioOk);
    }

    FakeDeviceLog& m_log;
    AudioCompletion m_completion;
    bool m_closed = false;
    uint32_t m_result = kAudioOk;
};

class FakeOutput : public AudioOutput, public FakeDevice {
public:
    using FakeDevice::FakeDevice;
    ~FakeOutput() override { Close(); }
    uint32_t Write(const uint8_t* data, uint32_t bytes) override {
        if (writeResult == kAudioOk)
            m_result = kAudioOk, block = data, blockBytes = bytes, position = 0;
        return writeResult;
    }
    uint32_t Pause() override { return paused = true, kAudioOk; }
    uint32_t Reset() override { return ++m_log.resets, GiveBack(block), position = 0, kAudioOk; }
    uint32_t Close() override { return block = nullptr, CloseDevice(); }
    bool GetPositionBytes(uint32_t& bytes) override { return bytes = position, !m_closed; }
    uint32_t BlockResult() const override { return m_result; }
    // The device has played the whole block.
    void Finish() { position = blockBytes, GiveBack(block); }
    // The device fails where it is: the block comes back with kAudioError.
    void Fail() { m_result = kAudioError, GiveBack(block); }

    uint32_t writeResult = kAudioOk;  // what Write answers
    const uint8_t* block = nullptr;
    uint32_t blockBytes = 0;
    uint32_t position = 0;
    bool paused = false;
};

class FakeInput : public AudioInput, public FakeDevice {
public:
    using FakeDevice::FakeDevice;
    ~FakeInput() override { Close(); }
    uint32_t AddBuffer(RecordHeader* h) override {
        const bool taken = h != nullptr && h->bufferLength != 0 && header == nullptr;
        return taken ? (header = h, kAudioOk) : kAudioError;
    }
    uint32_t Start() override { return startResult; }
    uint32_t Stop() override { return GiveBack(header), kAudioOk; }
    uint32_t Reset() override { return ++m_log.resets, GiveBack(header), m_position = 0, kAudioOk; }
    uint32_t Close() override { return header = nullptr, CloseDevice(); }
    bool GetPositionBytes(uint32_t& bytes) override { return bytes = m_position, !m_closed; }
    bool GetPositionSamples(uint32_t& samples) override {
        return samples = m_position / frameBytes, !m_closed;
    }
    // The device captures `bytes` more bytes (value = running byte index XOR `seed`).
    void Capture(uint32_t bytes, uint8_t seed) {
        for (; bytes != 0 && header->bytesRecorded < header->bufferLength; --bytes) {
            header->data[header->bytesRecorded] =
                static_cast<uint8_t>(header->bytesRecorded ^ seed);
            ++header->bytesRecorded;
        }
        m_position = header->bytesRecorded;
    }
    // The buffer is full and goes back.
    void Fill(uint8_t seed) { Capture(header->bufferLength, seed), GiveBack(header); }
    // The device fails: the buffer goes back with what it holds and kAudioError.
    void Fail() { m_result = kAudioError, GiveBack(header); }
    uint32_t BlockResult() const override { return m_result; }

    RecordHeader* header = nullptr;
    uint32_t frameBytes = 1;
    uint32_t startResult = kAudioOk;

private:
    uint32_t m_position = 0;
};

class FakeAudioBackend : public AudioBackend {
public:
    uint32_t OpenOutput(int device, const AudioFormat& format, AudioCompletion done,
                        std::unique_ptr<AudioOutput>& out) override {
        const uint32_t result = Check(device, format);
        if (result == kAudioOk) {
            out = std::make_unique<FakeOutput>(log, std::move(done));
            output = static_cast<FakeOutput*>(out.get());
            output->writeResult = writeResult;
        }
        return result;
    }
    uint32_t OpenInput(int device, const AudioFormat& format, AudioCompletion data,
                       std::unique_ptr<AudioInput>& out) override {
        const uint32_t result = Check(device, format);
        if (result == kAudioOk) {
            out = std::make_unique<FakeInput>(log, std::move(data));
            input = static_cast<FakeInput*>(out.get());
            input->frameBytes = format.blockAlign;
        }
        return result;
    }

    uint32_t openResult = kAudioOk;   // what the next opens answer
    uint32_t writeResult = kAudioOk;  // what the next output's Write answers
    FakeDeviceLog log;
    AudioFormat lastFormat;
    int lastDevice = 0;
    FakeOutput* output = nullptr;  // the device last opened (owned by the engine)
    FakeInput* input = nullptr;

private:
    // Records the open and answers it as a device would: refused by `openResult`, or by a
    // format no device plays.
    uint32_t Check(int device, const AudioFormat& format) {
        lastDevice = device;
        lastFormat = format;
        const uint32_t result = openResult != kAudioOk     ? openResult
                                : IsPlayableFormat(format) ? uint32_t{kAudioOk}
                                                           : uint32_t{kAudioBadFormat};
        log.opened += result == kAudioOk;
        return result;
    }
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
