#pragma once

#include "core/sample/SampleFormat.h"

class CConvertDlg;
class QWidget;
class MessageSink;
class SampleBuffer;
struct Services;

// The target format chosen in "Convert Sample": the number the frequency text starts with and
// the two radio choices. A negative number gives 0, which no conversion accepts.
SampleFormat TargetFormatOf(const CConvertDlg& dialog);

// Converts the whole sound to `target`. Its bytes are taken to be in `storedFormat` (the format
// the document knows them to be in, whatever the sound is labelled now); on success the stored
// format becomes the target. False, with a message shown and nothing changed, for a rate no
// sound can have; false also when the conversion fails (the stored format then follows what the
// bytes really are).
bool ApplyConvert(MessageSink& messages, SampleBuffer& sample, SampleFormat& storedFormat,
                  const SampleFormat& target);

// The "&Convert...." command: fills the dialog from the stored format and the sound's current
// format, runs it and converts on OK. True when the sound was converted; the caller then lays
// out its panes for the new channel count, puts the caret at 0, shows the whole sample and
// updates the status.
bool RunConvertCommand(QWidget* parent, Services& services, SampleBuffer& sample,
                       SampleFormat& storedFormat);
