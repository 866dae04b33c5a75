#pragma once

#include <cstdint>

class MessageSink;
class SampleBuffer;

// G.711 mu-law. Expansion maps a code to its 16-bit linear value (0x00 -> -32124,
// 0x80 -> 32124, 0x7F and 0xFF -> 0).
int16_t ULawExpand(uint8_t code);
// Compression of a 16-bit sample, from its pattern with the two lowest bits dropped (bias 132,
// magnitudes clipped to 32635; 0 -> 0xFF, -32768 -> 0x00).
uint8_t ULawCompress(int16_t sample);

// Reads every byte as a mu-law code and replaces the sound by 16-bit linear samples of twice the
// byte length (rate and channels unchanged). False, with "Error manipulating memory!" and the
// sound unchanged, when the block cannot grow.
bool DecodeULaw(MessageSink& messages, SampleBuffer& sample);
// The inverse step for saving: every 16-bit sample becomes its code, the length halves, the block
// shrinks and the format becomes 8-bit. A sound that is not 16-bit is left alone.
void EncodeULaw(SampleBuffer& sample);
