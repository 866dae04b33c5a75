#pragma once

#include <cstdint>

// One open stream of one direction, written or read in whole periods by blocking calls. The
// devices stand on this rather than on PortAudio itself, so that tests can give them a stream
// that blocks for ever, fails part-way or reports a latency.
//
// Thread use: Start, Write, Read, Stop run on the device's worker; Abort may be called from the
// controlling thread while the worker is blocked in Write or Read, to make it return; Time and
// OutputLatency from either thread (the devices read Time from the controlling thread only while
// the worker is in no other call, since a stuck call may hold a lock the clock needs).
class BlockingStream {
public:
    virtual ~BlockingStream() = default;
    virtual bool Start() = 0;
    // Lets what was written play out, then stops.
    virtual void Stop() = 0;
    // Stops at once and drops what the device still holds.
    virtual void Abort() = 0;
    // False when the device failed; an underflow or overflow is not a failure.
    virtual bool Write(const uint8_t* data, uint32_t frames) = 0;
    virtual bool Read(uint8_t* data, uint32_t frames) = 0;
    // The stream's clock in seconds, and how long a written frame takes to be heard.
    virtual double Time() = 0;
    virtual double OutputLatency() = 0;
};
