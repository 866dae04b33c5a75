// The effect dialogs driven as a user drives them: Adjust Volume, Convert Sample with its presets,
// and the curve editor with the three dialogs built on it. After OK the sound is compared with
// hand-worked values or with the core effect run on a copy with the dialog's choices.
#include <clocale>
#include <cmath>

#include "core/effects/Compressor.h"
#include "core/effects/Convert.h"
#include "core/effects/Envelope.h"
#include "core/effects/Panning.h"
#include "support/SampleMaker.h"
#include "support/TestServices.h"
#include "ui/DialogDriver.h"
#include "ui/audio/CRecordOptionsDlg.h"
#include "ui/effects/AmplifyCommand.h"
#include "ui/effects/AmplifyDlg.h"
#include "ui/effects/CCompressorDlg.h"
#include "ui/effects/CEnvelopeDlg.h"
#include "ui/effects/CManipListener.h"
#include "ui/effects/CManipWnd.h"
#include "ui/effects/CPresetBox.h"
#include "ui/effects/CStereoPanDlg.h"
#include "ui/effects/ConvertCommand.h"
#include "ui/effects/ConvertDlg.h"
#include "ui/effects/CurveCommands.h"
#include "ui/effects/SamplePresetsDlg.h"

namespace {

// A curve editor on its own, reporting to a compressor readout. The default size puts points in
// x 4..200 and y 4..150.
struct Editor {
    explicit Editor(int width = 205, int height = 155)
        : wnd(services.devices, services.messages), listener(&readout) {
        wnd.resize(width, height);
        wnd.SetListener(&listener);
        wnd.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wnd));
    }
    void Mouse(const QString& steps) { ::Mouse(&wnd, steps); }
    QString PointsNow() const {
        QStringList points;
        for (const auto& p : wnd.Curve().Points())
            points << QStringLiteral("%1,%2").arg(p.x).arg(p.y);
        return points.join(u' ');
    }

    TestServices services;
    CManipWnd wnd;
    QLabel readout;
    CCompressorListener listener;
};

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestServices> m_s;
    Services& Svc() { return m_s->services; }

private slots:
    void initTestCase() {
        // The run under a comma-decimal locale (see CMakeLists.txt) needs that locale installed.
        if (qEnvironmentVariableIsSet("ORVEX_COMMA_LOCALE_RUN") &&
            *std::localeconv()->decimal_point != ',')
            QSKIP("no comma-decimal locale is installed");
    }
    void init() { m_s = std::make_unique<TestServices>(); }
    void cleanup() { m_s.reset(); }

    void AmplifyStartsFreshWithOnlyTheSelectedSidesEnabled() {
        // The view, the channel and which controls can be used: each side's edit and arrows, the
        // lock, scale, normalise and bias.
        for (const auto& [stereo, channel, usable] :
             {std::tuple{true, 0, "on|on|on|on|on|on|on|on|on|on"},
              {true, 1, "on|on|off|off|off|on|on|on|on|on"},
              {true, 2, "off|off|on|on|off|on|on|on|on|on"},
              {false, 0, "on|on|off|off|off|on|on|on|on|on"}}) {
            CAmplifyDlg d(nullptr, stereo, 0, 0, channel);  // no sound needed without Normalise
            // Every opening starts here, whatever the last one was left at.
            QCOMPARE(Shown(&d, "1013 1014 1068 1070 1016 1017 1026 1069 1015"),
                     channel == 0 ? "100|100|100|0|volume %|volume %|off|off|on"
                                  : "100|100|100|0|volume %|volume %|off|off|off");
            QCOMPARE(Shown(&d, "?1013 ?1106 ?1014 ?1107 ?1015 ?1026 ?1067 ?1068 ?1069 ?1070"),
                     usable);
            Do(&d, "1068=50; 1026; 1069");
        }
    }

    void AmplifyLockArrowsAndScaleChangeTheTexts() {
        CAmplifyDlg d(nullptr, true, 0, 0, 0);
        d.show();
        Play(&d, {
                     {"1013=150", "1013 1014", "150|150"},
                     {"1014=7.5", "1013 1014", "7.5|7.5"},
                     // Half a percent a click; the arrows go back to 0, so each click is a step.
                     {"1013=100; 1106+3", "1013 1014 1106", "101.5|101.5|0"},
                     {"1015; 1107-4", "1013 1014 1107", "101.5|99.5|0"},  // unlocked
                     {"1014=80; 1013=123456789012", "1013 1014", "1234567890|80"},
                     // In dB the step is still half a percent: 100.5 % is 0.0433 dB.
                     {"1013=100; 1026", "1013", "0.00"},
                     {"1106+1", "1013", "0.04"},
                     // The normalise and DC bias arrows step from what was typed, within range.
                     {"1111+1", "1068", "101"},
                     {"1068=31999; 1111+3; 1112-2", "1068 1070", "32000|-2"},
                     {"1070=-99; 1112-5", "1070", "-100"},
                     // The scale changes the texts, not the volumes: -6.02 dB is 49.97 %, shown
                     // with one decimal.
                     {"1013=6.02; 1014=-6.02; 1026", "1013 1014 1016 1017",
                      "200.0|50.0|volume %|volume %"},
                     {"1026", "1013 1014 1016 1017", "6.02|-6.02|volume dB|volume dB"},
                 });
        // Typed dB texts give percentages on OK: 20 dB is 1000 %, 0 dB unchanged.
        Do(&d, "1013=20; 1014=0; 1");
        QCOMPARE(std::pair(d.m_fLeft, d.m_fRight), std::pair(1000.0f, 100.0f));
    }

    void AmplifyNormaliseWritesThePeakGain() {
        const auto loud = Le16({100, -16384, 16000, 5});
        const auto stereo = Le16({16384, 1000, -100, -8192});
        const std::tuple<uint32_t, Bytes8, uint32_t, uint32_t, uint32_t, const char*, const char*>
            cases[] = {
                {kLayoutMono16, loud, 0, 3, 0, "1067", "200.0|200.0"},
                {kLayoutMono16, loud, 0, 3, 0, "1026; 1067", "6.02|6.02"},
                // Only the selected frames count: frame 1 holds the peak and is left out.
                {kLayoutMono16, loud, 2, 3, 0, "1067", "204.8|204.8"},
                {kLayoutMono8, {0x80, 0x00, 0xC0}, 0, 2, 0, "1067", "100.0|100.0"},
                // Byte 127 is silence, which gains 1.0; the target is read as a whole number.
                {kLayoutMono8, {127, 127, 127}, 0, 2, 0, "1068=50.9x; 1067", "50.0|50.0"},
                // Locked, one gain from both channels; unlocked, each its own; a side left out
                // keeps its text.
                {kLayoutStereo16, stereo, 0, 1, 0, "1067", "200.0|200.0"},
                {kLayoutStereo16, stereo, 0, 1, 0, "1015; 1067", "200.0|400.0"},
                {kLayoutStereo16, stereo, 0, 1, 1, "1067", "200.0|100"},
                {kLayoutStereo16, stereo, 0, 1, 2, "1067", "100|400.0"},
            };
        for (const auto& [layout, bytes, start, end, channel, steps, volumes] : cases) {
            SampleBuffer sample;
            SetBytes(sample, layout, bytes);
            CAmplifyDlg d(&sample, sample.GetChannels() == 2, start, end, channel);
            d.show();
            Do(&d, steps);
            QCOMPARE(Shown(&d, "1013 1014"), volumes);
        }
    }

    void AmplifyCommandAppliesTheChosenVolumes() {
        const Bytes8 wild = {0x00, 0xFF, 0x90};
        const std::tuple<uint32_t, Bytes8, uint32_t, uint32_t, uint32_t, const char*, Bytes8>
            cases[] = {
                // Left doubled and clamped, right halved toward zero; frame 3 is outside.
                {kLayoutStereo16, Le16({20000, 20000, -1, -3, -20000, 7, 9, 9}), 0, 2, 0,
                 "1015; 1013=200; 1014=50; 1", Le16({32767, 10000, -2, -1, -32768, 3, 9, 9})},
                {kLayoutStereo16, Le16({20000, 20000, -1, -3}), 0, 1, 2, "1014=200; 1",
                 Le16({20000, 32767, -1, -6})},
                // A mono sound takes the left volume.
                {kLayoutMono8, {0xC0, 0x40, 0x81}, 0, 2, 0, "1013=200; 1", {0xFF, 0x00, 0x82}},
                // No number is 0 %, silence; in dB it is 0 dB, the sound as it was.
                {kLayoutMono8, wild, 0, 2, 0, "1013=; 1", {128, 128, 128}},
                {kLayoutMono8, wild, 0, 2, 0, "1013=abc; 1", {128, 128, 128}},
                {kLayoutMono8, wild, 0, 2, 0, "1026; 1013=abc; 1", wild},
                {kLayoutMono8, wild, 0, 2, 0, "1013=300; 2", wild},
                // The bias works on the whole sound whatever the range: the mean goes, plus 10 %
                // of full scale when asked (1000 - (1000 + 3276.7) on the left alone).
                {kLayoutMono8, {130, 130, 130}, 1, 1, 0, "1069; 1", {128, 128, 128}},
                {kLayoutStereo16, Le16({1000, 50, 1000, 50}), 0, 1, 1, "1069; 1112+10; 1",
                 Le16({-3276, 50, -3276, 50})},
            };
        for (const auto& [layout, before, start, end, channel, steps, after] : cases) {
            SampleBuffer sample;
            SetBytes(sample, layout, before);
            const QString script = steps;  // clang 14 lambdas cannot capture structured bindings
            WhenModalOpens<CAmplifyDlg>([&](CAmplifyDlg* d) { Do(d, script); });
            const bool ok = QString(steps).endsWith("; 1");
            QCOMPARE(
                RunAmplifyCommand(nullptr, sample, sample.GetChannels() == 2, start, end, channel),
                ok);
            QCOMPARE(Bytes(sample), after);
        }
    }

    void ConvertNamesThePresetOfTheFormatShown() {
        StorePresets(m_s->settings,
                     "CD=44100,2,16; Radio=22050,1,8; Same as radio=22050,1,8; Odd=22051,1,8");
        CConvertDlg d(Svc(), "11025 Hz 8-Bit Mono", "44100 Hz", 1, 1);
        d.show();
        QCOMPARE(Shown(&d, "1014 1001 120 103 1053 *1053"),
                 "11025 Hz 8-Bit Mono|44100 Hz|on|on|CD|CD|Odd|Radio|Same as radio");
        Play(&d, {
                     // Each change names the first preset of the format shown, or none.
                     {"1008; 119", "1053", ""},
                     {"1001:22050 Hz", "1053", "Radio"},
                     {"1001=22051", "1053", "Odd"},
                     {"1001=22050", "1053", "Radio"},
                     {"103", "1053", ""},
                     {"1008; 1104+1", "1001 1053", "22051 Hz|Odd"},  // a hertz a click
                     {"1001=60000 Hz; 1104+1", "1001", "48000 Hz"},
                     {"1001=x; 1104-1", "1001", "4000 Hz"},
                     // A stored name chosen or typed applies its format; another changes nothing.
                     {"1053:CD", "1001 120 103", "44100 Hz|on|on"},
                     {"1053=Radio", "1001 119 1008", "22050 Hz|on|on"},
                     {"1053=Studio", "1001 1053", "22050 Hz|Studio"},
                 });
    }

    void ConvertRefusesARateNoSoundCanHave() {
        for (const char* rate :
             {"0 Hz", "", "fast", "-8000 Hz", "50001 Hz", "9999999999", "1", "50000 Hz"}) {
            m_s->messages.Clear();
            CConvertDlg d(Svc(), "", "22050 Hz", 0, 0);
            d.show();
            Do(&d, QStringLiteral("1001=%1; 1").arg(rate));
            QCOMPARE(d.isVisible(), QString(rate) != "1" && QString(rate) != "50000 Hz");
            QCOMPARE(m_s->messages.Texts(),
                     d.isVisible() ? Texts{"Please enter a frequency between 1 and 50000 Hz."}
                                   : Texts{});
        }
    }

    void ConvertEditsPresetsInThePresetsDialog() {
        StorePresets(m_s->settings, "CD=44100,2,16; Phone=8000,1,8");
        CConvertDlg d(Svc(), "", "11025 Hz", 1, 0);
        d.show();
        WhenModalOpens<CSamplePresetsDlg>([](CSamplePresetsDlg* p) {
            // It starts from the values of the convert dialog.
            QCOMPARE(Shown(p, "1053 1001 120 1008"), "|11025 Hz|on|on");
            Do(p, "1053=Tape; 1001=32000 Hz; 103; 1070; 1");
        });
        Do(&d, "1056");
        QCOMPARE(Shown(&d, "1053 1001 103 120 *1053"), "Tape|32000 Hz|on|on|CD|Phone|Tape");
        // Back again on "Tape", which is deleted there: the values stay.
        WhenModalOpens<CSamplePresetsDlg>([](CSamplePresetsDlg* p) {
            QCOMPARE(Shown(p, "1053 1003"), "Tape|125 Kb/sec");
            Do(p, "1071; 1");
        });
        Do(&d, "1056");
        QCOMPARE(Shown(&d, "1001 *1053"), "32000 Hz|CD|Phone");
    }

    void ConvertCommandPassesTheChosenFormatToTheCore() {
        // The bytes are 16-bit mono as the document stored them, though the sound is labelled
        // stereo: the command converts from the stored format.
        const auto bytes = Le16({0x7FFF, -32768, 0, 0, 1000, -1000, 5, 7});
        SampleBuffer sample;
        SetBytes(sample, kLayoutStereo16, bytes, 22050);
        SampleFormat stored(22050, false, true);
        WhenModalOpens<CConvertDlg>([](CConvertDlg* d) {
            QCOMPARE(Shown(d, "1014 1001 120 103"), "22050 Hz 16-Bit Mono|22050 Hz|on|on");
            Do(d, "1001=0; 1");  // refused: the dialog stays
            Do(d, "1001:11025 Hz; 119; 1008; 1");
        });
        QVERIFY(RunConvertCommand(nullptr, Svc(), sample, stored));
        QCOMPARE(m_s->messages.Texts(), Texts{"Please enter a frequency between 1 and 50000 Hz."});
        SampleBuffer expected;
        SetBytes(expected, kLayoutMono16, bytes, 22050);
        QVERIFY(ChangeFormat(m_s->messages, expected, SampleFormat(11025, false, false)));
        QCOMPARE(Bytes(sample), Bytes(expected));
        QVERIFY(stored == SampleFormat(11025, false, false));

        WhenModalOpens<CConvertDlg>([](CConvertDlg* d) { Do(d, "2"); });
        QVERIFY(!RunConvertCommand(nullptr, Svc(), sample, stored));
        QCOMPARE(Bytes(sample), Bytes(expected));
    }

    void PresetsAreSavedChosenAndDeleted() {
        StorePresets(m_s->settings, "Phone=8000,1,8; Radio=11025,1,8");
        CSamplePresetsDlg d(Svc());
        d.show();
        // A new name and an existing one are saved from the controls (and read back below).
        Do(&d, "1053=Tape; 1001:11025 Hz; 120; 1070");
        QCOMPARE(Shown(&d, "*1053"), "Phone|Radio|Tape");
        Do(&d, "1053=Radio; 1001=32000 Hz; 103; 1070");
        Play(&d, {
                     {"", "1053", "Radio"},
                     // The rate follows every control, in Kb of 1024 bytes rounded down.
                     {"1001=1023", "1003", "1 Kb/sec"},
                     {"120", "1003", "3 Kb/sec"},
                     {"1008; 1104-1", "1001 1003", "4000 Hz|7 Kb/sec"},
                     // A stored name chosen or typed in full shows its values; a name only
                     // begun changes nothing.
                     {"1053:Tape", "1001 120 1008 1003", "11025 Hz|on|on|21 Kb/sec"},
                     {"1053:Radio", "1001 119 103", "32000 Hz|on|on"},
                     {"1053=Phon", "1001", "32000 Hz"},
                     {"1053=Phone", "1053 1001 119 1008 1003", "Phone|8000 Hz|on|on|7 Kb/sec"},
                 });
        Do(&d, "1071");
        QCOMPARE(Shown(&d, "*1053"), "Radio|Tape");
        // No name, one with a key separator and a name not stored are refused with a beep.
        Do(&d, "1053=; 1070; 1053=a\\b; 1070; 1053=Nothing; 1071");
        QCOMPARE(m_s->messages.Beeps(), 3);
        QCOMPARE(m_s->settings.SubKeys(SampleRatePresets::kKey).size(), size_t{2});
        Do(&d, "1053=Radio; 1");
        QCOMPARE(d.m_strName, std::string("Radio"));
    }

    void RecordOptionsGiveTheSizeAndTheTarget() {
        // The steps before Record, or Cancel for that result; the readout then; the result and
        // the frequency, size and format code chosen.
        const std::tuple<const char*, const char*, int, uint32_t, uint32_t, uint32_t> cases[] = {
            {"120; 103; 1001=44100 Hz; 1002=60", "10.1 Mb required", 10, 44100, 10584000, 10},
            {"1001=11025 Hz; 1002=10; 1000", "107 Kb required", 11, 11025, 110250, 5},
            // "kHz" in any case multiplies; a number alone is hertz.
            {"1001=22.05 KHz; 1002=1", "21 Kb required", 10, 22050, 22050, 5},
            {"1001=22.05; 1002=1", "0 Kb required", 10, 22, 22, 5},
            {"120; 1001=8e3 hz; 1002=2", "31 Kb required", 10, 8000, 32000, 6},
            {"1001=fast; 1002=10", "", 10, 0, 0, 5},
            // Past 32 bits the size is clamped.
            {"120; 103; 1001=4000 kHz; 1002=9999999", "4096.0 Mb required", 10, 4000000,
             4294967295u, 10},
            {"103", "215 Kb required", 2, 0, 0, 0},
        };
        for (const auto& [steps, readout, result, frequency, block, format] : cases) {
            CRecordOptionsDlg dialog(Svc());
            QString shown;
            // clang 14 lambdas cannot capture structured bindings
            const QString script = steps;
            const bool cancel = result == CRecordOptionsDlg::kCancel;
            WhenModalOpens<CRecordOptionsDlg>([&](CRecordOptionsDlg* d) {
                Do(d, script);
                shown = Shown(d, "1003");
                Do(d, cancel ? "2" : "1");
            });
            QCOMPARE(dialog.Run(5), result);
            QCOMPARE(shown, readout);
            if (result != CRecordOptionsDlg::kCancel)
                QCOMPARE(std::tuple(dialog.m_frequency, dialog.m_blockSize, dialog.FormatCode()),
                         std::tuple(frequency, block, format));
        }
    }

    void RecordOptionsFollowThePresets() {
        StorePresets(m_s->settings, "Telephone=11025,1,8; CD=44100,2,16");
        CRecordOptionsDlg dialog(Svc());
        dialog.m_strFrequency = "44100 Hz";
        dialog.m_nBits = 1;
        dialog.m_nChannels = 1;
        WhenModalOpens<CRecordOptionsDlg>([&](CRecordOptionsDlg* d) {
            QCOMPARE(Shown(d, "*1053"), "CD|Telephone");
            QVERIFY(!ById(d, "1026")->isVisible());
            Play(d, {
                        {"", "1053 1002 1003", "CD|7|1.2 Mb required"},
                        {"1053:Telephone", "1008 119 1001 1104 1003",
                         "on|on|11025 Hz|-21742|75 Kb required"},
                        // A rate no preset has names none; the arrows step from the typed rate.
                        {"1001=12345 Hz", "1053", ""},
                        {"1104+1; 1110+3", "1001 1002", "12346 Hz|10"},
                        {"1002: 120", "1110 1003", "120|1.4 Mb required"},
                    });
            Do(d, "1");
        });
        QCOMPARE(dialog.Run(7), CRecordOptionsDlg::kRecordAsNew);
        QCOMPARE(std::pair(dialog.m_blockSize, dialog.FormatCode()), std::pair(12346u * 120, 5u));
    }

    void DialogsLayTheirControlsOutApart() {
        SampleBuffer sample;
        SetBytes(sample, kLayoutStereo16, Le16({0, 0}), 50);
        CAmplifyDlg amplify(&sample, true, 0, 0, 0);
        CConvertDlg convert(Svc(), "", "22050 Hz", 0, 0);
        CRecordOptionsDlg record(Svc());
        CEnvelopeDlg envelope(Svc(), &sample, 0, 0, 0);
        const auto at = [](QWidget* w) {
            return QRect(w->mapTo(w->window(), QPoint()), w->size());
        };
        for (QDialog* d : std::initializer_list<QDialog*>{&amplify, &convert, &record, &envelope}) {
            d->show();
            // No control covers another of the same box.
            const auto controls = d->findChildren<QWidget*>();
            for (QWidget* a : controls) {
                for (QWidget* b : controls) {
                    QVERIFY2(a == b || a->parent() != b->parent() || !a->isVisible() ||
                                 !b->isVisible() || !at(a).intersects(at(b)),
                             qPrintable(a->objectName() + " covers " + b->objectName()));
                }
            }
        }
        // A button or box stands on the row of the edit it goes with, left of it.
        for (const auto& [left, right] :
             {std::pair{"1067", "1068"}, {"1069", "1070"}, {"1072", "1013"}, {"1026", "1015"}}) {
            const QRect l = at(ById(&amplify, left)), r = at(ById(&amplify, right));
            QVERIFY(l.right() < r.left() && l.center().y() > r.top() &&
                    l.center().y() < r.bottom());
        }
    }

    void CurveEditorTurnsTheMouseIntoEdits() {
        Editor e;
        e.wnd.Reset(CurveModel::kFlatTop);
        // Presses in the margin or beside the control (held while hovered) do nothing.
        e.Mouse("c3,50 c50,3 c50,155 c-5,50");
        QCOMPARE(e.PointsNow(), "4,4 200,4");
        QCOMPARE(e.services.devices.log.opened, 0);
        // A new point is dragged at once, the readout following it until the release.
        e.Mouse("p100,50 d110,60");
        QCOMPARE(e.readout.text(), "0.54 -> 0.62");
        e.Mouse("r110,60");
        QCOMPARE(e.readout.text(), " ");
        QCOMPARE(e.PointsNow(), "4,4 110,60 200,4");
        // A refused insertion (four pixels right of a point) beeps; a press on a handle grabs.
        e.Mouse("c114,90 p111,61");
        QCOMPARE(e.services.devices.log.opened, 1);
        QVERIFY(e.wnd.Curve().IsDragging());
        QCOMPARE(e.wnd.Curve().DragIndex(), 1);
        // Dragged far out, a middle point goes, and with it the drag and the readout.
        e.Mouse("d111,300");
        QVERIFY(!e.wnd.Curve().IsDragging());
        QCOMPARE(e.readout.text(), " ");
        // The end points stay inside the control.
        e.Mouse("r111,300 p200,4 d20,900");
        QCOMPARE(e.readout.text(), "1.00 -> 0.00");
        e.Mouse("r20,900");
        QCOMPARE(e.PointsNow(), "4,4 200,150");
        // Once edited the points keep their pixels when the editor changes size; after a reset
        // the shape follows the size.
        e.wnd.resize(305, 255);
        QCOMPARE(e.PointsNow(), "4,4 200,150");
        e.wnd.Reset(CurveModel::kFlatTop);
        e.wnd.resize(205, 155);
        QCOMPARE(e.PointsNow(), "4,4 200,4");
        // Hovering reads the pointer, clamped at the margins; outside the control, or when the
        // pointer leaves it, the readout is cleared.
        for (const auto& [step, text] : {std::pair{"h151,77", "0.75 -> 0.50"},
                                         {"h0,0", "0.00 -> 1.00"},
                                         {"h204,154", "1.00 -> 0.00"},
                                         {"h205,60", " "},
                                         {"h102,4", "0.50 -> 1.00"}}) {
            e.Mouse(step);
            QCOMPARE(e.readout.text(), text);
        }
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&e.wnd, &leave);
        QCOMPARE(e.readout.text(), " ");
    }

    void CurveBeepIsAToneOrTheBell() {
        Editor e;
        e.wnd.Reset(CurveModel::kFlatTop);
        e.Mouse("c8,60");  // too close to the first point
        FakeAudioBackend& devices = e.services.devices;
        QCOMPARE(devices.lastFormat.samplesPerSecond, 22050u);
        // 200 ms of 592 Hz: 4410 bytes crossing silence upward about 118 times.
        QCOMPARE(devices.output->blockBytes, 4410u);
        int rising = 0;
        for (uint32_t i = 1; i < devices.output->blockBytes; ++i)
            rising += devices.output->block[i - 1] < 128 && devices.output->block[i] >= 128;
        QVERIFY2(rising >= 117 && rising <= 119, qPrintable(QString::number(rising)));
        // The device goes when the tone is done.
        devices.output->Finish();
        QTRY_COMPARE(devices.log.Live(), 0);
        QCOMPARE(e.services.messages.Beeps(), 0);
        // With no device to play on, the desktop's bell rings instead.
        devices.openResult = kAudioNoDriver;
        e.Mouse("c8,60");
        QCOMPARE(e.services.messages.Beeps(), 1);
        QCOMPARE(devices.log.Live(), 0);
    }

    void CurvePresetBoxSavesPicksResetsAndDeletes() {
        m_s->settings.CreateKey("SOFTWARE\\Orvex\\Envelope Presets\\b-old");
        m_s->settings.CreateKey("SOFTWARE\\Orvex\\Envelope Presets\\Zed");
        Editor e;
        e.wnd.Reset(CurveModel::kDiagonal);
        QWidget frame;
        CPresetBox box(m_s->settings, CurveModel::kEnvelopePresets, &e.wnd, CurveModel::kFlatTop,
                       &frame);
        frame.show();
        QCOMPARE(Shown(&frame, "*1050"), "b-old|Zed");
        // A new name is stored and listed in order, once.
        e.Mouse("c102,100");
        Do(&frame, "1050=Swell; 1070; 1070");
        QCOMPARE(Shown(&frame, "*1050"), "b-old|Swell|Zed");
        // Reset gives the box's own shape and clears the name; the name picked brings it back.
        Do(&frame, "1022");
        QCOMPARE(Shown(&frame, "1050") + e.PointsNow(), "4,4 200,4");
        Do(&frame, "1050:Swell");
        QCOMPARE(e.PointsNow(), "4,150 102,100 200,4");
        // Delete takes the name from the list and the store, and leaves it typed.
        Do(&frame, "1050=Swell; 1071");
        QCOMPARE(Shown(&frame, "1050 *1050"), "Swell|b-old|Zed");
        QVERIFY(!m_s->settings.KeyExists("SOFTWARE\\Orvex\\Envelope Presets\\Swell"));
    }

    void CurveDialogsStartFromTheirShapes() {
        SampleBuffer sample;
        SetBytes(sample, kLayoutStereo16, Bytes8(800, 0), 50);
        CEnvelopeDlg envelope(Svc(), &sample, 50, 150, 0);
        CCompressorDlg compressor(Svc());
        CStereoPanDlg panning(Svc(), sample, 0, 100);
        const std::tuple<CCurveDlg*, float, float> shapes[] = {
            {&envelope, 1.0f, 1.0f}, {&compressor, 0.0f, 1.0f}, {&panning, 0.5f, 0.5f}};
        for (const auto& [dialog, left, right] : shapes) {
            dialog->show();
            // The shape spans the editor as it is laid out: its last point on the right edge.
            CManipWnd* wnd = dialog->Curve();
            QCOMPARE(wnd->Curve().Points().back().x, wnd->width() - 5);
            QVERIFY(std::fabs(wnd->Evaluate(0.0f) - left) < 0.02f);
            QVERIFY(std::fabs(wnd->Evaluate(1.0f) - right) < 0.02f);
            // The readout follows each dialog's format: the top of the middle column.
            Mouse(wnd, QStringLiteral("h%1,4").arg(4 + (wnd->width() - 9) / 2));
        }
        // Frames 50..150 at 50 Hz are 1 s to 3 s; 0..100 are 0 s to 2 s.
        QCOMPARE(Shown(&envelope, "1013 1068 1074"), "100|100|2.0s -> 100.0%");
        QCOMPARE(Shown(&compressor, "1074"), "0.50 -> 1.00");
        QCOMPARE(Shown(&panning, "1074"), "1.0s -> 100%L,0%R");
    }

    void CurveCommandsApplyTheCoreEffectOnOkOnly() {
        // The layout, range and channel selector; envelope, compressor or panning.
        const std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, int> cases[] = {
            {kLayoutStereo16, 10, 90, 0, 0}, {kLayoutStereo16, 0, 99, 2, 0},
            {kLayoutMono8, 5, 150, 0, 0},    {kLayoutStereo16, 20, 80, 1, 1},
            {kLayoutMono8, 0, 199, 0, 1},    {kLayoutStereo16, 0, 99, 0, 2},
            {kLayoutStereo8, 30, 60, 0, 2}};
        // Loud enough in 8 and 16 bits to show any gain.
        Bytes8 bytes(400);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
        for (const auto& [layout, start, end, selector, which] : cases) {
            // Copies, as clang 14 lambdas cannot capture structured bindings.
            const auto first = start, last = end, channels = selector;
            const auto kind = which;
            const auto command = [&](SampleBuffer& b) {
                return kind == 0   ? RunEnvelopeCommand(nullptr, Svc(), b, first, last, channels)
                       : kind == 1 ? RunCompressorCommand(nullptr, Svc(), b, first, last, channels)
                                   : RunPanningCommand(nullptr, Svc(), b, first, last);
            };
            SampleBuffer sample;
            SetBytes(sample, layout, bytes);
            // OK after drawing two points: the same curve on a copy gives the same sound.
            std::unique_ptr<CurveModel> drawn;
            WhenModalOpens<CCurveDlg>([&](CCurveDlg* d) {
                // Two points, at a quarter and at 60 % of the width.
                const int w = d->Curve()->width() - 9, h = d->Curve()->height() - 9;
                Mouse(d->Curve(), QString::asprintf("c%d,%d c%d,%d", 4 + w / 4, 4 + h * 9 / 10,
                                                    4 + w * 6 / 10, 4 + h / 10));
                if (kind == 0)
                    Do(d, "1013=80");
                drawn = std::make_unique<CurveModel>(d->Curve()->Curve());
                Do(d, "1");
            });
            QVERIFY(command(sample));
            QVERIFY(drawn && drawn->Count() == 4);
            SampleBuffer expected;
            SetBytes(expected, layout, bytes);
            which == 0   ? ApplyEnvelope(expected, *drawn, 0.8f, start, end, selector)
            : which == 1 ? ApplyCompressor(expected, *drawn, start, end, selector)
                         : ApplyPanning(expected, *drawn, start, end);
            QCOMPARE(Bytes(sample), Bytes(expected));
            QVERIFY(Bytes(sample) != bytes);
        }
    }

    void EnvelopeAmplificationAndNormalise() {
        SampleBuffer quiet;
        SetBytes(quiet, kLayoutMono8, {0x80, 0x40, 0xA0, 0x00});
        // The loudest selected byte is 0x40 (magnitude 63): 100 % needs 201.6 %; frame 3 is
        // outside the range. The amplification arrows then stand at the target.
        CEnvelopeDlg normalised(Svc(), &quiet, 0, 2, 0);
        Play(&normalised, {{"1067", "1013 1108", "201.6|100"},
                           {"1068=50; 1067; 1111+2", "1013 1068", "100.8|52"}});
        Do(&normalised, "1");
        QCOMPARE(normalised.Amplification(), 1.008f);
        // The edit is read as a leading number: letters or nothing silence, trailing text counts.
        const std::pair<const char*, float> factors[] = {
            {"", 0.0f}, {"abc", 0.0f}, {"150x", 1.5f}, {"-100", -1.0f}};
        for (const auto& [text, factor] : factors) {
            CEnvelopeDlg d(Svc(), &quiet, 0, 3, 0);
            Do(&d, QStringLiteral("1013=%1; 1").arg(text));
            QCOMPARE(d.Amplification(), factor);
        }
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
