#pragma once

#include <QString>

// The command's prompt string: the status-bar prompt before the first line break, the tool tip
// after it. Empty for an id without a string.
QString CommandString(int id);
// The status-bar prompt of a command.
QString CommandPrompt(int id);
// The tool tip of a command (the second part of its string); empty when it has none.
QString CommandToolTip(int id);
