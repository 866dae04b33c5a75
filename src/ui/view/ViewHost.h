#pragma once

#include <QString>

class COrvexView;

// What a sample view asks of the main frame: the texts of the status bar's panes and a fresh
// look at which commands are enabled after the view's state changed.
class ViewHost {
public:
    virtual ~ViewHost() = default;
    // Pane 0 is the message pane; 1 bytes, 2 bits, 3 frequency, 4 duration, 5 zoom.
    virtual void SetPaneText(int pane, const QString& text) = 0;
    virtual void UpdateCommands() = 0;
    // Whether the panes show `view`: only the active view writes them, so a view that is laid
    // out again behind another (Tile, Cascade) leaves the active one's figures in place.
    virtual bool ShowsStatusOf(const COrvexView* view) const {
        (void)view;
        return true;
    }
};
