#include "ui/app/CommandTable.h"

#include <array>

#include "ui/app/CommandIds.h"

namespace {

using enum CommandRule;
using M = CommandMenu;
using B = CommandBar;

// Command rows: id, menu text, prompt, icon, keys, rule, menu, menu group, toolbar, toolbar slot,
// checkable.
constexpr std::array kRows = {
    // File
    CommandRow{ID_FILE_NEW, "&New\tCtrl+N", "Create a new document\nNew", "new", "Ctrl+N", kAlways,
               M::kFile, 0, B::kMain, 10, false},
    CommandRow{ID_FILE_NEWMIXER, "New &Mixer", "Create a mixer of the open samples\nNew Mixer",
               nullptr, nullptr, kAlways, M::kFile, 0, B::kNone, 0, false},
    CommandRow{ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing document\nOpen", "open",
               "Ctrl+O", kAlways, M::kFile, 0, B::kMain, 11, false},
    CommandRow{ID_FILE_CLOSE, "&Close", "Close the active document\nClose", nullptr, nullptr,
               kNeedsWindow, M::kFile, 0, B::kNone, 0, false},
    CommandRow{ID_FILE_SAVE, "&Save\tCtrl+S", "Save the active document\nSave", "save", "Ctrl+S",
               kNeedsView, M::kFile, 0, B::kMain, 12, false},
    CommandRow{ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name\nSave As",
               nullptr, nullptr, kView, M::kFile, 0, B::kNone, 0, false},
    // The recent files stand between the two groups of the File menu.
    CommandRow{ID_FILE_MRU_FILE1, nullptr, "Open this document", nullptr, nullptr, kAlways,
               M::kNone, 0, B::kNone, 0, false},
    CommandRow{ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit",
               nullptr, nullptr, kAlways, M::kFile, 1, B::kNone, 0, false},
    // Edit
    CommandRow{ID_EDIT_CUT, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut",
               "cut", "Ctrl+X|Shift+Del", kView, M::kEdit, 0, B::kMain, 40, false},
    CommandRow{ID_EDIT_COPY, "&Copy\tCtrl+C",
               "Copy the selection and put it on the Clipboard\nCopy", "copy", "Ctrl+C|Ctrl+Ins",
               kView, M::kEdit, 0, B::kMain, 41, false},
    CommandRow{ID_EDIT_PASTE, "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste", "paste",
               "Ctrl+V|Shift+Ins", kView, M::kEdit, 0, B::kMain, 42, false},
    CommandRow{ID_EDIT_DELETE, "&Delete\tDel", "Delete the selection\nDelete\nDelete", nullptr,
               "Del", kView, M::kEdit, 0, B::kNone, 0, false},
    CommandRow{ID_EDIT_PROPERTIES, "Pr&operties...\tAlt+Enter",
               "Edits properties of the current sample\nProperites", "properties",
               "Alt+Return|Alt+Enter", kNeedsView, M::kEdit, 1, B::kNone, 0, false},
    // Undo has keys but no menu entry: it replaces the sound with the clipboard's.
    CommandRow{ID_EDIT_UNDO, "Undo", "Undo the last action\nUndo", nullptr, "Ctrl+Z|Alt+Backspace",
               kView, M::kNone, 0, B::kNone, 0, false},
    // View
    CommandRow{ID_VIEW_MAINTOOLBAR, "&Main Toolbar", "Show or hide the main toolbar", nullptr,
               nullptr, kAlways, M::kView, 0, B::kNone, 0, true},
    CommandRow{ID_VIEW_UTILITIESTOOLBAR, "&Utilities Toolbar", "Show or hide the utilities toolbar",
               nullptr, nullptr, kAlways, M::kView, 0, B::kNone, 0, true},
    CommandRow{ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar\nToggle StatusBar",
               nullptr, nullptr, kAlways, M::kView, 0, B::kNone, 0, true},
    // The menu promises "Ctrl +" and "Ctrl -", so those keys work too.
    CommandRow{ID_VIEW_ZOOMIN, "Zoom &In\tCtrl +", "Zoom into the current selection\nZoom In",
               "zoomin", "Ctrl++|Ctrl+=", kView, M::kView, 1, B::kMain, 30, false},
    CommandRow{ID_VIEW_ZOOMOUT, "Zoom &Out\tCtrl -", "Zoom Out\nZoom Out", "zoomout", "Ctrl+-",
               kView, M::kView, 1, B::kMain, 31, false},
    CommandRow{ID_VIEW_FREQUENCY, "&Frequency View",
               "Show the spectrum at the start of the selection\nFrequency View", nullptr, nullptr,
               kAlways, M::kView, 2, B::kNone, 0, false},
    // The "Display Style" submenu of View, which the frame builds itself.
    CommandRow{ID_VIEW_STYLE_LINES, "&Lines", "Draw one frame per column, joined by lines\nLines",
               nullptr, nullptr, kView, M::kNone, 0, B::kNone, 0, true},
    CommandRow{ID_VIEW_STYLE_DOTS, "&Dots", "Draw one frame per column as a dot\nDots", nullptr,
               nullptr, kView, M::kNone, 0, B::kNone, 0, true},
    CommandRow{ID_VIEW_STYLE_BARS, "&Bars",
               "Draw one frame per column as a bar from the middle\nBars", nullptr, nullptr, kView,
               M::kNone, 0, B::kNone, 0, true},
    CommandRow{ID_VIEW_STYLE_PEAKS, "&Peaks",
               "Draw the smallest to the largest value of every column's frames\nPeaks", nullptr,
               nullptr, kView, M::kNone, 0, B::kNone, 0, true},
    // Sample
    CommandRow{ID_SAMPLE_PLAY, "&Play\tCtrl+P", "Play the current selection\nPlay", "play",
               "Ctrl+P", kView, M::kSample, 0, B::kMain, 21, false},
    CommandRow{ID_SAMPLE_RECORD, "&Record...", "Record a new sample\nRecord", "record", nullptr,
               kAlways, M::kSample, 0, B::kMain, 20, false},
    CommandRow{ID_SAMPLE_AMPLIFY, "&Amplify...", "Adjust the sample amplification level\nAmplify",
               "amplify", nullptr, kView, M::kSample, 1, B::kUtilities, 10, false},
    CommandRow{ID_SAMPLE_COMPRESSOR, "C&ompressor / Expander...",
               "Compress / Expand the volume range\nCompressor / Expander", "compressor", nullptr,
               kView, M::kSample, 1, B::kUtilities, 11, false},
    CommandRow{ID_SAMPLE_CONVERT, "&Convert....",
               "Convert the current sample to one of a different type\nConvert", "convert", nullptr,
               kView, M::kSample, 1, B::kUtilities, 12, false},
    CommandRow{ID_SAMPLE_ENVELOPE, "&Envelope...", "Adjust the sample Envelope\nEnvelope",
               "envelope", nullptr, kView, M::kSample, 1, B::kUtilities, 13, false},
    CommandRow{ID_SAMPLE_PEAKSEARCH, "&Peak Search",
               "Find the loudest part of a selection\nPeak Search", "peaksearch", nullptr, kView,
               M::kSample, 1, B::kUtilities, 14, false},
    CommandRow{ID_SAMPLE_REVERSE, "Re&verse", "Reverse the current selection\nReverse", "reverse",
               nullptr, kView, M::kSample, 1, B::kUtilities, 15, false},
    CommandRow{ID_SAMPLE_PANNING, "Stereo Panning...",
               "Pan the sample across stereo channels\nPanning", "panning", nullptr, kView,
               M::kSample, 1, B::kUtilities, 16, false},
    CommandRow{ID_SAMPLE_CHANGESIGN, "C&hange Sign", "Change the sign of the data\nChange Sign",
               "changesign", nullptr, kView, M::kSample, 2, B::kUtilities, 20, false},
    CommandRow{ID_SAMPLE_DECODEULAW, "Decode uLaw", "Decode uLaw data in sample\nDecode uLaw",
               "decodeulaw", nullptr, kView, M::kSample, 2, B::kUtilities, 21, false},
    // Mixer: shown while a mixer is the active window.
    CommandRow{ID_MIXER_MIX, "&Mix", "Mix the current selections\nMix", nullptr, nullptr, kMixer,
               M::kMixer, 0, B::kNone, 0, false},
    CommandRow{ID_MIXER_REMOVEENDPADDING, "&Remove end padding",
               "Remove any end padding\nRemove end padding", nullptr, nullptr, kMixer, M::kMixer, 0,
               B::kNone, 0, false},
    CommandRow{ID_MIXER_ADDINPUT, "&Add Input\tIns", "Add a new input for mixing\nAdd Input",
               nullptr, "Ins", kMixer, M::kMixer, 1, B::kNone, 0, false},
    CommandRow{ID_MIXER_REMOVEINPUT, "Remove Input\tDel", "Remove the selected input\nRemove Input",
               nullptr, "Del", kMixer, M::kMixer, 1, B::kNone, 0, false},
    // Window
    CommandRow{ID_WINDOW_NEW, "&New Window",
               "Open another window for the active document\nNew Window", nullptr, nullptr,
               kNeedsView, M::kWindow, 0, B::kNone, 0, false},
    CommandRow{ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap\nCascade Windows",
               nullptr, nullptr, kNeedsWindow, M::kWindow, 0, B::kNone, 0, false},
    CommandRow{ID_WINDOW_TILE_HORZ, "&Tile",
               "Arrange windows as non-overlapping tiles\nTile Windows", nullptr, nullptr,
               kNeedsWindow, M::kWindow, 0, B::kNone, 0, false},
    CommandRow{ID_WINDOW_ARRANGE, "&Arrange Icons",
               "Arrange icons at the bottom of the window\nArrange Icons", nullptr, nullptr,
               kNeedsWindow, M::kWindow, 0, B::kNone, 0, false},
    CommandRow{ID_WINDOW_CLOSEALL, "Close Al&l", "Close All Windows", nullptr, nullptr,
               kNeedsWindow, M::kWindow, 0, B::kNone, 0, false},
    // Help
    CommandRow{ID_HELP_CONTENTS, "Contents...", "Online Help", nullptr, nullptr, kAlways, M::kHelp,
               0, B::kNone, 0, false},
    CommandRow{ID_APP_ABOUT, "&About Orvex...",
               "Display program information, version number and copyright\nAbout", "about", nullptr,
               kAlways, M::kHelp, 1, B::kMain, 50, false},
    // Prompts of commands that have no action of the frame.
    CommandRow{ID_ZOOM_1, nullptr, "View at 1:1", nullptr, nullptr, kView, M::kNone, 0, B::kNone, 0,
               false},
    CommandRow{ID_ZOOM_10, nullptr, "View at 10:1", nullptr, nullptr, kView, M::kNone, 0, B::kNone,
               0, false},
    CommandRow{ID_ZOOM_100, nullptr, "View at 100:1", nullptr, nullptr, kView, M::kNone, 0,
               B::kNone, 0, false},
    CommandRow{ID_ZOOM_ALL, nullptr, "Zoom Out", nullptr, nullptr, kView, M::kNone, 0, B::kNone, 0,
               false},
};

}  // namespace

std::span<const CommandRow> CommandTable() {
    return kRows;
}

const CommandRow* FindCommandRow(int id) {
    for (const CommandRow& row : kRows) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

QString CommandString(int id) {
    const CommandRow* row = FindCommandRow(id);
    return row != nullptr ? QString::fromUtf8(row->prompt) : QString();
}

QString CommandPrompt(int id) {
    return CommandString(id).section(QLatin1Char('\n'), 0, 0);
}

QString CommandToolTip(int id) {
    const QString text = CommandString(id);
    const int brk = text.indexOf(QLatin1Char('\n'));
    return brk < 0 ? QString() : text.mid(brk + 1).section(QLatin1Char('\n'), 0, 0);
}
