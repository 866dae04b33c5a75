#pragma once

#include <QFont>
#include <QPoint>
#include <QWidget>
#include <cstdint>

#include "ui/view/TimeRulerListener.h"
#include "ui/view/WaveformListeners.h"

class QMenu;

// The thin ruler above the waveform: sample numbers at regular intervals, the two ends of the
// selection as markers the user can drag, and a zoom menu on the right button or Shift+F10. It
// holds no sound data: the view tells it the first sample and the samples per pixel.
class CTimeRuler : public QWidget, public WaveformRulerListener {
    Q_OBJECT

public:
    // Commands of the zoom menu.
    enum : int {
        kIdZoom1 = 32793,
        kIdZoom10 = 32794,
        kIdZoom100 = 32795,
        kIdZoomOut = 32796,
    };
    static constexpr int kCharWidth = 8;  // label widths are estimated at this many pixels
    static constexpr int kHeight = 27;

    explicit CTimeRuler(QWidget* parent = nullptr);

    // Places the ruler in `parent` at `rect` with child id `id`. The view's interface is taken
    // from `parent` when it implements it.
    bool Create(QWidget* parent, const QRect& rect, int id);
    int GetId() const { return m_id; }
    void SetViewListener(TimeRulerViewListener* view) { m_view = view; }

    // Scale 0 shows the frame alone.
    void SetRange(uint32_t first, uint32_t scale);
    void SetSelection(uint32_t left, uint32_t right, bool repaint) override;

    uint32_t GetFirst() const { return m_first; }
    uint32_t GetScale() const { return m_scale; }
    uint32_t GetSelLeft() const { return m_selLeft; }
    uint32_t GetSelRight() const { return m_selRight; }
    bool IsDragging() const { return m_dragging; }
    QPoint GetMenuPoint() const { return m_menuPoint; }
    const QFont& LabelFont() const { return m_font; }
    QMenu* ZoomMenu() const { return m_menu; }

    // Where the markers stand: the left marker is drawn in the 7 columns before LeftMarkerX, the
    // right marker in the 7 columns from RightMarkerX on.
    int LeftMarkerX() const { return MarkerX(m_selLeft); }
    int RightMarkerX() const { return MarkerX(m_selRight); }

    QSize sizeHint() const override { return QSize(200, kHeight); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum Marker { kNoMarker = -1, kLeftMarker = 0, kRightMarker = 1 };

    int MarkerX(uint32_t sample) const;
    Marker MarkerZoneAt(int x) const;
    void OpenZoomMenu(const QPoint& point);
    void RunZoomCommand(int id);
    void DrawFrame(QPainter& painter) const;
    void DrawTicks(QPainter& painter) const;
    void DrawMarkers(QPainter& painter) const;

    uint32_t m_first = 0;
    uint32_t m_scale = 0;
    uint32_t m_selLeft = 0;
    uint32_t m_selRight = 0;
    QPoint m_menuPoint;
    QFont m_font;
    bool m_dragging = false;
    Marker m_draggedMarker = kLeftMarker;

    int m_id = 0;
    TimeRulerViewListener* m_view = nullptr;
    QMenu* m_menu = nullptr;
};
