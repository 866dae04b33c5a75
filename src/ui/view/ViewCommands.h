#pragma once

class COrvexView;

// When a command of the sample view may run.
enum class ViewCommandRule {
    kNever,      // its dialog is not part of the editor yet
    kAlways,     //
    kHasFrames,  // the sample has frames
    kIdle,       // the sample has frames and neither plays nor records
    kStereo,     // as kIdle, and the view shows two channels
    kPaste,      // the sample neither plays nor records, and the clipboard holds a sample
};

// One row of the view's command table: the command id, when it may run and what runs it.
struct ViewCommand {
    int id;
    ViewCommandRule rule;
    void (COrvexView::*run)();
};
