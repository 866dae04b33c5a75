// The curve editor's model: clicks, drags, presets, and the cursor that evaluates it in order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/effects/CurveCursor.h"
#include "core/effects/CurveModel.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/settings/MemorySettingsStore.h"

namespace {

using Press = CurveModel::Press;
using Move = CurveModel::Move;

class CurveModelTest : public ::testing::Test {
protected:
    CurveModelTest() { curve.Resize(205, 105); }  // W = 200, H = 100
    std::pair<int, int> Point(int i) const { return {curve.PointAt(i).x, curve.PointAt(i).y}; }
    void Store(const std::string& name, const std::vector<uint8_t>& data) {
        store.SetBytes("SOFTWARE\\Orvex\\Compressor\\" + name, "Data", data,
                       SettingsValueType::None);
    }

    MemorySettingsStore store;
    RecordingMessageSink messages;
    CurveModel curve{messages};
};

TEST_F(CurveModelTest, ResetShapesAndEvaluation) {
    curve.Reset(CurveModel::kFlatTop);
    for (float t : {0.0f, 0.3f, 1.0f}) EXPECT_EQ(curve.Evaluate(t), 1.0f);
    curve.Reset(CurveModel::kDiagonal);
    for (float t : {0.0f, 0.25f, 0.5f, 0.9f, 1.0f}) EXPECT_NEAR(curve.Evaluate(t), t, 1e-6f);
    curve.Reset(CurveModel::kMiddle);
    EXPECT_EQ(Point(0), std::pair(4, 54));
    EXPECT_FLOAT_EQ(curve.Evaluate(0.7f), (100.0f - 54) / 96);
    for (float t : {1.01f, -0.01f, std::nanf("")}) EXPECT_EQ(curve.Evaluate(t), 0.0f);
    // A damaged preset can hold a vertical step; evaluating on it stays a number.
    curve.LoadFractions({{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}});
    EXPECT_EQ(curve.Evaluate(0.0f), 0.0f);
    EXPECT_EQ(curve.Evaluate(0.5f), 1.0f);
    // A single point is no curve: it evaluates to 0 and refuses insertion.
    curve.LoadFractions({{1.0f, 0.0f}, {0.5f, 0.5f}});
    ASSERT_EQ(curve.Count(), 1);
    EXPECT_EQ(curve.Evaluate(0.5f), 0.0f);
    EXPECT_EQ(curve.PressAt(100, 50), Press::Refused);
}

TEST_F(CurveModelTest, ClicksDragInsertOrAreRefused) {
    // Points at x 4 and 200. A click within 2 pixels of a point drags it; a new point needs 5
    // pixels to its left neighbour and 4 to its right one.
    curve.Reset(CurveModel::kFlatTop);
    const std::tuple<int, int, Press> presses[] = {
        {3, 50, Press::Ignored},    {50, 3, Press::Ignored},    {50, 105, Press::Ignored},
        {8, 50, Press::Refused},    {197, 50, Press::Refused},  {9, 50, Press::Inserted},
        {100, 50, Press::Inserted}, {97, 50, Press::Refused},   {98, 50, Press::Dragging},
        {103, 50, Press::Refused},  {102, 50, Press::Dragging}, {100, 47, Press::Refused},
        {100, 48, Press::Dragging}, {100, 53, Press::Refused},  {100, 52, Press::Dragging},
        {104, 50, Press::Refused},  {105, 50, Press::Inserted}, {114, 50, Press::Inserted},
        {110, 80, Press::Inserted}, {111, 80, Press::Dragging}, {10, 51, Press::Dragging},
    };
    int refused = 0;
    for (const auto& [x, y, expected] : presses) {
        EXPECT_EQ(curve.PressAt(x, y), expected) << x << ", " << y;
        refused += expected == Press::Refused;
        curve.Release();
    }
    EXPECT_EQ(messages.Beeps(), refused);
    std::vector<int> xs;
    for (const auto& p : curve.Points()) xs.push_back(p.x);
    EXPECT_EQ(xs, (std::vector<int>{4, 9, 100, 105, 110, 114, 200}));
    // A full curve refuses another point the same way.
    curve.Resize(2005, 105);
    curve.Reset(CurveModel::kFlatTop);
    for (int x = 10; curve.Count() < CurveModel::kMaxPoints; x += 6) {
        ASSERT_EQ(curve.PressAt(x, 50), Press::Inserted) << x;
        curve.Release();
    }
    EXPECT_EQ(curve.PressAt(1900, 50), Press::Refused);
    EXPECT_EQ(curve.Count(), CurveModel::kMaxPoints);
}

TEST_F(CurveModelTest, DraggingClampsAndDeletes) {
    curve.Reset(CurveModel::kFlatTop);
    ASSERT_EQ(curve.PressAt(100, 50), Press::Inserted);
    EXPECT_EQ(curve.DragIndex(), 1);
    EXPECT_EQ(curve.DragTo(500, -10), Move::Moved);
    EXPECT_EQ(Point(1), std::pair(199, 4));  // left of the last point, at the top
    EXPECT_EQ(curve.DragTo(-50, 120), Move::Moved);
    EXPECT_EQ(Point(1), std::pair(5, 100));
    EXPECT_EQ(curve.DragTo(60, 121), Move::Deleted);  // more than 20 past the edge
    EXPECT_EQ(curve.Count(), 2);
    EXPECT_FALSE(curve.IsDragging());
    EXPECT_EQ(curve.DragTo(60, 50), Move::NotDragging);
    // End points never leave their columns and are never deleted.
    ASSERT_EQ(curve.PressAt(200, 4), Press::Dragging);
    EXPECT_EQ(curve.DragTo(150, 500), Move::Moved);
    EXPECT_EQ(Point(1), std::pair(200, 100));
    curve.Release();
    ASSERT_EQ(curve.PressAt(4, 4), Press::Dragging);
    EXPECT_EQ(curve.DragTo(90, -100), Move::Moved);
    EXPECT_EQ(Point(0), std::pair(4, 4));
    curve.Release();
    // The readout inside the control (0..W + 4, 0..H + 4), each fraction clamped to 0..1.
    EXPECT_EQ(curve.HoverAt(0, 104), std::pair(0.0f, 1.0f));
    EXPECT_EQ(curve.HoverAt(102, 52), std::pair(0.5f, 0.5f));
    for (auto [x, y] :
         {std::pair(205, 50), std::pair(50, -1), std::pair(-1, 50), std::pair(50, 105)})
        EXPECT_FALSE(curve.HoverAt(x, y).has_value()) << x << ", " << y;
}

TEST_F(CurveModelTest, PresetsAreFractionPairsThatKeepTheShapeAcrossSizes) {
    curve.Reset(CurveModel::kDiagonal);
    ASSERT_EQ(curve.PressAt(100, 30), Press::Inserted);
    curve.Release();
    EXPECT_FALSE(curve.SavePreset(store, CurveModel::kEnvelopePresets, ""));
    EXPECT_FALSE(curve.SavePreset(store, CurveModel::kEnvelopePresets, "a\\b"));
    ASSERT_TRUE(curve.SavePreset(store, CurveModel::kEnvelopePresets, "Swell"));
    const auto data = store.GetValue("SOFTWARE\\Orvex\\Envelope Presets\\Swell", "Data");
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->type, SettingsValueType::None);
    ASSERT_EQ(data->bytes.size(), 2048u);
    // (0, 1) first: 1.0f is 0x3F800000, written low byte first.
    EXPECT_EQ(std::vector<uint8_t>(data->bytes.begin(), data->bytes.begin() + 8),
              (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0x80, 0x3F}));
    CurveModel bigger(messages);
    bigger.Resize(405, 205);  // W = 400, H = 200
    ASSERT_TRUE(bigger.LoadPreset(store, CurveModel::kEnvelopePresets, "Swell"));
    ASSERT_EQ(bigger.Count(), 3);
    EXPECT_EQ(bigger.PointAt(0).y, 200);
    EXPECT_EQ(bigger.PointAt(1).x, 197);  // trunc(396 * 96 / 196) plus the margin
    EXPECT_EQ(bigger.PointAt(1).y, 57);   // trunc(196 * 26 / 96) plus the margin
    EXPECT_EQ(bigger.PointAt(2).x, 400);
    EXPECT_NEAR(bigger.Evaluate(0.5f), curve.Evaluate(0.5f), 0.02f);
    EXPECT_EQ(CurveModel::PresetNames(store, CurveModel::kEnvelopePresets),
              std::vector<std::string>{"Swell"});
    EXPECT_FALSE(bigger.LoadPreset(store, CurveModel::kCompressorPresets, "Swell"));
    EXPECT_EQ(bigger.Count(), 3);  // unchanged after a failed load
    EXPECT_TRUE(CurveModel::DeletePreset(store, CurveModel::kEnvelopePresets, "Swell"));
    EXPECT_FALSE(CurveModel::DeletePreset(store, CurveModel::kCompressorPresets, ""));
    EXPECT_TRUE(CurveModel::PresetNames(store, CurveModel::kEnvelopePresets).empty());
}

TEST_F(CurveModelTest, LoadingStopsAtTheRightEdgeAndSurvivesDamage) {
    std::vector<uint8_t> block(2048, 0);
    // (0, 0), (1, 0.5), then a pair that must be ignored.
    const std::vector<uint8_t> pairs = {0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0x80, 0x3F,
                                        0, 0, 0, 0x3F, 0, 0, 0, 0x3F, 0, 0, 0,    0};
    std::copy(pairs.begin(), pairs.end(), block.begin());
    Store("Knee", block);
    ASSERT_TRUE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Knee"));
    ASSERT_EQ(curve.Count(), 2);
    EXPECT_EQ(Point(0), std::pair(4, 4));
    EXPECT_EQ(Point(1), std::pair(200, 52));  // trunc(96 * 0.5) + 4
    block.resize(2047);
    Store("Short", block);
    EXPECT_FALSE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Short"));
    EXPECT_FALSE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Missing"));
    EXPECT_EQ(Point(1), std::pair(200, 52));
    Store("Bad", std::vector<uint8_t>(2048, 0xFF));  // every float is not a number
    ASSERT_TRUE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Bad"));
    EXPECT_EQ(curve.Count(), CurveModel::kMaxPoints);
    curve.Evaluate(0.5f);
}

TEST_F(CurveModelTest, CursorGivesExactlyTheModelsValues) {
    // Corners on shared columns, a vertical step, points in and out of order, and positions that
    // rise, fall back, land on corners and leave 0..1.
    const std::vector<std::vector<std::pair<float, float>>> shapes = {
        {{0.0f, 1.0f}, {1.0f, 0.0f}},
        {{0.0f, 0.2f}, {0.1f, 0.9f}, {0.5f, 0.9f}, {0.5f, 0.1f}, {0.77f, 0.4f}, {1.0f, 0.0f}},
        {{0.0f, 0.0f}, {0.6f, 1.0f}, {0.3f, 0.5f}, {1.0f, 0.3f}},
        {{0.25f, 0.5f}, {1.0f, 0.5f}},
    };
    std::vector<float> positions;
    for (int f = 0; f <= 5000; ++f) positions.push_back(static_cast<float>(f / 5000.0));
    for (float t : {0.5f, 0.1f, 1.0f, 1.5f, -0.5f, 0.0f, std::nanf(""), 0.3f, 0.25f, 0.6f})
        positions.push_back(t);
    for (const auto& shape : shapes) {
        curve.LoadFractions(shape);
        CurveCursor cursor(curve);
        for (float t : positions) {
            const float expected = curve.Evaluate(t), actual = cursor.Evaluate(t);
            ASSERT_EQ(std::memcmp(&expected, &actual, sizeof(float)), 0)
                << "shape " << shape.size() << " position " << t;
        }
    }
}

}  // namespace
