#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class MessageSink;
class SettingsStore;

// The piecewise-linear curve edited in a curve editor: up to 256 corner points in the editor's
// pixel coordinates, sorted by x, inside the rectangle x 4..W, y 4..H (a 4-pixel margin). The
// position of column x is (x - 4) / (W - 4); the value of row y is (H - y) / (H - 4). The widget
// forwards its mouse events here and paints the points; the effects evaluate the curve.
class CurveModel {
public:
    static constexpr int kMaxPoints = 256;
    static constexpr int kMargin = 4;
    // Preset categories under "SOFTWARE\Orvex".
    static constexpr const char* kEnvelopePresets = "Envelope Presets";
    static constexpr const char* kPanningPresets = "Stereo Panning Presets";
    static constexpr const char* kCompressorPresets = "Compressor";

    struct Point {
        int32_t x;
        int32_t y;
    };
    enum ResetMode { kFlatTop = 0, kMiddle = 1, kDiagonal = 2 };
    enum class Press { Ignored, Dragging, Inserted, Refused };
    enum class Move { NotDragging, Moved, Deleted };

    // The constants of the line between points i and i + 1, with the value at position t.
    struct Segment {
        float x0 = 0.0f;
        float y0 = 0.0f;
        float slope = 0.0f;
        bool level = true;  // same row (or, damaged, same column): the value is y0
        float ValueAt(float t) const {
            if (level)
                return y0;
            const float v = slope * (t - x0) + y0;
            return v > 1.0f ? 1.0f : (v < 0.0f ? 0.0f : v);
        }
    };

    // A new editor is 100 x 150 with two points on the top edge.
    explicit CurveModel(MessageSink& messages);

    // The client size changed: W = width - 5, H = height - 5. Points keep their pixels.
    void Resize(int clientWidth, int clientHeight);
    void Reset(int mode);
    float Evaluate(float t) const;
    // The column of position t as Evaluate finds its segment.
    float PixelColumn(float t) const {
        return static_cast<float>(m_w - kMargin) * t + static_cast<float>(kMargin);
    }
    Segment SegmentAt(size_t i) const;

    // Left button down: drag the point under the pointer, or insert one after the last point
    // left of it. A point too close to its neighbours, or a 257th point, is refused with a beep.
    Press PressAt(int x, int y);
    // Mouse move while dragging: moves the point within its neighbours, or deletes a middle
    // point dragged more than 20 pixels beyond the top or bottom edge.
    Move DragTo(int x, int y);
    void Release() { m_dragging = false; }
    bool IsDragging() const { return m_dragging; }
    int DragIndex() const { return m_dragIndex; }

    // Mouse move while not dragging: inside the control (0..W + 4, 0..H + 4) the readout of the
    // pointer, each fraction clamped to 0..1; outside it nothing, and the readout is cleared.
    std::optional<std::pair<float, float>> HoverAt(int x, int y) const;

    // The readout fractions of a pixel (fy is 0 at the top), unclamped.
    float Fx(int x) const;
    float Fy(int y) const;

    // Presets: "Data", 2048 bytes of 256 little-endian float pairs (fx, fy), under
    // "SOFTWARE\Orvex\<category>\<name>". False (and the curve unchanged) on any failure.
    bool SavePreset(SettingsStore& settings, const std::string& category,
                    const std::string& name) const;
    bool LoadPreset(const SettingsStore& settings, const std::string& category,
                    const std::string& name);
    // Loads fraction pairs as a preset is loaded: stops after the pair whose fx is 1 or after 256.
    void LoadFractions(const std::vector<std::pair<float, float>>& pairs);
    static std::vector<std::string> PresetNames(SettingsStore& settings,
                                                const std::string& category);
    static bool DeletePreset(SettingsStore& settings, const std::string& category,
                             const std::string& name);

    int Count() const { return static_cast<int>(m_points.size()); }
    const Point& PointAt(int i) const { return m_points[static_cast<size_t>(i)]; }
    const std::vector<Point>& Points() const { return m_points; }
    int RightEdge() const { return m_w; }
    int BottomEdge() const { return m_h; }

private:
    MessageSink* m_messages;  // beeps at a refused insertion
    std::vector<Point> m_points;
    int32_t m_w;
    int32_t m_h;
    bool m_dragging = false;
    int m_dragIndex = 0;
};
