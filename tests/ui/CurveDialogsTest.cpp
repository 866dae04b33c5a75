// The Edit Envelope, Compressor / Expander and Stereo Panning dialogs run as their commands run
// them: after OK the sound equals the core effect with the same curve on a copy of the sound,
// after Cancel the sound is as before. Also the envelope's amplification and normalise.
#include <QLabel>
#include <QTest>
#include <functional>

#include "core/effects/Compressor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/effects/Panning.h"
#include "support/TestServices.h"
#include "ui/DialogDriver.h"
#include "ui/SoundBytes.h"
#include "ui/effects/CCompressorDlg.h"
#include "ui/effects/CEnvelopeDlg.h"
#include "ui/effects/CManipWnd.h"
#include "ui/effects/CStereoPanDlg.h"
#include "ui/effects/CurveCommands.h"

using namespace uitest;

namespace {

// Clicks the curve of an open dialog at fractions of its area (0, 0 the top left point).
void ClickCurve(CCurveDlg* dialog, float fx, float fy) {
    CManipWnd* wnd = dialog->Curve();
    const int x = 4 + static_cast<int>(fx * static_cast<float>(wnd->width() - 9));
    const int y = 4 + static_cast<int>(fy * static_cast<float>(wnd->height() - 9));
    QTest::mouseClick(wnd, Qt::LeftButton, {}, QPoint(x, y));
}

// A ramp of 16-bit stereo frames, left rising and right falling, loud enough to show gains.
std::vector<uint8_t> Ramp16(int frames) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < frames; ++i) {
        const auto more = Le16({-20000 + i * 397, 25000 - i * 311});
        bytes.insert(bytes.end(), more.begin(), more.end());
    }
    return bytes;
}

using Command = std::function<bool(Services&, SampleBuffer&)>;
using Effect = std::function<void(SampleBuffer&, const CurveModel&)>;

}  // namespace

class CurveDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void DialogsShowTheirControlsAndStartingCurves();
    void OkAppliesTheCoreEffectAndCancelNothing_data();
    void OkAppliesTheCoreEffectAndCancelNothing();
    void EnvelopeAmplificationAndNormalise();
};

void CurveDialogsTest::DialogsShowTheirControlsAndStartingCurves() {
    TestServices s;
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Ramp16(100), 50);
    CEnvelopeDlg envelope(s.services, &sample, 50, 150, 0);
    CCompressorDlg compressor(s.services);
    CStereoPanDlg panning(s.services, sample, 0, 100);
    struct Expect {
        CCurveDlg* dialog;
        QString title;
        float left, right;  // the starting curve at t = 0 and t = 1; -1 for the middle row
    };
    for (const Expect& e : {Expect{&envelope, "Edit Envelope", 1.0f, 1.0f},
                            Expect{&compressor, "Compressor / Expander", 0.0f, 1.0f},
                            Expect{&panning, "Stereo Panning", -1.0f, -1.0f}}) {
        QCOMPARE(e.dialog->windowTitle(), e.title);
        for (const char* id : {"1050", "1070", "1071", "1022", "1066", "1074", "5", "1", "2"})
            QVERIFY(e.dialog->findChild<QWidget*>(QString::fromLatin1(id)) != nullptr);
        QCOMPARE(ById<QAbstractButton>(e.dialog, "1070")->text(), QStringLiteral("&Save"));
        QCOMPARE(ById<QAbstractButton>(e.dialog, "1071")->text(), QStringLiteral("&Delete"));
        QCOMPARE(ById<QAbstractButton>(e.dialog, "1022")->text(), QStringLiteral("&Reset"));
        // The curve spans the editor as it is laid out: its last point on the right edge.
        e.dialog->show();
        CManipWnd* wnd = e.dialog->Curve();
        QCOMPARE(wnd->Curve().Points().back().x, wnd->width() - 5);
        // The middle row lies at about a half: (H - H/2 - 4) / (H - 4).
        const int h = wnd->height() - 5;
        const auto middle = static_cast<float>(static_cast<double>(h - h / 2 - 4) / (h - 4));
        QCOMPARE(wnd->Evaluate(0.0f), e.left < 0 ? middle : e.left);
        QCOMPARE(wnd->Evaluate(1.0f), e.right < 0 ? middle : e.right);
    }
    QCOMPARE(TextOf(&envelope, "1013"), QStringLiteral("100"));
    QCOMPARE(TextOf(&envelope, "1068"), QStringLiteral("100"));
    QCOMPARE(ById<QAbstractButton>(&envelope, "1067")->text(), QStringLiteral("&Normalise"));
    // The readouts follow each dialog's format; frames 50..150 at 50 Hz are 1 s to 3 s.
    const QPointF top(4 + (envelope.Curve()->width() - 9) / 2, 4);
    QMouseEvent hover(QEvent::MouseMove, top, envelope.Curve()->mapToGlobal(top), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(envelope.Curve(), &hover);
    QCOMPARE(TextOf(&envelope, "1074"), QStringLiteral("2.0s -> 100.0%"));
}

void CurveDialogsTest::OkAppliesTheCoreEffectAndCancelNothing_data() {
    QTest::addColumn<uint32_t>("layout");
    QTest::addColumn<uint32_t>("start");
    QTest::addColumn<uint32_t>("end");
    QTest::addColumn<uint32_t>("selector");
    QTest::addColumn<int>("which");  // 0 envelope, 1 compressor, 2 panning
    QTest::newRow("envelope both") << uint32_t{kLayoutStereo16} << 10u << 90u << 0u << 0;
    QTest::newRow("envelope right") << uint32_t{kLayoutStereo16} << 0u << 99u << 2u << 0;
    QTest::newRow("envelope 8-bit mono") << uint32_t{kLayoutMono8} << 5u << 150u << 0u << 0;
    QTest::newRow("compressor left") << uint32_t{kLayoutStereo16} << 20u << 80u << 1u << 1;
    QTest::newRow("compressor 8-bit") << uint32_t{kLayoutMono8} << 0u << 199u << 0u << 1;
    QTest::newRow("panning 16-bit") << uint32_t{kLayoutStereo16} << 0u << 99u << 0u << 2;
    QTest::newRow("panning 8-bit") << uint32_t{kLayoutStereo8} << 30u << 60u << 0u << 2;
}

void CurveDialogsTest::OkAppliesTheCoreEffectAndCancelNothing() {
    QFETCH(uint32_t, layout);
    QFETCH(uint32_t, start);
    QFETCH(uint32_t, end);
    QFETCH(uint32_t, selector);
    QFETCH(int, which);
    std::vector<uint8_t> bytes = Ramp16(100);
    if (layout == kLayoutMono8 || layout == kLayoutStereo8) {
        for (size_t i = 0; i < 200; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
        bytes.resize(200);
    }
    const Command commands[] = {
        [&](Services& s, SampleBuffer& b) {
            return RunEnvelopeCommand(nullptr, s, b, start, end, selector);
        },
        [&](Services& s, SampleBuffer& b) {
            return RunCompressorCommand(nullptr, s, b, start, end, selector);
        },
        [&](Services& s, SampleBuffer& b) { return RunPanningCommand(nullptr, s, b, start, end); },
    };
    // The envelope is also given an amplification of 80 %.
    const Effect effects[] = {
        [&](SampleBuffer& b, const CurveModel& c) {
            ApplyEnvelope(b, c, 0.8f, start, end, selector);
        },
        [&](SampleBuffer& b, const CurveModel& c) { ApplyCompressor(b, c, start, end, selector); },
        [&](SampleBuffer& b, const CurveModel& c) { ApplyPanning(b, c, start, end); },
    };

    TestServices s;
    SampleBuffer sample;
    SetBytes(sample, layout, bytes);
    // Cancel after drawing leaves every byte.
    WhenModalOpens<CCurveDlg>([](CCurveDlg* d) {
        ClickCurve(d, 0.3f, 0.8f);
        Click(d, "2");
    });
    QVERIFY(!commands[which](s.services, sample));
    QCOMPARE(Bytes(sample), bytes);

    // OK after drawing two points: the same curve on a copy gives the same sound.
    std::unique_ptr<CurveModel> drawn;
    WhenModalOpens<CCurveDlg>([&](CCurveDlg* d) {
        ClickCurve(d, 0.25f, 0.9f);
        ClickCurve(d, 0.6f, 0.1f);
        if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("1013")))
            TypeOver(edit, QStringLiteral("80"));
        drawn = std::make_unique<CurveModel>(d->Curve()->Curve());
        Click(d, "1");
    });
    QVERIFY(commands[which](s.services, sample));
    QVERIFY(drawn);
    QCOMPARE(drawn->Count(), 4);
    SampleBuffer expected;
    SetBytes(expected, layout, bytes);
    effects[which](expected, *drawn);
    QCOMPARE(Bytes(sample), Bytes(expected));
    QVERIFY(Bytes(sample) != bytes);
}

void CurveDialogsTest::EnvelopeAmplificationAndNormalise() {
    TestServices s;
    SampleBuffer quiet;
    SetBytes(quiet, kLayoutMono8, {0x80, 0x40, 0xA0, 0x00});
    {
        // The loudest selected byte is 0x40 (magnitude 63): 100 % needs 201.6 %; frame 3 is
        // outside the range. The arrows then stand at the target.
        CEnvelopeDlg d(s.services, &quiet, 0, 2, 0);
        Click(&d, "1067");
        QCOMPARE(TextOf(&d, "1013"), QStringLiteral("201.6"));
        QCOMPARE(ById<CUpDown>(&d, "1108")->Position(), 100);
        TypeOver(&d, "1068", "50");
        Click(&d, "1067");
        QCOMPARE(TextOf(&d, "1013"), QStringLiteral("100.8"));
        ClickArrow(&d, "1111", true, 2);
        QCOMPARE(TextOf(&d, "1068"), QStringLiteral("52"));
        Click(&d, "1");
        QCOMPARE(d.Amplification(), 1.008f);
    }
    // What the edit holds is read as a leading number: letters or nothing silence the range,
    // a number with trailing text counts.
    struct Case {
        QString text;
        float factor;
    };
    for (const Case& c :
         {Case{"", 0.0f}, Case{"abc", 0.0f}, Case{"150x", 1.5f}, Case{"-100", -1.0f}}) {
        CEnvelopeDlg d(s.services, &quiet, 0, 3, 0);
        TypeOver(&d, "1013", c.text);
        Click(&d, "1");
        QCOMPARE(d.Amplification(), c.factor);
    }
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, Le16({1000, -2000, 30000, 5}));
    WhenModalOpens<CEnvelopeDlg>([](CEnvelopeDlg* d) {
        TypeOver(d, "1013", "abc");
        Click(d, "1");
    });
    QVERIFY(RunEnvelopeCommand(nullptr, s.services, sample, 0, 2, 0));
    QCOMPARE(Values16(sample), (std::vector<int>{0, 0, 0, 5}));
}

QTEST_MAIN(CurveDialogsTest)
#include "CurveDialogsTest.moc"
