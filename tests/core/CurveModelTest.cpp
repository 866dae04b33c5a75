#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/effects/CurveCursor.h"
#include "core/effects/CurveModel.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/settings/MemorySettingsStore.h"

namespace {

class CurveModelTest : public ::testing::Test {
protected:
    CurveModelTest() {
        curve.Resize(205, 105);  // W = 200, H = 100
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
    EXPECT_EQ(curve.PointAt(0).y, 54);
    EXPECT_FLOAT_EQ(curve.Evaluate(0.7f), static_cast<float>((100.0 - 54) / 96.0));
    EXPECT_EQ(curve.Evaluate(1.01f), 0.0f);
    EXPECT_EQ(curve.Evaluate(-0.01f), 0.0f);
    EXPECT_EQ(curve.Evaluate(std::nanf("")), 0.0f);
}

TEST_F(CurveModelTest, InsertionNeedsRoomBesideTheNeighbours) {
    curve.Reset(CurveModel::kFlatTop);  // points at x 4 and 200
    EXPECT_EQ(curve.PressAt(3, 50), CurveModel::Press::Ignored);
    EXPECT_EQ(curve.PressAt(50, 3), CurveModel::Press::Ignored);
    EXPECT_EQ(curve.PressAt(50, 105), CurveModel::Press::Ignored);
    EXPECT_EQ(curve.PressAt(8, 50), CurveModel::Press::Refused);    // 4 pixels right of x 4
    EXPECT_EQ(curve.PressAt(197, 50), CurveModel::Press::Refused);  // within 4 of the last
    EXPECT_EQ(messages.Beeps(), 2);
    EXPECT_EQ(curve.PressAt(9, 50), CurveModel::Press::Inserted);
    curve.Release();
    EXPECT_EQ(curve.Count(), 3);
    EXPECT_EQ(curve.PointAt(1).x, 9);
    // Clicking on a point drags it instead of inserting.
    EXPECT_EQ(curve.PressAt(10, 51), CurveModel::Press::Dragging);
    EXPECT_EQ(curve.DragIndex(), 1);
}

TEST_F(CurveModelTest, DraggingClampsAndDeletes) {
    curve.Reset(CurveModel::kFlatTop);
    ASSERT_EQ(curve.PressAt(100, 50), CurveModel::Press::Inserted);
    EXPECT_EQ(curve.DragTo(500, -10), CurveModel::Move::Moved);
    EXPECT_EQ(curve.PointAt(1).x, 199);  // stays left of the last point
    EXPECT_EQ(curve.PointAt(1).y, 4);    // stops at the top
    EXPECT_EQ(curve.DragTo(-50, 100 + 20), CurveModel::Move::Moved);
    EXPECT_EQ(curve.PointAt(1).x, 5);
    EXPECT_EQ(curve.PointAt(1).y, 100);
    EXPECT_EQ(curve.DragTo(60, 100 + 21), CurveModel::Move::Deleted);
    EXPECT_EQ(curve.Count(), 2);
    EXPECT_FALSE(curve.IsDragging());
    // End points never leave their columns and are never deleted.
    ASSERT_EQ(curve.PressAt(200, 4), CurveModel::Press::Dragging);
    EXPECT_EQ(curve.DragTo(150, 500), CurveModel::Move::Moved);
    EXPECT_EQ(curve.PointAt(1).x, 200);
    EXPECT_EQ(curve.PointAt(1).y, 100);
    curve.Release();
    ASSERT_EQ(curve.PressAt(4, 4), CurveModel::Press::Dragging);
    EXPECT_EQ(curve.DragTo(90, -100), CurveModel::Move::Moved);
    EXPECT_EQ(curve.PointAt(0).x, 4);
    EXPECT_EQ(curve.DragTo(90, 50), CurveModel::Move::Moved);
}

TEST_F(CurveModelTest, AFullCurveRefusesAnotherPoint) {
    curve.Resize(2005, 105);
    curve.Reset(CurveModel::kFlatTop);
    for (int x = 10; curve.Count() < CurveModel::kMaxPoints; x += 6) {
        ASSERT_EQ(curve.PressAt(x, 50), CurveModel::Press::Inserted) << x;
        curve.Release();
    }
    EXPECT_EQ(curve.PressAt(1900, 50), CurveModel::Press::Refused);
    EXPECT_EQ(curve.Count(), CurveModel::kMaxPoints);
    EXPECT_EQ(messages.Beeps(), 1);
}

TEST_F(CurveModelTest, PresetsKeepTheirShapeAcrossSizes) {
    curve.Reset(CurveModel::kDiagonal);
    ASSERT_EQ(curve.PressAt(100, 30), CurveModel::Press::Inserted);
    curve.Release();
    EXPECT_FALSE(curve.SavePreset(store, CurveModel::kEnvelopePresets, ""));
    ASSERT_TRUE(curve.SavePreset(store, CurveModel::kEnvelopePresets, "Swell"));
    const auto data = store.GetValue("SOFTWARE\\Orvex\\Envelope Presets\\Swell", "Data");
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->bytes.size(), 2048u);
    EXPECT_EQ(data->type, SettingsValueType::None);

    CurveModel bigger(messages);
    bigger.Resize(405, 205);  // W = 400, H = 200
    ASSERT_TRUE(bigger.LoadPreset(store, CurveModel::kEnvelopePresets, "Swell"));
    ASSERT_EQ(bigger.Count(), 3);
    EXPECT_EQ(bigger.PointAt(0).x, 4);
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
    EXPECT_TRUE(CurveModel::PresetNames(store, CurveModel::kEnvelopePresets).empty());
}

TEST_F(CurveModelTest, DamagedPresetsLoadWithoutOverflow) {
    std::vector<uint8_t> block(2048, 0xFF);  // every float is not a number
    store.SetBytes("SOFTWARE\\Orvex\\Compressor\\Bad", "Data", block, SettingsValueType::None);
    ASSERT_TRUE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Bad"));
    EXPECT_EQ(curve.Count(), CurveModel::kMaxPoints);
    curve.Evaluate(0.5f);
}

TEST_F(CurveModelTest, InsertionNeedsFiveLeftAndFourRight) {
    curve.Reset(CurveModel::kFlatTop);  // points at x 4 and 200
    ASSERT_EQ(curve.PressAt(100, 50), CurveModel::Press::Inserted);
    curve.Release();
    // Between 100 and 200: 104 is too close to the left, 105 fits when 200 - 4 leaves room.
    EXPECT_EQ(curve.PressAt(104, 50), CurveModel::Press::Refused);
    ASSERT_EQ(curve.PressAt(105, 50), CurveModel::Press::Inserted);
    curve.Release();
    // With a point 9 pixels right of 105, a click at 110 (5 right of it, 4 left of 114) fits.
    ASSERT_EQ(curve.PressAt(114, 50), CurveModel::Press::Inserted);
    curve.Release();
    EXPECT_EQ(curve.PressAt(110, 80), CurveModel::Press::Inserted);
    curve.Release();
    EXPECT_EQ(curve.PressAt(111, 80), CurveModel::Press::Dragging);  // on the new point
    curve.Release();
    EXPECT_EQ(messages.Beeps(), 1);
    std::vector<int> xs;
    for (const auto& p : curve.Points()) xs.push_back(p.x);
    EXPECT_EQ(xs, (std::vector<int>{4, 100, 105, 110, 114, 200}));
}

TEST_F(CurveModelTest, HoverReadoutIsClampedInsideTheControl) {
    const auto corner = curve.HoverAt(0, 104);  // W + 4 = 204, H + 4 = 104
    ASSERT_TRUE(corner.has_value());
    EXPECT_EQ(corner->first, 0.0f);
    EXPECT_EQ(corner->second, 1.0f);
    const auto middle = curve.HoverAt(102, 52);
    ASSERT_TRUE(middle.has_value());
    EXPECT_FLOAT_EQ(middle->first, 0.5f);
    EXPECT_FLOAT_EQ(middle->second, 0.5f);
    EXPECT_FALSE(curve.HoverAt(205, 50).has_value());
    EXPECT_FALSE(curve.HoverAt(50, -1).has_value());
    EXPECT_FALSE(curve.HoverAt(-1, 50).has_value());
    EXPECT_FALSE(curve.HoverAt(50, 105).has_value());
    EXPECT_FALSE(curve.IsDragging());
}

TEST_F(CurveModelTest, PresetBytesAreLittleEndianFractionPairs) {
    curve.Reset(CurveModel::kDiagonal);
    ASSERT_TRUE(curve.SavePreset(store, CurveModel::kPanningPresets, "Ramp"));
    const auto data = store.GetValue("SOFTWARE\\Orvex\\Stereo Panning Presets\\Ramp", "Data");
    ASSERT_TRUE(data.has_value());
    ASSERT_EQ(data->bytes.size(), 2048u);
    // (0, 1) then (1, 0): 1.0f is 0x3F800000, written low byte first.
    const std::vector<uint8_t> head = {0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0x80, 0x3F, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(data->bytes.begin(), data->bytes.begin() + 16), head);
}

TEST_F(CurveModelTest, LoadStopsAtTheFirstRightEdgeAndRefusesShortData) {
    std::vector<uint8_t> block(2048, 0);
    // (0, 0), (1, 0.5), then a pair that must be ignored.
    const std::vector<uint8_t> pairs = {0, 0, 0, 0,    0, 0, 0, 0,    0, 0, 0x80, 0x3F,
                                        0, 0, 0, 0x3F, 0, 0, 0, 0x3F, 0, 0, 0,    0};
    std::copy(pairs.begin(), pairs.end(), block.begin());
    store.SetBytes("SOFTWARE\\Orvex\\Compressor\\Knee", "Data", block, SettingsValueType::None);
    ASSERT_TRUE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Knee"));
    ASSERT_EQ(curve.Count(), 2);
    EXPECT_EQ(curve.PointAt(0).x, 4);
    EXPECT_EQ(curve.PointAt(0).y, 4);
    EXPECT_EQ(curve.PointAt(1).x, 200);
    EXPECT_EQ(curve.PointAt(1).y, 52);  // trunc(96 * 0.5) + 4

    block.resize(2047);
    store.SetBytes("SOFTWARE\\Orvex\\Compressor\\Short", "Data", block, SettingsValueType::None);
    EXPECT_FALSE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Short"));
    EXPECT_FALSE(curve.LoadPreset(store, CurveModel::kCompressorPresets, "Missing"));
    EXPECT_EQ(curve.PointAt(1).y, 52);
    EXPECT_FALSE(CurveModel::DeletePreset(store, CurveModel::kCompressorPresets, ""));
    EXPECT_FALSE(curve.SavePreset(store, CurveModel::kCompressorPresets, "a\\b"));
}

TEST_F(CurveModelTest, PointsInOneColumnNeverEvaluateToNotANumber) {
    // A damaged preset can hold a vertical step; evaluating on it must stay a number.
    curve.LoadFractions({{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}});
    ASSERT_EQ(curve.Count(), 3);
    const float v = curve.Evaluate(0.0f);
    EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(curve.Evaluate(0.5f), 1.0f);
    // A single point is no curve at all: evaluation gives 0 and insertion is refused.
    curve.LoadFractions({{1.0f, 0.0f}, {0.5f, 0.5f}});
    ASSERT_EQ(curve.Count(), 1);
    EXPECT_EQ(curve.Evaluate(0.5f), 0.0f);
    EXPECT_EQ(curve.PressAt(100, 50), CurveModel::Press::Refused);
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
    for (float t : {0.5f, 0.1f, 1.0f, 1.5f, -0.5f, 0.0f, std::nanf(""), 0.3f, 0.25f, 0.6f}) {
        positions.push_back(t);
    }
    for (const auto& shape : shapes) {
        curve.LoadFractions(shape);
        CurveCursor cursor(curve);
        for (size_t i = 0; i < positions.size(); ++i) {
            const float expected = curve.Evaluate(positions[i]);
            const float actual = cursor.Evaluate(positions[i]);
            ASSERT_EQ(std::memcmp(&expected, &actual, sizeof(float)), 0)
                << "shape " << shape.size() << " position " << positions[i];
        }
    }
}

}  // namespace
