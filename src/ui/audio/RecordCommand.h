#pragma once

#include <functional>

class COrvexView;
class QWidget;
struct Services;

// Where the record command finds its window: the active sample view, and a new empty sample
// in a window of its own (both null when there is none).
struct RecordTargets {
    std::function<COrvexView*()> activeView;
    std::function<COrvexView*()> newView;
};

// The "&Record..." command: asks for the recording's format and time, starting from the values
// last chosen (section "SOFTWARE\Orvex"), remembers the new ones, and records into a new sample
// or the active one.
void RunRecordCommand(QWidget* parent, Services& services, const RecordTargets& targets);
