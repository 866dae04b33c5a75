#pragma once

#include <QString>
#include <span>

// Which menu a command sits in. A command with menu text but no menu still gets an action, kept
// by the frame so that its keys work (Undo).
enum class CommandMenu { kNone, kFile, kEdit, kView, kSample, kMixer, kWindow, kHelp };

// Which toolbar shows a command's button.
enum class CommandBar { kNone, kMain, kUtilities };

// When the frame enables a command's action.
enum class CommandRule {
    kAlways,
    kView,         // the active sample view decides, and runs the command
    kNeedsView,    // a sample view is active
    kNeedsWindow,  // any child window is open
    kMixer,        // the active mixer decides, and runs the command
};

// One command of the editor.
struct CommandRow {
    int id;
    // The menu text with the key names after a tab, as the menu shows it; null for a command
    // that only has a prompt (no action).
    const char* menuText;
    // The status-bar prompt, then after a line break the tool tip.
    const char* prompt;
    // The icon's name in the resources (":/icons/<name>.svg"); null for none.
    const char* icon;
    // The keys, separated by "|"; null for none.
    const char* keys;
    CommandRule rule;
    CommandMenu menu;
    // Menu entries of a different group are parted by a separator.
    int menuGroup;
    CommandBar bar;
    // Buttons are ordered by slot; a change of tens puts a separator between them.
    int barSlot;
    bool checkable;
};

// Every command, in menu order.
std::span<const CommandRow> CommandTable();
const CommandRow* FindCommandRow(int id);

// The command's prompt string: the status-bar prompt before the first line break, the tool tip
// after it. Empty for an id without a string.
QString CommandString(int id);
// The status-bar prompt of a command.
QString CommandPrompt(int id);
// The tool tip of a command (the second part of its string); empty when it has none.
QString CommandToolTip(int id);
