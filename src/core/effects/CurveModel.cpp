#include "core/effects/CurveModel.h"

#include <cstring>

#include "core/messages/MessageSink.h"
#include "core/sample/ByteOrder.h"
#include "core/settings/SettingsStore.h"

namespace {

constexpr size_t kPresetBytes = 2048;
constexpr const char* kDataValue = "Data";

void PutFloat(std::vector<uint8_t>& out, size_t at, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    byteorder::Store32LE(out.data() + at, bits);
}

float GetFloat(const std::vector<uint8_t>& in, size_t at) {
    const uint32_t bits = byteorder::Load32LE(in.data() + at);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

// trunc(offset) + margin; a damaged preset (not a number, far outside) cannot overflow.
int32_t PixelOf(float offset) {
    if (!(offset > -1.0e6f))
        offset = offset != offset ? 0.0f : -1.0e6f;
    if (offset > 1.0e6f)
        offset = 1.0e6f;
    return static_cast<int32_t>(offset) + CurveModel::kMargin;
}

std::string PresetKey(const std::string& category, const std::string& name) {
    return JoinKey(JoinKey(kOrvexKey, category), name);
}

}  // namespace

CurveModel::CurveModel(MessageSink& messages) : m_messages(&messages), m_w(100 - 5), m_h(150 - 5) {
    m_points = {{kMargin, kMargin}, {m_w, kMargin}};
}

void CurveModel::Resize(int clientWidth, int clientHeight) {
    m_w = clientWidth - 5;
    m_h = clientHeight - 5;
}

void CurveModel::Reset(int mode) {
    m_dragging = false;
    int32_t first = kMargin;
    int32_t last = kMargin;
    if (mode == kMiddle)
        first = last = m_h / 2 + kMargin;
    if (mode == kDiagonal)
        first = m_h;
    m_points = {{kMargin, first}, {m_w, last}};
}

float CurveModel::Evaluate(float t) const {
    const float px = PixelColumn(t);
    for (size_t i = 0; i + 1 < m_points.size(); ++i) {
        if (static_cast<float>(m_points[i].x) <= px &&
            px <= static_cast<float>(m_points[i + 1].x)) {
            return SegmentAt(i).ValueAt(t);
        }
    }
    return 0.0f;  // outside 0..1, or not a number
}

CurveModel::Segment CurveModel::SegmentAt(size_t i) const {
    const Point& a = m_points[i];
    const Point& b = m_points[i + 1];
    const double width = m_w - kMargin;
    const double height = m_h - kMargin;
    const auto x0 = static_cast<float>((a.x - kMargin) / width);
    const auto x1 = static_cast<float>((b.x - kMargin) / width);
    const auto y0 = static_cast<float>((m_h - a.y) / height);
    const auto y1 = static_cast<float>((m_h - b.y) / height);
    // Two points in one column (only a damaged preset holds them) would divide by zero and hand
    // a table builder a value that is not a number: the value before the jump holds.
    if (a.y == b.y || a.x == b.x)
        return Segment{x0, y0, 0.0f, true};
    return Segment{x0, y0, (y1 - y0) / (x1 - x0), false};
}

CurveModel::Press CurveModel::PressAt(int x, int y) {
    if (x < kMargin || y < kMargin || y > m_h + kMargin)
        return Press::Ignored;
    size_t j = 0;
    for (size_t i = 0; i < m_points.size(); ++i) {
        const Point& p = m_points[i];
        if (p.x - 3 < x && x < p.x + 3 && p.y - 3 < y && y < p.y + 3) {
            m_dragging = true;
            m_dragIndex = static_cast<int>(i);
            return Press::Dragging;
        }
        if (p.x - 3 < x)
            j = i;
    }
    // A full curve refuses another point the same way as a click too close to a neighbour:
    // the beep tells the user why nothing happened.
    if (x < m_points[j].x + 5 || j + 1 == m_points.size() || x > m_points[j + 1].x - 4 ||
        m_points.size() >= kMaxPoints) {
        m_messages->Beep();
        return Press::Refused;
    }
    m_points.insert(m_points.begin() + static_cast<std::ptrdiff_t>(j + 1), Point{x, y});
    m_dragging = true;
    m_dragIndex = static_cast<int>(j + 1);
    return Press::Inserted;
}

CurveModel::Move CurveModel::DragTo(int x, int y) {
    if (!m_dragging)
        return Move::NotDragging;
    const auto i = static_cast<size_t>(m_dragIndex);
    const bool first = i == 0;
    const bool last = i + 1 == m_points.size();
    if (!first && !last && (y < -20 || y > m_h + 20)) {
        m_points.erase(m_points.begin() + static_cast<std::ptrdiff_t>(i));
        m_dragging = false;
        return Move::Deleted;
    }
    // The first point stays at the left margin, the last keeps its column, a middle point
    // stays strictly between its neighbours.
    int low = m_points[i].x;
    int high = m_points[i].x;
    if (first) {
        low = high = kMargin;
    } else if (!last) {
        low = m_points[i - 1].x + 1;
        high = m_points[i + 1].x - 1;
    }
    m_points[i].x = x < low ? low : (x > high ? high : x);
    m_points[i].y = y < kMargin ? kMargin : (y > m_h ? m_h : y);
    return Move::Moved;
}

std::optional<std::pair<float, float>> CurveModel::HoverAt(int x, int y) const {
    if (x < 0 || x > m_w + kMargin || y < 0 || y > m_h + kMargin)
        return std::nullopt;
    const auto clamp = [](float f) { return f > 1.0f ? 1.0f : (f > 0.0f ? f : 0.0f); };
    return std::pair{clamp(Fx(x)), clamp(Fy(y))};
}

float CurveModel::Fx(int x) const {
    return static_cast<float>(x - kMargin) / static_cast<float>(m_w - kMargin);
}

float CurveModel::Fy(int y) const {
    return static_cast<float>(y - kMargin) / static_cast<float>(m_h - kMargin);
}

bool CurveModel::SavePreset(SettingsStore& settings, const std::string& category,
                            const std::string& name) const {
    if (name.empty() || name.find_first_of("\\/") != std::string::npos)
        return false;
    const std::string key = PresetKey(category, name);
    if (!settings.CreateKey(key))
        return false;
    std::vector<uint8_t> block(kPresetBytes, 0);
    for (size_t i = 0; i < m_points.size() && i < kMaxPoints; ++i) {
        PutFloat(block, i * 8, Fx(m_points[i].x));
        PutFloat(block, i * 8 + 4, Fy(m_points[i].y));
    }
    return settings.SetBytes(key, kDataValue, block, SettingsValueType::None);
}

bool CurveModel::LoadPreset(const SettingsStore& settings, const std::string& category,
                            const std::string& name) {
    if (name.empty())
        return false;
    const auto block = settings.GetBytes(PresetKey(category, name), kDataValue);
    if (!block || block->size() < kPresetBytes)
        return false;
    std::vector<std::pair<float, float>> pairs;
    for (size_t i = 0; i < kMaxPoints; ++i) {
        pairs.emplace_back(GetFloat(*block, i * 8), GetFloat(*block, i * 8 + 4));
    }
    LoadFractions(pairs);
    return true;
}

void CurveModel::LoadFractions(const std::vector<std::pair<float, float>>& pairs) {
    m_points.clear();
    m_dragging = false;
    for (const auto& [fx, fy] : pairs) {
        if (m_points.size() == kMaxPoints)
            break;
        m_points.push_back({PixelOf(static_cast<float>(m_w - kMargin) * fx),
                            PixelOf(static_cast<float>(m_h - kMargin) * fy)});
        if (fx == 1.0f)
            break;
    }
}

std::vector<std::string> CurveModel::PresetNames(SettingsStore& settings,
                                                 const std::string& category) {
    const std::string key = JoinKey(kOrvexKey, category);
    settings.CreateKey(key);
    return settings.SubKeys(key);
}

bool CurveModel::DeletePreset(SettingsStore& settings, const std::string& category,
                              const std::string& name) {
    return !name.empty() && settings.DeleteKey(PresetKey(category, name));
}
