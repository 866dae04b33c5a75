// Drives the real main window: opening files by every road, the status panes, the commands'
// enabled state as selection, clipboard and playback change, the edit commands' results, Close
// All, the toolbars, the recent-file list, Save As and the hand-over between two processes.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QtTest>
#include <functional>
#include <memory>

#include "core/sample/SampleBuffer.h"
#include "support/FakeAudioBackend.h"
#include "support/TempDir.h"
#include "support/TestServices.h"
#include "support/WaveBytes.h"
#include "ui/DialogDriver.h"
#include "ui/EditorHarness.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/view/COrvexView.h"
#include "ui/view/CTimeRuler.h"
#include "ui/view/CWaveformWnd.h"

namespace {

// A 16-bit stereo WAV of `frames` frames whose left value is the frame index and right value its
// negation, so that every edit shows in the numbers.
std::vector<uint8_t> StereoWave(uint32_t frames, uint32_t rate = 44100) {
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < frames; ++i) {
        Put16(data, static_cast<uint16_t>(i));
        Put16(data, static_cast<uint16_t>(-static_cast<int32_t>(i)));
    }
    return WaveBytes::Simple(2, rate, 16, data);
}

// An 8-bit mono WAV whose byte i holds i mod 256.
std::vector<uint8_t> MonoWave(uint32_t frames, uint32_t rate = 11025) {
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < frames; ++i) data.push_back(static_cast<uint8_t>(i & 0xFF));
    return WaveBytes::Simple(1, rate, 8, data);
}

// What the screen shows of `widget` now: its window's painted image, not a fresh rendering.
QImage Shown(QWidget* widget) {
    const QPoint at = widget->mapTo(widget->window(), QPoint(0, 0));
    const QImage whole = widget->screen()->grabWindow(widget->window()->winId()).toImage();
    return whole.copy(QRect(at, widget->size()));
}

int16_t Left(const SampleBuffer& buffer, uint32_t frame) {
    FrameValue value;
    buffer.GetFrame(frame, buffer.FormatRef().GetLayoutCode(), value);
    return value.slot[0];
}

// Answers the next modal file dialog with `name` (typed into its file name box).
void AnswerFileDialog(const QString& name) {
    QTimer::singleShot(0, [name]() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit != nullptr);
        edit->setText(name);
        // Any question the dialog asks on the way is answered with its default button.
        QTimer::singleShot(200, []() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->done(QMessageBox::Yes);
        });
        QMetaObject::invokeMethod(dialog, "accept");
        // A dialog that refused the name fails the test instead of waiting for ever.
        if (dialog->isVisible())
            QMetaObject::invokeMethod(dialog, "reject");
    });
}

// Records messages as a message box would show them: each runs an event loop of its own for a
// moment, in which sockets close and deferred deletions happen.
class ModalMessageSink : public RecordingMessageSink {
public:
    void Show(const UserMessage& message) override {
        RecordingMessageSink::Show(message);
        QEventLoop loop;
        QTimer::singleShot(300, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

}  // namespace

class MainFrameTest : public QObject, private EditorHarness {
    Q_OBJECT

private:
    void Start(const QString& commandLine = QString(), const QString& server = QString()) {
        StartWith(m_services->services, commandLine, server);
    }
    void StartWith(Services& services, const QString& commandLine, const QString& server) {
        QVERIFY(StartEditor(services, commandLine, server));
    }
    QString Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        return WriteFile(name, bytes);
    }
    bool Enabled(int id) const { return Frame()->Action(id)->isEnabled(); }
    COrvexView* View() const { return Frame()->ActiveView(); }
    SampleBuffer& Sound() const { return View()->GetDocument()->sample; }
    bool Playing() const { return View()->GetDocument()->Playback().IsPlaying(); }

private slots:
    void init() { PrepareEditor(); }
    void cleanup() { DropEditor(); }

    void toolbarsWithoutSettingsSitSideBySideAtTheTop() {
        Start();
        QToolBar* main = Frame()->MainToolBar();
        QToolBar* utilities = Frame()->UtilitiesToolBar();
        QCOMPARE(main->windowTitle(), QStringLiteral("Main"));
        QCOMPARE(utilities->windowTitle(), QStringLiteral("Utilities"));
        QCOMPARE(Frame()->toolBarArea(main), Qt::TopToolBarArea);
        QCOMPARE(Frame()->toolBarArea(utilities), Qt::TopToolBarArea);
        QVERIFY(!Frame()->toolBarBreak(utilities));
        QCOMPARE(utilities->y(), main->y());
        QVERIFY(utilities->x() >= main->x() + main->width());

        auto ids = [](QToolBar* bar) {
            QList<int> out;
            for (QAction* action : bar->actions())
                out << (action->isSeparator() ? 0 : action->data().toInt());
            return out;
        };
        QCOMPARE(ids(main), (QList<int>{57600, 57601, 57603, 0, 32772, 32771, 0, 32774, 32776, 0,
                                        57635, 57634, 57637, 0, 57664}));
        QCOMPARE(ids(utilities),
                 (QList<int>{32777, 32803, 32778, 32784, 32786, 32785, 32787, 0, 32782, 32783}));
        for (QAction* action : main->actions() + utilities->actions())
            QVERIFY(action->isSeparator() || !action->icon().isNull());
    }

    // The menus built from the command table: texts with their keys, separators as "-", in order.
    void menusListTheirCommandsInOrder() {
        Start();
        QStringList menus;
        for (QAction* top : Frame()->menuBar()->actions()) {
            QStringList entries;
            for (QAction* entry : top->menu()->actions())
                entries << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
            menus << top->text() + QStringLiteral(": ") + entries.join(QLatin1Char('|'));
        }
        QCOMPARE(menus,
                 (QStringList{
                     "&File: &New\tCtrl+N|New &Mixer|&Open...\tCtrl+O|&Close|&Save\tCtrl+S|Save "
                     "&As...|-|"
                     "Recent File|||||-|E&xit",
                     "&Edit: Cu&t\tCtrl+X|&Copy\tCtrl+C|&Paste\tCtrl+V|&Delete\tDel|-|"
                     "Pr&operties...\tAlt+Enter",
                     "&View: &Main Toolbar|&Utilities Toolbar|&Status Bar|-|Zoom &In\tCtrl +|"
                     "Zoom &Out\tCtrl -|-|&Frequency View|-|Display &Style",
                     "&Sample: &Play\tCtrl+P|&Record...|-|&Amplify...|C&ompressor / Expander...|"
                     "&Convert....|&Envelope...|&Peak Search|Re&verse|Stereo Panning...|-|"
                     "C&hange Sign|Decode uLaw",
                     "&Mixer: &Mix|&Remove end padding|-|&Add Input\tIns|Remove Input\tDel",
                     "&Window: &New Window|&Cascade|&Tile|&Arrange Icons|Close Al&l",
                     "&Help: Contents...|-|&About Orvex...",
                 }));
        QCOMPARE(Frame()->Action(ID_EDIT_CUT)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}));
        QCOMPARE(Frame()->Action(ID_EDIT_UNDO)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
        QVERIFY(Frame()->actions().contains(Frame()->Action(ID_EDIT_UNDO)));
        QVERIFY(Frame()->Action(ID_VIEW_STATUS_BAR)->isChecked());
    }

    void statusPanesAndPromptsAtStart() {
        Start();
        QCOMPARE(Frame()->PaneText(0), QStringLiteral("Ready"));
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("----"));
        QCOMPARE(Frame()->Action(ID_EDIT_PROPERTIES)->toolTip(), QStringLiteral("Properites"));
        QCOMPARE(Frame()->Action(ID_EDIT_DELETE)->toolTip(), QStringLiteral("Delete"));
        QCOMPARE(Frame()->Action(ID_SAMPLE_PLAY)->statusTip(),
                 QStringLiteral("Play the current selection"));
        QCOMPARE(Frame()->Action(ID_EDIT_PASTE)->text(), QStringLiteral("&Paste\tCtrl+V"));
        QCOMPARE(Frame()->Action(ID_SAMPLE_CONVERT)->text(), QStringLiteral("&Convert...."));
        // A prompt shows while its command is highlighted, then "Ready" returns.
        QStatusTipEvent tip(Frame()->Action(ID_SAMPLE_REVERSE)->statusTip());
        QApplication::sendEvent(Frame(), &tip);
        QCOMPARE(Frame()->PaneText(0), QStringLiteral("Reverse the current selection"));
        QStatusTipEvent none{QString()};
        QApplication::sendEvent(Frame(), &none);
        QCOMPARE(Frame()->PaneText(0), QStringLiteral("Ready"));
        // No sample: nothing to act on.
        QVERIFY(!Enabled(ID_SAMPLE_PLAY));
        QVERIFY(!Enabled(ID_EDIT_COPY));
        QVERIFY(!Enabled(ID_WINDOW_CLOSEALL));
        QVERIFY(Enabled(ID_FILE_OPEN));
    }

    void commandLineWithSpacesOpensOneFileAndFillsThePanes() {
        const QString path = Write("two second tone.wav", StereoWave(88200));
        Start(path);
        QCOMPARE(Frame()->Views().size(), 1);
        QCOMPARE(View()->GetDocument()->GetTitle(), QStringLiteral("two second tone.wav"));
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("352800 bytes"));
        QCOMPARE(Frame()->PaneText(2), QStringLiteral("16 Bit"));
        QCOMPARE(Frame()->PaneText(3), QStringLiteral("44100 Hz"));
        QCOMPARE(Frame()->PaneText(4), QStringLiteral("2.00 secs"));
        QVERIFY(Frame()->PaneText(5).endsWith(QStringLiteral(":1")));
        QVERIFY(View()->IsStereoLayout());
        QVERIFY(View()->LowerWindow() != nullptr);
        QCOMPARE(View()->GetDocument()->originalFormat, SampleFormat(44100, true, true));
        QVERIFY(Frame()->windowTitle().contains(QStringLiteral("two second tone.wav")));
    }

    void droppedFilesOpenInOrderAndABrokenOneDoesNotStopTheRest() {
        Start();
        const QString a = Write("a.wav", MonoWave(100));
        const QString b = Write("b.wav", MonoWave(200));
        const QString c = Write("c.wav", MonoWave(300));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(a),
                      QUrl::fromLocalFile(m_dir->File("missing.wav").c_str()),
                      QUrl::fromLocalFile(b), QUrl::fromLocalFile(c)});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // Straight to the frame's handler, as the desktop's drag manager delivers it.
        static_cast<QObject*>(Frame())->event(&drop);
        const QList<COrvexView*> views = Frame()->Views();
        QCOMPARE(views.size(), 3);
        QCOMPARE(views[0]->GetDocument()->GetTitle(), QStringLiteral("a.wav"));
        QCOMPARE(views[1]->GetDocument()->GetTitle(), QStringLiteral("b.wav"));
        QCOMPARE(views[2]->GetDocument()->GetTitle(), QStringLiteral("c.wav"));
        QCOMPARE(views[2]->GetDocument()->sample.GetFrameCount(), 300u);
        QVERIFY(!m_services->messages.Shown().empty());
        QCOMPARE(m_services->messages.Texts().back(), std::string("Couldn't open file"));
    }

    void fileOpenThroughTheDialogRemembersTheFolder() {
        const QString path = Write("dialog.wav", MonoWave(500));
        Start();
        AnswerFileDialog(path);
        Frame()->Action(ID_FILE_OPEN)->trigger();
        QCOMPARE(Frame()->Views().size(), 1);
        QCOMPARE(Sound().GetFrameCount(), 500u);
        const std::string folder = m_dir->Path().string() + "/";
        QCOMPARE(m_services->settings.GetString("SOFTWARE\\Orvex", "LoadPath").value_or(""),
                 folder);
    }

    void commandsFollowSelectionClipboardAndPlayback() {
        Start(Write("mono.wav", MonoWave(1000)));
        QVERIFY(Enabled(ID_EDIT_COPY));
        QVERIFY(Enabled(ID_SAMPLE_REVERSE));
        QVERIFY(!Enabled(ID_EDIT_PASTE));      // nothing on the clipboard yet
        QVERIFY(!Enabled(ID_SAMPLE_PANNING));  // mono
        QVERIFY(Enabled(ID_SAMPLE_AMPLIFY));
        QVERIFY(Enabled(ID_SAMPLE_CONVERT));
        QVERIFY(Enabled(ID_SAMPLE_ENVELOPE));
        QVERIFY(Enabled(ID_SAMPLE_COMPRESSOR));
        QVERIFY(Enabled(ID_SAMPLE_RECORD));

        View()->SetSelection(10, 19, 0);
        Frame()->Action(ID_EDIT_COPY)->trigger();
        QVERIFY(Enabled(ID_EDIT_PASTE));

        // A fresh caret means the whole sample: Play plays all of it.
        View()->SetCaret(0, 0);
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        QVERIFY(m_services->devices.output != nullptr);
        QCOMPARE(m_services->devices.output->blockBytes, 1000u);
        QVERIFY(View()->IsPlayTimerRunning());
        QVERIFY(Enabled(ID_SAMPLE_PLAY));
        QVERIFY(Enabled(ID_VIEW_ZOOMIN));
        QVERIFY(Enabled(ID_VIEW_ZOOMOUT));
        QVERIFY(!Enabled(ID_EDIT_CUT));
        QVERIFY(!Enabled(ID_EDIT_PASTE));
        QVERIFY(!Enabled(ID_SAMPLE_REVERSE));
        QVERIFY(!Enabled(ID_SAMPLE_AMPLIFY));
        QVERIFY(!Enabled(ID_SAMPLE_CONVERT));
        QVERIFY(!Enabled(ID_SAMPLE_ENVELOPE));
        QVERIFY(!Enabled(ID_SAMPLE_COMPRESSOR));

        // The play cursor follows the device's position on the 50 ms timer.
        m_services->devices.output->position = 400;
        QTRY_COMPARE_WITH_TIMEOUT(View()->UpperWindow()->GetPlayCursor(), 400u, 2000);

        // Running to the end leaves the cursor on the last frame and the commands enabled.
        m_services->devices.output->Finish();
        QTRY_VERIFY_WITH_TIMEOUT(!Playing(), 2000);
        QVERIFY(!View()->IsPlayTimerRunning());
        QCOMPARE(View()->UpperWindow()->GetPlayCursor(), 999u);
        QVERIFY(Enabled(ID_EDIT_CUT));
        QVERIFY(Enabled(ID_EDIT_PASTE));
    }

    void amplifyAndConvertRunThroughTheirDialogs() {
        Start(Write("stereo.wav", StereoWave(1000)));
        View()->SetSelection(10, 19, 0);
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            Click(dialog, "1015");  // unlock, then one volume a side
            TypeOver(dialog, "1013", QStringLiteral("200"));
            TypeOver(dialog, "1014", QStringLiteral("50"));
            static_cast<QDialog*>(dialog)->accept();
        });
        Frame()->Action(ID_SAMPLE_AMPLIFY)->trigger();
        FrameValue frame;
        Sound().GetFrame(10, kLayoutStereo16, frame);
        QCOMPARE(frame.slot[0], int16_t(20));
        QCOMPARE(frame.slot[1], int16_t(-5));
        Sound().GetFrame(20, kLayoutStereo16, frame);
        QCOMPARE(frame.slot[0], int16_t(20));  // outside the selection

        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            TypeOver(dialog, "1001", QStringLiteral("22050 Hz"));
            Click(RadioByText(dialog, "&Mono"));
            static_cast<QDialog*>(dialog)->accept();
        });
        Frame()->Action(ID_SAMPLE_CONVERT)->trigger();
        QCOMPARE(Sound().FormatRef(), SampleFormat(22050, false, true));
        QCOMPARE(Sound().GetFrameCount(), 500u);
        QCOMPARE(Frame()->PaneText(3), QStringLiteral("22050 Hz"));
        QVERIFY(View()->LowerWindow() == nullptr);
        QVERIFY(View()->UpperWindow()->HasCaret());
        QCOMPARE(View()->UpperWindow()->GetCaret(), 0u);
    }

    void curveCommandsRunThroughTheirDialogs() {
        Start(Write("stereo.wav", StereoWave(1000)));
        QVERIFY(Enabled(ID_SAMPLE_PANNING));
        QCOMPARE(Frame()->Action(ID_SAMPLE_PANNING)->toolTip(), QStringLiteral("Panning"));
        QCOMPARE(Frame()->Action(ID_SAMPLE_ENVELOPE)->statusTip(),
                 QStringLiteral("Adjust the sample Envelope"));
        QCOMPARE(Frame()->Action(ID_SAMPLE_COMPRESSOR)->toolTip(),
                 QStringLiteral("Compressor / Expander"));
        // Panning from the middle gives each side half of the mix: +i and -i cancel out.
        View()->SetSelection(100, 199, 0);
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Stereo Panning"));
            dialog->accept();
        });
        Frame()->Action(ID_SAMPLE_PANNING)->trigger();
        FrameValue frame;
        for (uint32_t f : {100u, 150u, 199u}) {
            Sound().GetFrame(f, kLayoutStereo16, frame);
            QCOMPARE(frame.slot[0], int16_t(0));
            QCOMPARE(frame.slot[1], int16_t(0));
        }
        QCOMPARE(Left(Sound(), 99), int16_t(99));
        // The flat envelope at 50 % halves the selection on both sides.
        View()->SetSelection(500, 599, 0);
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            TypeOver(dialog, "1013", QStringLiteral("50"));
            static_cast<QDialog*>(dialog)->accept();
        });
        Frame()->Action(ID_SAMPLE_ENVELOPE)->trigger();
        Sound().GetFrame(550, kLayoutStereo16, frame);
        QCOMPARE(frame.slot[0], int16_t(275));
        QCOMPARE(frame.slot[1], int16_t(-275));
        QCOMPARE(Left(Sound(), 600), int16_t(600));
    }

    void playWhilePlayingStopsWhereThePlaybackWas() {
        Start(Write("mono.wav", MonoWave(1000)));
        View()->SetSelection(100, 899, 0);
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        m_services->devices.output->position = 250;
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        QCOMPARE(View()->UpperWindow()->GetPlayCursor(), 350u);
        QVERIFY(!View()->IsPlayTimerRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!Playing(), 2000);
        // The completion after the reset does not move the cursor.
        QCOMPARE(View()->UpperWindow()->GetPlayCursor(), 350u);
    }

    void deleteLeavesTheCaretAtTheCutAndUpdatesTheStatus() {
        Start(Write("stereo.wav", StereoWave(1000)));
        View()->SetSelection(100, 199, 0);
        Frame()->Action(ID_EDIT_DELETE)->trigger();
        QCOMPARE(Sound().GetFrameCount(), 900u);
        QCOMPARE(Left(Sound(), 100), int16_t(200));
        QVERIFY(View()->UpperWindow()->HasCaret());
        QCOMPARE(View()->UpperWindow()->GetCaret(), 100u);
        QVERIFY(View()->LowerWindow()->HasCaret());
        QCOMPARE(View()->LowerWindow()->GetCaret(), 100u);
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("3600 bytes"));
        QCOMPARE(Frame()->PaneText(4), QStringLiteral("0.02 secs"));
    }

    void cutThenPasteAtTheCaretPutsTheCaretAfterThePaste() {
        Start(Write("mono.wav", MonoWave(300)));
        View()->SetSelection(10, 19, 0);
        Frame()->Action(ID_EDIT_CUT)->trigger();
        QCOMPARE(Sound().GetFrameCount(), 290u);
        QCOMPARE(Sound().Data()[10], uint8_t(20));
        View()->SetCaret(5, 0);
        Frame()->Action(ID_EDIT_PASTE)->trigger();
        QCOMPARE(Sound().GetFrameCount(), 300u);
        QCOMPARE(Sound().Data()[5], uint8_t(10));
        QCOMPARE(Sound().Data()[14], uint8_t(19));
        QCOMPARE(Sound().Data()[15], uint8_t(5));
        QCOMPARE(View()->UpperWindow()->GetCaret(), 15u);
    }

    void pasteOfStereoIntoAnEmptyDocumentMakesTheLowerWindow() {
        Start(Write("stereo.wav", StereoWave(50)));
        View()->SetSelection(0, 49, 0);
        Frame()->Action(ID_EDIT_COPY)->trigger();
        Frame()->Action(ID_FILE_NEW)->trigger();
        QCOMPARE(View()->GetDocument()->GetTitle(), QStringLiteral("Orvex1"));
        QVERIFY(!View()->IsStereoLayout());
        QVERIFY(!Enabled(ID_SAMPLE_PLAY));
        Frame()->Action(ID_EDIT_PASTE)->trigger();
        QCOMPARE(Sound().GetFrameCount(), 50u);
        QVERIFY(View()->IsStereoLayout());
        QCOMPARE(View()->UpperWindow()->GetCaret(), 49u);
        QCOMPARE(View()->LowerWindow()->GetCaret(), 49u);
        // Both windows show the whole sound fitted to the width the layout gave them.
        QCOMPARE(View()->LowerWindow()->width(), View()->UpperWindow()->width());
        QCOMPARE(View()->LowerWindow()->GetZoom(), View()->UpperWindow()->GetZoom());
        QCOMPARE(View()->LowerWindow()->GetFirst(), 0u);
        QCOMPARE(View()->LowerWindow()->GetLast(), View()->UpperWindow()->GetLast());
    }

    void reverseChangeSignAndPeakSearchWorkOnTheMarkedRange() {
        Start(Write("stereo.wav", StereoWave(100)));
        // Only a caret: Reverse acts on the whole sample.
        Frame()->Action(ID_SAMPLE_REVERSE)->trigger();
        QCOMPARE(Left(Sound(), 0), int16_t(99));
        QCOMPARE(Left(Sound(), 99), int16_t(0));
        // The loudest left value is 99, now at frame 0... the right channel holds -99 there.
        View()->SetSelection(10, 20, 0);
        Frame()->Action(ID_SAMPLE_PEAKSEARCH)->trigger();
        QCOMPARE(View()->UpperWindow()->GetPlayCursor(), 10u);
        Frame()->Action(ID_SAMPLE_CHANGESIGN)->trigger();
        // XOR 0x80 on both bytes of 16-bit values: 89 (0x0059) becomes 0x80D9.
        QCOMPARE(static_cast<uint16_t>(Left(Sound(), 10)), uint16_t(0x80D9));
        QCOMPARE(Left(Sound(), 21), int16_t(78));
    }

    void undoWhilePlayingStopsPlaybackFirst() {
        Start(Write("mono.wav", MonoWave(400)));
        View()->SetSelection(0, 99, 0);
        Frame()->Action(ID_EDIT_COPY)->trigger();
        View()->SetCaret(0, 0);
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        QVERIFY(Playing());
        Frame()->Action(ID_EDIT_UNDO)->trigger();
        QVERIFY(!Playing());
        QCOMPARE(m_services->devices.log.Live(), 0);
        QVERIFY(!View()->IsPlayTimerRunning());
        QCOMPARE(Sound().GetFrameCount(), 100u);
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("100 bytes"));
        QVERIFY(Enabled(ID_EDIT_CUT));
    }

    void playbackBelongsToTheDocumentAndEveryViewOfItGoesIdleTogether() {
        Start(Write("mono.wav", MonoWave(400)));
        COrvexView* first = View();
        first->SetSelection(0, 99, 0);
        Frame()->Action(ID_EDIT_COPY)->trigger();
        first->SetCaret(0, 0);
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        Frame()->Action(ID_WINDOW_NEW)->trigger();
        COrvexView* second = View();
        QVERIFY(second != first);
        // The new window follows the playback it did not start.
        QVERIFY(first->IsPlayTimerRunning());
        QVERIFY(second->IsPlayTimerRunning());
        m_services->devices.output->position = 300;
        QTRY_COMPARE_WITH_TIMEOUT(second->UpperWindow()->GetPlayCursor(), 300u, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(first->UpperWindow()->GetPlayCursor(), 300u, 2000);
        QVERIFY(!Enabled(ID_EDIT_CUT));

        // Undo in the window that did not start playback stops it in both.
        Frame()->Action(ID_EDIT_UNDO)->trigger();
        QVERIFY(!Playing());
        QCOMPARE(m_services->devices.log.Live(), 0);
        QVERIFY(!first->IsPlayTimerRunning());
        QVERIFY(!second->IsPlayTimerRunning());
        QCOMPARE(first->UpperWindow()->GetPlayCursor(), 300u);
        QVERIFY(Enabled(ID_EDIT_CUT));
        Frame()->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
        QCOMPARE(View(), first);
        QVERIFY(Enabled(ID_EDIT_CUT));
    }

    void savingAsMuLawFromAnotherViewStopsPlaybackEverywhere() {
        Start(Write("mono.wav", MonoWave(1000)));
        COrvexView* first = View();
        first->SetCaret(0, 0);
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        Frame()->Action(ID_WINDOW_NEW)->trigger();
        COrvexView* second = View();
        // The save rewrites the 8-bit sound as 16-bit: the device must let go of it first.
        second->GetDocument()->SetPathName(QString::fromStdString(m_dir->File("mono.au")));
        QVERIFY(Enabled(ID_FILE_SAVE));
        Frame()->Action(ID_FILE_SAVE)->trigger();
        QVERIFY(m_services->messages.Shown().empty());
        QCOMPARE(Sound().GetBits(), 16u);
        QVERIFY(!Playing());
        QCOMPARE(m_services->devices.log.Live(), 0);
        QVERIFY(!first->IsPlayTimerRunning());
        QVERIFY(!second->IsPlayTimerRunning());
        QVERIFY(Enabled(ID_SAMPLE_CONVERT));
        // The completion the reset posted never arrives to close a new playback.
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        QTest::qWait(20);
        QVERIFY(Playing());
        QVERIFY(first->IsPlayTimerRunning());
    }

    void playThatCannotOpenTheDeviceLeavesTheViewIdle() {
        Start(Write("mono.wav", MonoWave(100)));
        m_services->devices.openResult = kAudioAllocated;
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        QVERIFY(!Playing());
        QVERIFY(!View()->IsPlayTimerRunning());
        QVERIFY(!View()->GetDocument()->IsCursorFollowingPlayback());
        QVERIFY(Enabled(ID_EDIT_CUT));
        QVERIFY(m_services->messages.Shown().empty());
        m_services->devices.openResult = kAudioOk;
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        QVERIFY(Playing());
    }

    void aDeviceThatFailsPutsTheViewsIdleWithoutAMessage() {
        Start(Write("mono.wav", MonoWave(1000)));
        Frame()->Action(ID_WINDOW_NEW)->trigger();
        COrvexView* second = View();
        View()->SetCaret(0, 0);
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        QVERIFY(Playing());
        m_services->devices.output->position = 400;
        QTRY_COMPARE_WITH_TIMEOUT(second->UpperWindow()->GetPlayCursor(), 400u, 2000);
        m_services->devices.output->Fail();
        QTRY_VERIFY_WITH_TIMEOUT(!Playing(), 2000);
        QVERIFY(!View()->GetDocument()->IsCursorFollowingPlayback());
        for (COrvexView* view : View()->GetDocument()->Views()) {
            QVERIFY(!view->IsPlayTimerRunning());
            QCOMPARE(view->UpperWindow()->GetPlayCursor(), 400u);  // not the end of the range
        }
        QVERIFY(Enabled(ID_EDIT_CUT));
        QCOMPARE(m_services->devices.log.Live(), 0);

        // A device that does not take the block: nothing plays, nothing moves.
        m_services->devices.writeResult = kAudioError;
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        QVERIFY(!Playing());
        QVERIFY(!View()->IsPlayTimerRunning());
        QCOMPARE(View()->UpperWindow()->GetPlayCursor(), 400u);
        QVERIFY(Enabled(ID_EDIT_CUT));
        QCOMPARE(m_services->devices.log.Live(), 0);
        QVERIFY(m_services->messages.Shown().empty());
        m_services->devices.writeResult = kAudioOk;
        Frame()->Action(ID_SAMPLE_PLAY)->trigger();
        QVERIFY(Playing());
    }

    void closeAllClosesEveryWindowWithoutAsking() {
        Start(Write("one.wav", MonoWave(100)));
        m_app->OpenDocumentFile(Write("two.wav", MonoWave(100)));
        Frame()->Action(ID_WINDOW_NEW)->trigger();
        QCOMPARE(Frame()->MdiArea()->subWindowList().size(), 3);
        QCOMPARE(View()->windowTitle(), QStringLiteral("two.wav:2"));
        Frame()->Action(ID_WINDOW_CLOSEALL)->trigger();
        QCOMPARE(Frame()->MdiArea()->subWindowList().size(), 0);
        QVERIFY(m_services->messages.Shown().empty());
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("----"));
        QVERIFY(!Enabled(ID_EDIT_COPY));
    }

    void tileAndResizeRepaintEveryChildWindowWhole() {
        static int recursive = 0;
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                if (text.contains(QStringLiteral("Recursive repaint")))
                    ++recursive;
            });
        Start(Write("stereo.wav", StereoWave(2000)));
        m_app->OpenDocumentFile(Write("mono.wav", MonoWave(300)));
        Frame()->resize(1200, 860);
        Frame()->Action(ID_WINDOW_TILE_HORZ)->trigger();
        // Laying out the window behind leaves the active one's figures in the status bar.
        QCOMPARE(View()->GetDocument()->GetTitle(), QStringLiteral("mono.wav"));
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("300 bytes"));
        QMdiSubWindow* sub = Frame()->MdiArea()->subWindowList(QMdiArea::CreationOrder).first();
        Frame()->MdiArea()->setActiveSubWindow(sub);
        // Its corner dragged outward, nearly to the workspace's corner.
        const QRect area = Frame()->MdiArea()->viewport()->rect();
        QVERIFY(sub->width() < area.width() - 20);
        sub->setGeometry(0, 0, area.width() - 20, area.height() - 20);
        QTest::qWait(50);
        auto* view = qobject_cast<COrvexView*>(sub->widget());
        const QImage shot = Shown(view);
        qInstallMessageHandler(previous);
        QCOMPARE(recursive, 0);
        // The ruler, the scroll bar and both waveforms reach the view's new right edge.
        const int right = view->width() - 6;
        QCOMPARE(view->Ruler()->geometry().right(), right);
        QCOMPARE(view->ScrollBar()->geometry().right(), right);
        const QColor base = view->UpperWindow()->palette().color(QPalette::Base);
        for (CWaveformWnd* w : {view->UpperWindow(), view->LowerWindow()}) {
            QCOMPARE(w->geometry().right(), view->width() - 8);
            // The top rows of a quiet sound are the waveform's background, edge to edge.
            for (int x : {w->geometry().left() + 1, w->geometry().right() - 1})
                QCOMPARE(shot.pixelColor(x, w->geometry().top() + 2), base);
        }
        const QColor face = view->Ruler()->palette().color(QPalette::Button);
        QCOMPARE(shot.pixelColor(view->Ruler()->geometry().right() - 3,
                                 view->Ruler()->geometry().bottom() - 2),
                 face);
    }

    void cascadeTileAndNewWindowsStayUsableAndInsideTheWorkspace() {
        Start(Write("one.wav", MonoWave(300)));
        for (int i = 0; i < 7; ++i) Frame()->Action(ID_WINDOW_NEW)->trigger();
        const QRect area = Frame()->MdiArea()->viewport()->rect();
        for (QMdiSubWindow* sub : Frame()->MdiArea()->subWindowList())
            QVERIFY2(area.contains(sub->geometry()), qPrintable(sub->windowTitle()));
        Frame()->Action(ID_WINDOW_CASCADE)->trigger();
        for (QMdiSubWindow* sub : Frame()->MdiArea()->subWindowList()) {
            QVERIFY(sub->width() >= 300);
            QVERIFY(sub->height() >= 200);
        }
        Frame()->Action(ID_WINDOW_TILE_HORZ)->trigger();
        for (QMdiSubWindow* sub : Frame()->MdiArea()->subWindowList())
            QVERIFY(area.contains(sub->geometry()));
    }

    void everyViewOfASoundShowsItsChange() {
        Start(Write("mono.wav", MonoWave(400)));
        COrvexView* first = View();
        Frame()->Action(ID_WINDOW_NEW)->trigger();
        COrvexView* second = View();
        second->SetSelection(0, 99, 0);
        Frame()->Action(ID_EDIT_DELETE)->trigger();
        QCOMPARE(Sound().GetFrameCount(), 300u);
        // The other window shows the shorter sound, no frame of it past the end.
        QVERIFY(first->UpperWindow()->GetLast() < 300u);
        QCOMPARE(first->UpperWindow()->GetZoom(), second->UpperWindow()->GetZoom());
        QCOMPARE(first->windowTitle(), QStringLiteral("mono.wav:1*"));
        // A left-only Change Sign of a stereo sound flips both channels and redraws both.
        m_app->OpenDocumentFile(Write("stereo.wav", StereoWave(100)));
        View()->LowerWindow()->HideMarks();
        View()->SetSelection(0, 99, 1);
        uint32_t from = 0, to = 0;
        int selector = 0;
        View()->GetMarkedRange(from, to, selector);
        QCOMPARE(selector, 1);
        QTest::qWait(50);
        const QImage before = Shown(View()->LowerWindow());
        Frame()->Action(ID_SAMPLE_CHANGESIGN)->trigger();
        QTest::qWait(50);
        QVERIFY(Shown(View()->LowerWindow()) != before);
    }

    void saveAfterSaveAsWritesTheNewFileAndLeavesTheOldOne() {
        const QString song = Write("song.wav", MonoWave(64));
        const std::vector<uint8_t> original = ReadBytes(song.toStdString());
        Start(song);
        Frame()->Action(ID_SAMPLE_REVERSE)->trigger();
        AnswerFileDialog(QString::fromStdString(m_dir->File("copy.wav")));
        Frame()->Action(ID_FILE_SAVE_AS)->trigger();
        QCOMPARE(View()->windowTitle(), QStringLiteral("copy.wav"));
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Orvex - copy.wav"));
        Frame()->Action(ID_SAMPLE_REVERSE)->trigger();
        QCOMPARE(View()->windowTitle(), QStringLiteral("copy.wav*"));
        Frame()->Action(ID_FILE_SAVE)->trigger();
        QCOMPARE(View()->windowTitle(), QStringLiteral("copy.wav"));
        QCOMPARE(ReadBytes(song.toStdString()), original);
        // Reversed twice: the copy holds the original sound (its last 64 bytes).
        const std::vector<uint8_t> copy = ReadBytes(m_dir->File("copy.wav"));
        QCOMPARE(std::vector<uint8_t>(copy.end() - 64, copy.end()),
                 std::vector<uint8_t>(original.end() - 64, original.end()));
        QVERIFY(m_services->messages.Shown().empty());
    }

    void closingAModifiedSoundAsksToSaveIt() {
        const QString path = Write("mono.wav", MonoWave(100));
        const std::vector<uint8_t> original = ReadBytes(path.toStdString());
        RecordingMessageSink& sink = m_services->messages;
        Start(path);
        QVERIFY(!View()->GetDocument()->IsModified());
        Frame()->Action(ID_FILE_CLOSE)->trigger();  // unchanged: no question
        QVERIFY(sink.Questions().empty());
        QTRY_COMPARE(Frame()->MdiArea()->subWindowList().size(), 0);

        const std::vector<std::string> asked{"Save changes to mono.wav?"};
        m_app->OpenDocumentFile(path);
        Frame()->Action(ID_SAMPLE_REVERSE)->trigger();
        QVERIFY(View()->GetDocument()->IsModified());
        // Cancel keeps everything open, whichever way the close came.
        sink.SetSaveAnswer(SaveChoice::kCancel);
        Frame()->Action(ID_FILE_CLOSE)->trigger();
        QVERIFY(!Frame()->CloseAll());
        QVERIFY(!Frame()->close());
        QCOMPARE(sink.Questions().size(), size_t(3));
        QCOMPARE(sink.Questions()[0], asked[0]);
        QTest::qWait(20);
        QCOMPARE(Frame()->MdiArea()->subWindowList().size(), 1);
        QCOMPARE(ReadBytes(path.toStdString()), original);

        // Save writes the file and closes; the saved sound asks nothing more.
        sink.Clear();
        sink.SetSaveAnswer(SaveChoice::kSave);
        Frame()->Action(ID_FILE_CLOSE)->trigger();
        QCOMPARE(sink.Questions(), asked);
        QTRY_COMPARE(Frame()->MdiArea()->subWindowList().size(), 0);
        QCOMPARE(ReadBytes(path.toStdString()).back(), uint8_t(0));  // reversed

        // Discard closes without writing; after a save nothing is asked.
        sink.Clear();
        m_app->OpenDocumentFile(path);
        Frame()->Action(ID_SAMPLE_REVERSE)->trigger();
        Frame()->Action(ID_FILE_SAVE)->trigger();
        QVERIFY(!View()->GetDocument()->IsModified());
        const std::vector<uint8_t> saved = ReadBytes(path.toStdString());
        Frame()->Action(ID_SAMPLE_REVERSE)->trigger();
        sink.SetSaveAnswer(SaveChoice::kDiscard);
        QVERIFY(Frame()->CloseAll());
        QCOMPARE(sink.Questions(), asked);
        QCOMPARE(Frame()->MdiArea()->subWindowList().size(), 0);
        QCOMPARE(ReadBytes(path.toStdString()), saved);
    }

    void recentFilesKeepTheFourNewest() {
        Start();
        for (const char* name : {"1.wav", "2.wav", "3.wav", "4.wav", "5.wav"})
            m_app->OpenDocumentFile(Write(name, MonoWave(10)));
        const QStringList recent = Frame()->RecentFiles();
        QCOMPARE(recent.size(), 4);
        QVERIFY(recent[0].endsWith(QStringLiteral("/5.wav")));
        QVERIFY(recent[3].endsWith(QStringLiteral("/2.wav")));
        QCOMPARE(QString::fromStdString(
                     m_services->settings.GetString("Recent File List", "File1").value_or("")),
                 recent[0]);
        // A new run reads the list back.
        m_app.reset();
        Start();
        QCOMPARE(Frame()->RecentFiles(), recent);
    }

    void toolbarStateIsSavedAndRestored() {
        Start();
        Frame()->addToolBar(Qt::LeftToolBarArea, Frame()->UtilitiesToolBar());
        Frame()->close();
        m_app.reset();
        Start();
        QCOMPARE(Frame()->toolBarArea(Frame()->UtilitiesToolBar()), Qt::LeftToolBarArea);
        QCOMPARE(Frame()->toolBarArea(Frame()->MainToolBar()), Qt::TopToolBarArea);
    }

    void saveAsWritesByTheTypedExtension() {
        Start(Write("song.wav", MonoWave(64)));
        AnswerFileDialog(QString::fromStdString(m_dir->File("song.txt")));
        Frame()->Action(ID_FILE_SAVE_AS)->trigger();
        // Raw data whatever type entry the dialog showed: the bytes alone.
        const std::vector<uint8_t> raw = ReadBytes(m_dir->File("song.txt"));
        QCOMPARE(raw.size(), size_t(64));
        QCOMPARE(raw[63], uint8_t(63));
        QCOMPARE(View()->GetDocument()->GetTitle(), QStringLiteral("song.txt"));
        QVERIFY(View()->GetDocument()->GetPathName().endsWith(QStringLiteral("song.txt")));
        QVERIFY(m_services->messages.Shown().empty());
    }

    void aSecondProcessHandsItsFileToTheRunningEditor() {
#ifdef ORVEX_EXECUTABLE
        const QString server =
            QStringLiteral("orvex-test-%1").arg(QCoreApplication::applicationPid());
        Start(QString(), server);
        const QString path = Write("handed over.wav", MonoWave(77));
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ORVEX_INSTANCE_NAME"), server);
        env.insert(QStringLiteral("ORVEX_SETTINGS_DIR"),
                   QString::fromStdString(m_dir->Path().string()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(ORVEX_EXECUTABLE), {path});
        QVERIFY(second.waitForStarted(5000));
        QTRY_COMPARE_WITH_TIMEOUT(Frame()->Views().size(), 1, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 15000);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(View()->GetDocument()->GetTitle(), QStringLiteral("handed over.wav"));
        QCOMPARE(Sound().GetFrameCount(), 77u);
#else
        QSKIP("the editor program is not built");
#endif
    }

    void aHandedOverFileThatCannotBeOpenedIsReportedAndTheOthersStillOpen() {
        ModalMessageSink modal;
        SoundFileRegistry registry(modal);
        Services services{registry, m_services->settings, m_services->clipboard, modal,
                          m_services->devices};
        const QString server =
            QStringLiteral("orvex-test-modal-%1").arg(QCoreApplication::applicationPid());
        StartWith(services, QString(), server);
        const QString request = QString::fromStdString(m_dir->File("no such file.wav")) + '\n' +
                                Write("empty.wav", {}) + '\n' + Write("good.wav", MonoWave(50)) +
                                '\n';
        QLocalSocket client;
        client.connectToServer(server);
        QVERIFY(client.waitForConnected(5000));
        client.write(request.toUtf8());
        QVERIFY(client.waitForBytesWritten(5000));
        client.disconnectFromServer();
        QTRY_COMPARE_WITH_TIMEOUT(View() ? View()->GetDocument()->GetTitle() : QString(),
                                  QStringLiteral("good.wav"), 10000);
        QCOMPARE(Frame()->Views().size(), 2);  // the empty file opens as an empty sound
        QCOMPARE(modal.Texts(),
                 (std::vector<std::string>{"Error - Couldn't open as Wave!", "Couldn't open file",
                                           "This File is NOT a wave file"}));
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
