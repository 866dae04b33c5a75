// Drives the real main window and its child windows: opening files by every road, the status
// panes, the commands as selection, clipboard and playback change, the edits, two windows of one
// sound, the layouts, saving and closing, what a restart keeps, the hand-over of files between
// two processes, the frequency view, the "Sample Properties" window and the mixer.
#include <QLocalSocket>
#include <QtTest>
#include <QtWidgets>
#include <functional>

#include "support/SampleMaker.h"
#include "support/TempDir.h"
#include "support/TestServices.h"
#include "support/WaveBytes.h"
#include "ui/DialogDriver.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/controls/UpDown.h"
#include "ui/mixer/CMixerStrip.h"
#include "ui/mixer/CMixerView.h"
#include "ui/properties/CMiniPropDlg.h"
#include "ui/properties/CPptyInformation.h"
#include "ui/properties/CPptySample.h"
#include "ui/properties/CPptyView.h"
#include "ui/properties/CSampleProperties.h"
#include "ui/view/COrvexView.h"
#include "ui/view/CTimeRuler.h"
#include "ui/view/CWaveformWnd.h"

namespace {

// Frames whose value is the frame's index (the right channel's its negation), so that every
// edit shows in the numbers.
Bytes8 Wave(uint32_t frames, uint16_t channels = 1, uint16_t bits = 8, uint32_t rate = 11025) {
    Bytes8 data;
    for (uint32_t i = 0; i < frames * channels; ++i) {
        const auto value = static_cast<uint16_t>(i % channels == 0 ? i / channels : -(i / 2));
        if (bits == 16)
            Put16(data, value);
        else
            data.push_back(static_cast<uint8_t>(value));
    }
    return WaveBytes::Simple(channels, rate, bits, data);
}
Bytes8 Stereo(uint32_t frames) {
    return Wave(frames, 2, 16, 44100);
}
std::pair<int, int> Values(const SampleBuffer& buffer, uint32_t frame) {
    FrameValue value;
    buffer.GetFrame(frame, kLayoutStereo16, value);
    return {value.slot[0], value.slot[1]};
}
// What the screen shows of `widget` now: its window's painted image, not a fresh rendering.
QImage OnScreen(QWidget* widget) {
    const QPoint at = widget->mapTo(widget->window(), QPoint(0, 0));
    const QImage whole = widget->screen()->grabWindow(widget->window()->winId()).toImage();
    return whole.copy(QRect(at, widget->size()));
}
// Fills in the next modal dialog by `answer` and accepts it.
void AnswerDialog(std::function<void(QWidget*)> answer) {
    WhenModalOpens<QDialog>([answer](QDialog* dialog) { answer(dialog), dialog->accept(); });
}
// Types `name` into the next file dialog; any question on the way gets its default answer.
// The name box has the focus, as it does for a user: only then does a typed name replace the
// file selected in the list.
void AnswerFileDialog(const QString& name) {
    AnswerDialog([name](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QApplication::setActiveWindow(dialog);
        edit->setFocus();
        edit->setText(name);
        QTimer::singleShot(200, []() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->done(QMessageBox::Yes);
        });
    });
}
std::pair<uint32_t, uint32_t> Marked(const COrvexView* view) {
    uint32_t first = 0, last = 0;
    int selector = 0;
    view->GetMarkedRange(first, last, selector);
    return {first, last};
}
QStringList Items(QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}
// Presses on the block's left edge, moves by `dx` pixels in steps of `step`, and releases.
void Drag(CMixerStrip* strip, int dx, int step) {
    strip->grab();  // places the block
    int x = strip->BlockLeft() + 1;
    QString steps = QStringLiteral("p%1").arg(x);
    for (const int end = x + dx; x != end;) {
        x += dx > 0 ? std::min(step, end - x) : std::max(-step, end - x);
        steps += QStringLiteral(" d%1").arg(x);
    }
    Mouse(strip, steps + QStringLiteral(" r%1").arg(x));
}

// Records messages as a message box shows them: each runs an event loop of its own for a
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

class MainFrameTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<TempDir> m_dir;  // a scratch folder for every case
    std::unique_ptr<COrvexApp> m_app;

    CMainFrame* Frame() const { return m_app->MainFrame(); }
    // The editor started without the splash, on `services`.
    bool StartEditor(Services& services, const QString& commandLine = QString(),
                     const QString& server = QString()) {
        m_app = std::make_unique<COrvexApp>(services);
        COrvexApp::Options options;
        options.showSplash = false;
        options.shellServerName = server;
        return m_app->InitInstance(commandLine, options);
    }
    QString WriteFile(const std::string& name, const Bytes8& bytes) {
        WriteBytes(m_dir->File(name), bytes);
        return QString::fromStdString(m_dir->File(name));
    }
    // Opens the file's bytes as the user does and lets the new window settle.
    COrvexView* OpenFile(const std::string& name, const Bytes8& bytes) {
        COrvexView* view = m_app->OpenDocumentFile(WriteFile(name, bytes));
        QCoreApplication::processEvents();
        return view;
    }
    void Activate(COrvexView* view) {
        Frame()->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
        QCoreApplication::processEvents();
    }
    void Start(const QString& commandLine = QString()) {
        QVERIFY(StartEditor(m_services->services, commandLine));
    }
    // Quits as the user does, so that the frame saves what it keeps, and starts again.
    void Restart() {
        Frame()->close();
        m_app.reset();
        Start();
    }
    void Run(int id) { Frame()->Action(id)->trigger(); }
    bool Enabled(int id) const { return Frame()->Action(id)->isEnabled(); }
    // Which of `ids` are enabled, as '+' and '-'.
    QString EnabledOf(std::initializer_list<int> ids) const {
        QString states;
        for (int id : ids) states += Enabled(id) ? '+' : '-';
        return states;
    }
    COrvexView* View() const { return Frame()->ActiveView(); }
    SampleBuffer& Sound() const { return View()->GetDocument()->sample; }
    bool Playing() const { return View()->GetDocument()->Playback().IsPlaying(); }
    int Windows() const { return Frame()->MdiArea()->subWindowList().size(); }
    FakeOutput& Output() const { return *m_services->devices.output; }
    RecordingMessageSink& Messages() const { return m_services->messages; }
    // Plays the active view's whole sound from a caret at frame 0.
    void PlayAll() {
        View()->SetCaret(0, 0);
        Run(ID_SAMPLE_PLAY);
        QVERIFY(Playing());
    }
    // Playback stopped for good: no device left open, no view following it, editing allowed.
    void ExpectIdle(const QList<COrvexView*>& views) {
        QVERIFY(!Playing());
        QCOMPARE(m_services->devices.log.Live(), 0);
        for (COrvexView* view : views) QVERIFY(!view->IsPlayTimerRunning());
        QVERIFY(Enabled(ID_EDIT_CUT));
    }
    // Commands that change the sound.
    static constexpr std::initializer_list<int> kEdits = {
        ID_EDIT_CUT,       ID_EDIT_PASTE,      ID_SAMPLE_REVERSE,   ID_SAMPLE_AMPLIFY,
        ID_SAMPLE_CONVERT, ID_SAMPLE_ENVELOPE, ID_SAMPLE_COMPRESSOR};

    // The properties window, its pages and their controls by id.
    CSampleProperties* Sheet() const { return Frame()->Properties()->Sheet(); }
    QWidget* Format() const { return Sheet()->FormatPage(); }
    QWidget* ViewPage() const { return Sheet()->ViewPage(); }
    QWidget* Info() const { return Sheet()->InformationPage(); }
    // View > Display Style, and which of its entries are checked as '1' and '0'.
    QList<QAction*> StyleMenu() const {
        for (QAction* top : Frame()->menuBar()->actions())
            for (QAction* entry : top->menu()->actions())
                if (entry->menu() != nullptr && entry->text() == QStringLiteral("Display &Style"))
                    return entry->menu()->actions();
        return {};
    }
    QString Checked() const {
        QString checked;
        for (QAction* entry : StyleMenu()) checked += entry->isChecked() ? '1' : '0';
        return checked;
    }
    static int Style(COrvexView* view) {
        const int style = view->UpperWindow()->GetStyle();
        for (const CWaveformWnd* w : view->findChildren<CWaveformWnd*>())
            if (w->GetStyle() != style)
                return -1;
        return style;
    }

    // Mixers: a new one, and a sample window chosen in a row's list.
    CMixerView* NewMixer() {
        Run(ID_FILE_NEWMIXER);
        return Frame()->ActiveMixer();
    }
    void Choose(CMixerView* mixer, int row, const QString& title) {
        const int index = mixer->RowList(row)->findText(title);
        QVERIFY2(index >= 0, qPrintable(title));
        mixer->RowList(row)->setCurrentIndex(index);
        emit mixer->RowList(row)->activated(index);
    }
    COrvexView* OpenRaw(const std::string& name, const Bytes8& data, int bits = 8) {
        return OpenFile(name, WaveBytes::Simple(1, 11025, static_cast<uint16_t>(bits), data));
    }
    static void Settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

private slots:
    void init() {  // untitled windows count from 1 again in every case
        m_services = std::make_unique<TestServices>();
        m_dir = std::make_unique<TempDir>();
        COrvexDoc::ResetUntitledCountForTesting();
    }
    void cleanup() {  // the application goes before the services it uses
        m_app.reset();
        m_services.reset();
        m_dir.reset();
    }

    // ---- The frame ----

    void startsEmptyWithTheToolbarsSideBySide() {
        Start();
        QToolBar* main = Frame()->MainToolBar();
        QToolBar* utilities = Frame()->UtilitiesToolBar();
        QVERIFY(!Frame()->toolBarBreak(utilities) && utilities->y() == main->y() &&
                utilities->x() >= main->x() + main->width());
        QCOMPARE(EnabledOf({ID_SAMPLE_PLAY, ID_EDIT_COPY, ID_WINDOW_CLOSEALL, ID_FILE_OPEN}),
                 QStringLiteral("---+"));
        // A command's prompt shows while it is highlighted, then "Ready" returns.
        QStatusTipEvent tip(QStringLiteral("Reverse it")), none{QString()};
        QApplication::sendEvent(Frame(), &tip);
        QCOMPARE(Frame()->PaneText(0), tip.tip());
        QApplication::sendEvent(Frame(), &none);
        QCOMPARE(Frame()->PaneText(0), QStringLiteral("Ready"));
        // A toolbar moved, and the properties window moved and closed, stay so after a restart.
        QCOMPARE(Frame()->Properties()->pos(), QPoint(600, 400));  // with nothing stored
        Frame()->addToolBar(Qt::LeftToolBarArea, utilities);
        Frame()->Properties()->move(120, 90);
        Frame()->Properties()->close();
        Restart();
        QCOMPARE(std::pair(Frame()->Properties()->pos(), Frame()->Properties()->isVisible()),
                 std::pair(QPoint(120, 90), false));
        QCOMPARE(Frame()->toolBarArea(Frame()->UtilitiesToolBar()), Qt::LeftToolBarArea);
        QCOMPARE(Frame()->toolBarArea(Frame()->MainToolBar()), Qt::TopToolBarArea);
    }

    void opensFromTheCommandLineTheDialogAndADrop() {
        // A path with spaces is one file; the panes show its figures.
        Start(WriteFile("two second tone.wav", Stereo(88200)));
        QVERIFY(Frame()->windowTitle().contains(QStringLiteral("two second tone.wav")));
        QStringList panes;
        for (int pane = 1; pane < 5; ++pane) panes << Frame()->PaneText(pane);
        QCOMPARE(panes, (QStringList{"352800 bytes", "16 Bit", "44100 Hz", "2.00 secs"}));
        QVERIFY(View()->IsStereoLayout() && View()->LowerWindow() != nullptr);
        QCOMPARE(View()->GetDocument()->originalFormat, SampleFormat(44100, true, true));
        // The Open dialog remembers the folder.
        AnswerFileDialog(WriteFile("dialog.wav", Wave(500)));
        Run(ID_FILE_OPEN);
        QCOMPARE(Sound().GetFrameCount(), 500u);
        QCOMPARE(m_services->settings.GetString("SOFTWARE\\Orvex", "LoadPath").value_or(""),
                 m_dir->Path().string() + "/");
        // Dropped files open in order; a broken one does not stop the rest.
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(WriteFile("a.wav", Wave(100))),
                      QUrl::fromLocalFile(m_dir->File("missing.wav").c_str()),
                      QUrl::fromLocalFile(WriteFile("b.wav", Wave(300)))});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        static_cast<QObject*>(Frame())->event(&drop);  // as the desktop's drag manager does
        const QList<COrvexView*> views = Frame()->Views();
        QCOMPARE(views.size(), 4);
        QCOMPARE(views[2]->GetDocument()->GetTitle(), QStringLiteral("a.wav"));
        QCOMPARE(views[3]->GetDocument()->sample.GetFrameCount(), 300u);
        QCOMPARE(Messages().Texts().back(), "Couldn't open file");
    }

    void commandsFollowSelectionClipboardAndPlayback() {
        Start(WriteFile("mono.wav", Wave(1000)));
        // Mono: no panning; nothing copied yet: no paste.
        QCOMPARE(EnabledOf(kEdits), QStringLiteral("+-+++++"));
        QCOMPARE(EnabledOf({ID_EDIT_COPY, ID_SAMPLE_PANNING, ID_SAMPLE_RECORD}),
                 QStringLiteral("+-+"));
        View()->SetSelection(10, 19, 0);
        Run(ID_EDIT_COPY);
        QVERIFY(Enabled(ID_EDIT_PASTE));
        // A fresh caret means the whole sound; while it plays, only play and zoom stay.
        PlayAll();
        QCOMPARE(Output().blockBytes, 1000u);
        QVERIFY(View()->IsPlayTimerRunning());
        QCOMPARE(EnabledOf(kEdits), QStringLiteral("-------"));
        QVERIFY(Enabled(ID_SAMPLE_PLAY) && Enabled(ID_VIEW_ZOOMIN));
        // The play cursor follows the device on the timer; the end leaves it on the last frame.
        Output().position = 400;
        QTRY_COMPARE_WITH_TIMEOUT(View()->UpperWindow()->GetPlayCursor(), 400u, 2000);
        Output().Finish();
        QTRY_VERIFY_WITH_TIMEOUT(!Playing(), 2000);
        QCOMPARE(View()->UpperWindow()->GetPlayCursor(), 999u);
        ExpectIdle({View()});
        QCOMPARE(EnabledOf(kEdits), QStringLiteral("+++++++"));
        // Play while playing stops where the playback was; the late completion moves nothing.
        View()->SetSelection(100, 899, 0);
        Run(ID_SAMPLE_PLAY);
        Output().position = 250;
        Run(ID_SAMPLE_PLAY);
        QCOMPARE(View()->UpperWindow()->GetPlayCursor(), 350u);
        QVERIFY(!View()->IsPlayTimerRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!Playing(), 2000);
        QCOMPARE(View()->UpperWindow()->GetPlayCursor(), 350u);
    }

    void effectDialogsChangeTheMarkedFramesOnly() {
        Start(WriteFile("stereo.wav", Stereo(1000)));
        View()->SetSelection(10, 19, 0);
        AnswerDialog([](QWidget* d) { Do(d, "1015; 1013=200; 1014=50"); });  // unlocked
        Run(ID_SAMPLE_AMPLIFY);
        QCOMPARE(Values(Sound(), 10), std::pair(20, -5));
        QCOMPARE(Values(Sound(), 20), std::pair(20, -20));
        // Panning from the middle gives each side half of the mix: +i and -i cancel out.
        View()->SetSelection(100, 199, 0);
        AnswerDialog([](QWidget*) {});
        Run(ID_SAMPLE_PANNING);
        QCOMPARE((QList{Values(Sound(), 99), Values(Sound(), 100), Values(Sound(), 199)}),
                 (QList{std::pair(99, -99), std::pair(0, 0), std::pair(0, 0)}));
        // A flat envelope at 50 % halves both sides.
        View()->SetSelection(500, 599, 0);
        AnswerDialog([](QWidget* d) { Do(d, "1013=50"); });
        Run(ID_SAMPLE_ENVELOPE);
        QCOMPARE(Values(Sound(), 550), std::pair(275, -275));
        QCOMPARE(Values(Sound(), 600), std::pair(600, -600));
        // Convert to 22050 Hz mono: half the frames, one window, a caret at the start.
        AnswerDialog([](QWidget* d) { Do(d, "1001=22050 Hz; 1008"); });
        Run(ID_SAMPLE_CONVERT);
        QCOMPARE(Sound().FormatRef(), SampleFormat(22050, false, true));
        QCOMPARE(Sound().GetFrameCount(), 500u);
        QCOMPARE(Frame()->PaneText(3), QStringLiteral("22050 Hz"));
        QVERIFY(View()->LowerWindow() == nullptr);
        QCOMPARE(View()->UpperWindow()->GetCaret(), 0u);
    }

    void editsLeaveTheMarksWhereTheUserExpects() {
        Start(WriteFile("stereo.wav", Stereo(1000)));
        View()->SetSelection(100, 199, 0);
        Run(ID_EDIT_DELETE);
        QCOMPARE(Values(Sound(), 100), std::pair(200, -200));
        QCOMPARE(View()->UpperWindow()->GetCaret(), 100u);
        QCOMPARE(View()->LowerWindow()->GetCaret(), 100u);
        QCOMPARE(Frame()->PaneText(1) + Frame()->PaneText(4),
                 QStringLiteral("3600 bytes0.02 secs"));
        // Cut, then paste at a caret: the caret lands after the pasted frames.
        View()->SetSelection(10, 19, 0);
        Run(ID_EDIT_CUT);
        QCOMPARE(Values(Sound(), 10), std::pair(20, -20));
        View()->SetCaret(5, 0);
        Run(ID_EDIT_PASTE);
        QCOMPARE(Sound().GetFrameCount(), 900u);
        QCOMPARE((QList{Values(Sound(), 5), Values(Sound(), 14), Values(Sound(), 15)}),
                 (QList{std::pair(10, -10), std::pair(19, -19), std::pair(5, -5)}));
        QCOMPARE(View()->UpperWindow()->GetCaret(), 15u);
        // Only a caret: Reverse acts on the whole sound; Peak Search finds the loudest frame.
        Run(ID_SAMPLE_REVERSE);
        QCOMPARE(Values(Sound(), 0), std::pair(999, -999));
        View()->SetSelection(10, 20, 0);
        Run(ID_SAMPLE_PEAKSEARCH);
        QCOMPARE(View()->UpperWindow()->GetPlayCursor(), 10u);
        // Change Sign XORs 0x80 into both bytes of each value: 989 (0x03DD) becomes 0x835D.
        Run(ID_SAMPLE_CHANGESIGN);
        QCOMPARE(uint16_t(Values(Sound(), 10).first), uint16_t(0x835D));
        QCOMPARE(Values(Sound(), 21).first, 978);
        // Stereo pasted into a new empty sound makes its lower window, fitted like the upper.
        View()->SetSelection(0, 49, 0);
        Run(ID_EDIT_COPY);
        Run(ID_FILE_NEW);
        QVERIFY(!View()->IsStereoLayout() && !Enabled(ID_SAMPLE_PLAY));
        Run(ID_EDIT_PASTE);
        QVERIFY(View()->IsStereoLayout());
        const CWaveformWnd* upper = View()->UpperWindow();
        const CWaveformWnd* lower = View()->LowerWindow();
        QCOMPARE((QList<int>{int(lower->GetCaret()), lower->width(), int(lower->GetZoom()),
                             int(lower->GetLast())}),
                 (QList<int>{49, upper->width(), int(upper->GetZoom()), int(upper->GetLast())}));
    }

    void twoWindowsOfOneSound() {
        Start(WriteFile("mono.wav", Wave(400)));
        COrvexView* first = View();
        first->SetSelection(350, 399, 0);
        Run(ID_WINDOW_NEW);
        COrvexView* second = View();
        QCOMPARE(second->windowTitle(), QStringLiteral("mono.wav:2"));
        // An edit in one shows in the other: the shorter sound whole, a caret at its start
        // instead of frames that are gone, also once the other has the focus again.
        second->SetSelection(0, 99, 0);
        Run(ID_EDIT_DELETE);
        QCOMPARE(first->UpperWindow()->GetFrameCount(), 300u);
        QCOMPARE(first->UpperWindow()->GetLast(), 299u);
        QCOMPARE(first->UpperWindow()->GetZoom(), second->UpperWindow()->GetZoom());
        QCOMPARE(first->windowTitle(), QStringLiteral("mono.wav:1*"));
        Activate(first);
        QVERIFY(!first->UpperWindow()->HasSelection() && first->UpperWindow()->GetCaret() == 0);
        // Closing one asks nothing and keeps the sound, changes and all, in the other.
        qobject_cast<QMdiSubWindow*>(first->parentWidget())->close();
        QTRY_COMPARE(Windows(), 1);
        QVERIFY(Messages().Questions().empty());
        QCOMPARE(View(), second);
        QCOMPARE(Sound().Data()[0], uint8_t(100));
        QVERIFY(second->GetDocument()->IsModified() && second->windowTitle().endsWith('*'));
        // A left-only Change Sign of a stereo sound flips both channels and redraws both.
        OpenFile("stereo.wav", Stereo(100));
        View()->LowerWindow()->HideMarks();
        View()->SetSelection(0, 99, 1);
        QTest::qWait(50);
        const QImage before = OnScreen(View()->LowerWindow());
        Run(ID_SAMPLE_CHANGESIGN);
        QTest::qWait(50);
        QVERIFY(OnScreen(View()->LowerWindow()) != before);
        QCOMPARE(uint16_t(Values(Sound(), 1).second), uint16_t(0x7F7F));  // -1 is 0xFFFF
    }

    void undoOrSaveWhilePlayingStopsPlaybackInEveryWindow() {
        Start(WriteFile("mono.wav", Wave(400)));
        COrvexView* first = View();
        first->SetSelection(0, 99, 0);
        Run(ID_EDIT_COPY);
        PlayAll();
        Run(ID_WINDOW_NEW);
        COrvexView* second = View();
        // The new window follows the playback it did not start.
        QVERIFY(second->IsPlayTimerRunning());
        Output().position = 300;
        QTRY_COMPARE_WITH_TIMEOUT(second->UpperWindow()->GetPlayCursor(), 300u, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(first->UpperWindow()->GetPlayCursor(), 300u, 2000);
        QVERIFY(!Enabled(ID_EDIT_CUT));
        // Undo in the window that did not start it stops it in both, then undoes.
        Run(ID_EDIT_UNDO);
        ExpectIdle({first, second});
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("100 bytes"));
        QCOMPARE(first->UpperWindow()->GetPlayCursor(), 300u);
        // Saving as mu-law rewrites the 8-bit sound as 16-bit: the device must let go first.
        Activate(first);
        PlayAll();
        Activate(second);
        second->GetDocument()->SetPathName(QString::fromStdString(m_dir->File("mono.au")));
        Run(ID_FILE_SAVE);
        QVERIFY(Messages().Shown().empty());
        QCOMPARE(Sound().GetBits(), 16u);
        ExpectIdle({first, second});
        // The completion the stop posted never arrives to end a new playback.
        Run(ID_SAMPLE_PLAY);
        QTest::qWait(20);
        QVERIFY(Playing() && first->IsPlayTimerRunning());
    }

    void devicesThatFailLeaveTheWindowsIdleWithoutAMessage() {
        Start(WriteFile("mono.wav", Wave(1000)));
        Run(ID_WINDOW_NEW);
        // A device that will not open, or will not take the block: nothing plays.
        FakeAudioBackend& devices = m_services->devices;
        for (uint32_t* result : {&devices.openResult, &devices.writeResult}) {
            *result = result == &devices.openResult ? kAudioAllocated : kAudioError;
            Run(ID_SAMPLE_PLAY);
            QVERIFY(!View()->GetDocument()->IsCursorFollowingPlayback());
            ExpectIdle(View()->GetDocument()->Views());
            *result = kAudioOk;
        }
        // One that fails while playing leaves the cursors where it stopped.
        PlayAll();
        Output().position = 400;
        QTRY_COMPARE_WITH_TIMEOUT(View()->UpperWindow()->GetPlayCursor(), 400u, 2000);
        Output().Fail();
        QTRY_VERIFY_WITH_TIMEOUT(!Playing(), 2000);
        ExpectIdle(View()->GetDocument()->Views());
        for (COrvexView* view : View()->GetDocument()->Views())
            QCOMPARE(view->UpperWindow()->GetPlayCursor(), 400u);
        QVERIFY(Messages().Shown().empty());
        PlayAll();
    }

    void windowLayoutsKeepEveryWindowWholeAndInside() {
        static int recursive = 0;
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                recursive += text.contains(QStringLiteral("Recursive repaint"));
            });
        Start(WriteFile("stereo.wav", Stereo(2000)));
        OpenFile("mono.wav", Wave(300));
        Frame()->resize(1200, 860);
        Run(ID_WINDOW_TILE_HORZ);
        // Laying out the window behind leaves the active one's figures in the status bar.
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("300 bytes"));
        // The other one's corner dragged outward, nearly to the workspace's corner: the ruler,
        // the scroll bar and both waveforms reach its new right edge, painted.
        QMdiSubWindow* sub = Frame()->MdiArea()->subWindowList(QMdiArea::CreationOrder).first();
        Frame()->MdiArea()->setActiveSubWindow(sub);
        const QRect area = Frame()->MdiArea()->viewport()->rect();
        sub->setGeometry(0, 0, area.width() - 20, area.height() - 20);
        QTest::qWait(50);
        auto* view = qobject_cast<COrvexView*>(sub->widget());
        const QImage shot = OnScreen(view);
        qInstallMessageHandler(previous);
        QCOMPARE(recursive, 0);
        const int right = view->width() - 6;
        QCOMPARE(
            std::pair(view->Ruler()->geometry().right(), view->ScrollBar()->geometry().right()),
            std::pair(right, right));
        for (CWaveformWnd* w : {view->UpperWindow(), view->LowerWindow()}) {
            QCOMPARE(w->geometry().right(), right - 2);
            QCOMPARE(shot.pixelColor(w->geometry().right() - 1, w->geometry().top() + 2),
                     w->palette().color(QPalette::Base));
        }
        // Each channel sits in a sunken frame of its own: the same edge below either.
        const int below = view->UpperWindow()->geometry().bottom(), x = 20;
        for (int k : {1, 2})
            QCOMPARE(shot.pixel(x, view->LowerWindow()->geometry().bottom() + k),
                     shot.pixel(x, below + k));
        // Many windows stay inside the workspace, cascaded ones big enough to use.
        for (int i = 0; i < 7; ++i) Run(ID_WINDOW_NEW);
        Run(ID_WINDOW_CASCADE);
        for (QMdiSubWindow* s : Frame()->MdiArea()->subWindowList())
            QVERIFY(area.contains(s->geometry()) && s->width() >= 300 && s->height() >= 200);
        Run(ID_WINDOW_CLOSEALL);  // without asking
        QVERIFY(Windows() == 0 && Messages().Questions().empty());
        QCOMPARE(Frame()->PaneText(1), QStringLiteral("----"));
    }

    void saveAsThenSaveWritesTheNewFileByItsExtension() {
        const QString song = WriteFile("song.wav", Wave(64));
        const Bytes8 original = ReadBytes(song.toStdString());
        const Bytes8 frames(original.end() - 64, original.end());
        auto tail = [](const std::string& path) {
            const Bytes8 bytes = ReadBytes(path);
            return Bytes8(bytes.end() - std::min<size_t>(64, bytes.size()), bytes.end());
        };
        Start(song);
        Run(ID_SAMPLE_REVERSE);
        AnswerFileDialog(QString::fromStdString(m_dir->File("copy.wav")));
        Run(ID_FILE_SAVE_AS);
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Orvex - copy.wav"));
        Run(ID_SAMPLE_REVERSE);
        QCOMPARE(View()->windowTitle(), QStringLiteral("copy.wav*"));
        Run(ID_FILE_SAVE);
        QCOMPARE(View()->windowTitle(), QStringLiteral("copy.wav"));
        QCOMPARE(ReadBytes(song.toStdString()), original);
        QCOMPARE(tail(m_dir->File("copy.wav")), frames);  // reversed twice
        // A .txt name saves the frames alone, whatever type the dialog showed.
        AnswerFileDialog(QString::fromStdString(m_dir->File("song.txt")));
        Run(ID_FILE_SAVE_AS);
        QCOMPARE(ReadBytes(m_dir->File("song.txt")), frames);
        QVERIFY(View()->GetDocument()->GetPathName().endsWith(QStringLiteral("song.txt")));
        QVERIFY(Messages().Shown().empty());
    }

    void closingAModifiedSoundAsksToSaveIt() {
        const QString path = WriteFile("mono.wav", Wave(100));
        const Bytes8 original = ReadBytes(path.toStdString());
        Start(path);
        Run(ID_FILE_CLOSE);  // unchanged: no question
        QTRY_COMPARE(Windows(), 0);
        const Texts asked{"Save changes to mono.wav?"};
        m_app->OpenDocumentFile(path);
        Run(ID_SAMPLE_REVERSE);
        // Cancel keeps everything open, whichever way the close came.
        Messages().SetSaveAnswer(SaveChoice::kCancel);
        Run(ID_FILE_CLOSE);
        QVERIFY(!Frame()->CloseAll());
        QVERIFY(!Frame()->close());
        QCOMPARE(Messages().Questions(), (Texts(3, asked[0])));
        QTest::qWait(20);
        QCOMPARE(Windows(), 1);
        QCOMPARE(ReadBytes(path.toStdString()), original);
        // Save writes the file and closes.
        Messages().Clear();
        Messages().SetSaveAnswer(SaveChoice::kSave);
        Run(ID_FILE_CLOSE);
        QCOMPARE(Messages().Questions(), asked);
        QTRY_COMPARE(Windows(), 0);
        QCOMPARE(ReadBytes(path.toStdString()).back(), uint8_t(0));  // reversed
        // Discard closes without writing; a saved sound asks nothing.
        Messages().Clear();
        m_app->OpenDocumentFile(path);
        Run(ID_SAMPLE_REVERSE);
        Run(ID_FILE_SAVE);
        const Bytes8 saved = ReadBytes(path.toStdString());
        Run(ID_SAMPLE_REVERSE);
        Messages().SetSaveAnswer(SaveChoice::kDiscard);
        QVERIFY(Frame()->CloseAll());
        QCOMPARE(Messages().Questions(), asked);
        QCOMPARE(ReadBytes(path.toStdString()), saved);
    }

    void recentFilesKeepTheFourNewestAcrossARestart() {
        // A stored list with a gap: the gap is skipped, and closed when the list is stored again.
        m_services->settings.SetString("Recent File List", "File1", "/old/one.au");
        m_services->settings.SetString("Recent File List", "File2", "");
        m_services->settings.SetString("Recent File List", "File3", "/old/three.voc");
        Start();
        QCOMPARE(Frame()->RecentFiles(), (QStringList{"/old/one.au", "/old/three.voc"}));
        for (const char* name : {"1.wav", "2.wav", "3.wav", "", "2.wav", "4.wav"}) {
            if (*name == 0)
                QVERIFY(Frame()->CloseAll());  // an open file opens again only once closed
            else
                m_app->OpenDocumentFile(WriteFile(name, Wave(10)));
        }
        const QStringList recent = Frame()->RecentFiles();
        QStringList names;
        for (const QString& path : recent) names << QFileInfo(path).fileName();
        QCOMPARE(names, (QStringList{"4.wav", "2.wav", "3.wav", "1.wav"}));
        QVERIFY(!m_services->settings.GetValue("Recent File List", "File5"));
        Restart();
        QCOMPARE(Frame()->RecentFiles(), recent);
    }

    void aSecondProcessHandsItsFileToTheRunningEditor() {
#ifdef ORVEX_EXECUTABLE
        const QString server =
            QStringLiteral("orvex-test-%1").arg(QCoreApplication::applicationPid());
        QVERIFY(StartEditor(m_services->services, QString(), server));
        const QString path = WriteFile("handed over.wav", Wave(77));
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
        QVERIFY(StartEditor(services, QString(), server));
        const QString request = QString::fromStdString(m_dir->File("no such file.wav")) + '\n' +
                                WriteFile("empty.wav", {}) + '\n' +
                                WriteFile("good.wav", Wave(50)) + '\n';
        QLocalSocket client;
        client.connectToServer(server);
        QVERIFY(client.waitForConnected(5000));
        client.write(request.toUtf8());
        QVERIFY(client.waitForBytesWritten(5000));
        client.disconnectFromServer();
        QTRY_COMPARE_WITH_TIMEOUT(View() ? View()->GetDocument()->GetTitle() : QString(),
                                  QStringLiteral("good.wav"), 10000);
        QCOMPARE(Frame()->Views().size(), 2);  // the empty file opens as an empty sound
        QCOMPARE(modal.Texts(), (Texts{"Error - Couldn't open as Wave!", "Couldn't open file",
                                       "This File is NOT a wave file"}));
    }

    // ---- The properties window ----

    void propertiesFollowTheActiveViewUntilItCloses() {
        Start();
        QWidget* window = Frame()->Properties();
        QVERIFY(!Enabled(ID_EDIT_PROPERTIES));
        COrvexView* a = OpenFile("a.wav", Wave(1000, 1, 8, 22050));
        COrvexView* b = OpenFile("b.wav", Wave(500, 2, 16, 44100));
        QCOMPARE(Sheet()->BoundView(), b);
        QCOMPARE(Shown(Format(), "103 1055 1148"), QStringLiteral("on|on|44100 Hz 16-Bit Stereo"));
        Activate(a);
        QCOMPARE(Sheet()->FormatPage()->Buffer(), &a->Buffer());
        QCOMPARE(Shown(Format(), "1001 1003"), QStringLiteral("22050 Hz|21 Kb/sec"));
        // Only the bound view's marks reach the View page; those set while b lacked the focus
        // are shown when it is bound again.
        b->SetSelection(10, 20, 0);
        a->SetSelection(30, 40, 0);
        QCOMPARE(Shown(ViewPage(), "1100"), QStringLiteral("30"));
        // Hidden by its close box it stays hidden for the next sample; Properties shows it.
        window->close();
        Activate(b);
        QVERIFY(Sheet()->BoundView() == b && !window->isVisible());
        QCOMPARE(Shown(ViewPage(), "1100 1101"), QStringLiteral("10|20"));
        Run(ID_EDIT_PROPERTIES);
        QVERIFY(window->isVisible());
        // Working in the window leaves the view's selection in sight.
        b->SetSelection(5, 50, 0);
        QApplication::setActiveWindow(Frame());
        b->setFocus(Qt::OtherFocusReason);
        QApplication::setActiveWindow(window);
        QVERIFY(b->UpperWindow()->HasSelection());
        // Another view closing changes nothing; the last one leaves the pages bound to none.
        qobject_cast<QMdiSubWindow*>(a->parentWidget())->close();
        QCoreApplication::processEvents();
        QCOMPARE(Sheet()->BoundView(), b);
        Frame()->CloseAll();
        QCoreApplication::processEvents();
        QVERIFY(!window->isVisible() && !Enabled(ID_EDIT_PROPERTIES));
        QVERIFY(Sheet()->BoundView() == nullptr && Sheet()->FormatPage()->Buffer() == nullptr &&
                Sheet()->InformationPage()->Buffer() == nullptr &&
                Sheet()->ViewPage()->View() == nullptr);
        Do(Info(), "1047=x");  // reaches no sound
        Do(Format(), "1055");
        Do(ViewPage(), "1063");
        OpenFile("c.wav", Wave(100));  // a new sample shows the window again
        QVERIFY(window->isVisible());
    }

    void formatPageRelabelsRevertsAndConverts() {
        Start();
        COrvexView* view = OpenFile("a.wav", Wave(1000, 1, 8, 22050));
        SampleBuffer& sound = view->Buffer();
        const Bytes8 bytes = Bytes(sound);
        view->SetSelection(100, 199, 0);
        // Relabelled as 16-bit: the same bytes, half the frames, the marks on the same bytes.
        Do(Format(), "1055");
        QCOMPARE(sound.GetFrameCount(), 500u);
        QCOMPARE(Marked(view), std::pair(50u, 99u));
        QCOMPARE(Frame()->PaneText(2), QStringLiteral("16 Bit"));
        QCOMPARE(Shown(ViewPage(), "1100"), QStringLiteral("50"));
        Do(Format(), "1055");  // the width already chosen: nothing
        QCOMPARE(sound.GetFrameCount(), 500u);
        Do(Format(), "1054");
        QCOMPARE(Marked(view), std::pair(100u, 198u));
        Do(Format(), "1001=44100");
        QCOMPARE(Frame()->PaneText(3), QStringLiteral("44100 Hz"));
        Do(Format(), "103");  // stereo
        QVERIFY(view->IsStereoLayout());
        QCOMPARE(Shown(Format(), "1003"), QStringLiteral("86 Kb/sec"));
        // A frequency past 50000 is refused when entered; what was taken while typing stays.
        QLineEdit* frequency = ById<QComboBox>(Format(), "1001")->lineEdit();
        Do(Format(), "1001=60000");
        QTest::keyClick(frequency, Qt::Key_Return);
        QCOMPARE(std::pair(frequency->text(), sound.GetFrequency()),
                 std::pair(QStringLiteral("6000 Hz"), 6000u));
        QCOMPARE(Messages().Texts(), Texts{"The frequency must be a number from 1 to 50000 Hz."});
        // Revert goes back to the format the file had, the bytes untouched.
        Do(Format(), "1057");
        QCOMPARE(sound.FormatRef(), SampleFormat(22050, false, false));
        QCOMPARE(Bytes(sound), bytes);
        QVERIFY(!view->IsStereoLayout());
        QCOMPARE(Shown(Format(), "1001"), QStringLiteral("22050 Hz"));
        // Convert resamples, and the result is what Revert goes back to.
        Do(Format(), "1001=11025 Hz");
        Do(Format(), "1058");
        QCOMPARE(sound.GetFrameCount(), 500u);
        QCOMPARE(Shown(Format(), "1148"), QStringLiteral("11025 Hz 8-Bit Mono"));
        Do(Format(), "1057");
        QCOMPARE(sound.GetFrequency(), 11025u);
        // A named quality sets the whole format; one that matches none names none.
        StorePresets(m_services->settings, QStringLiteral("CD=44100,2,16"));
        Restart();
        view = OpenFile("b.wav", Wave(1000, 1, 8, 22050));
        QCOMPARE(Shown(Format(), "*1053"), QStringLiteral("CD"));
        emit ById<QComboBox>(Format(), "1053")->textActivated(QStringLiteral("CD"));
        QCOMPARE(view->Buffer().FormatRef(), SampleFormat(44100, true, true));
        QCOMPARE(Shown(Format(), "1003"), QStringLiteral("172 Kb/sec"));
        Do(Format(), "102");
        QCOMPARE(Shown(Format(), "1053"), QString());
    }

    void viewPageShowsAndSetsTheMarksInUnits() {
        Start();
        COrvexView* view = OpenFile("a.wav", Wave(40000, 2, 16, 22050));
        auto* left = ById<QLineEdit>(ViewPage(), "1100");
        auto* right = ById<QLineEdit>(ViewPage(), "1101");
        auto shown = [&] {
            return QStringList{left->text(), right->text(), Shown(ViewPage(), "1098")};
        };
        // Samples, bytes (4 a frame, each end at its frame's first byte) and seconds; a caret
        // shows alone.
        for (const auto& [unit, from, to] :
             {std::tuple("1102", "100", "199"), {"1103", "400", "796"}, {"1006", "0.00", "0.01"}}) {
            view->SetSelection(100, 199, 0);
            Do(ViewPage(), unit);
            QCOMPARE(shown(), QStringList({from, to, "Left:"}));
            view->SetCaret(100, 0);
            QCOMPARE(shown(), QStringList({from, "", "Cursor:"}));
        }
        // Typed values are taken in the unit and clipped to the sound.
        view->SetSelection(100, 199, 0);
        Do(ViewPage(), "1103; 1100=600");
        QCOMPARE(Marked(view), std::pair(150u, 199u));
        Do(ViewPage(), "1101=999999");
        QCOMPARE(Marked(view), std::pair(150u, 39999u));
        Do(ViewPage(), "1006; 1100=0.01");
        QCOMPARE(Marked(view).first, 220u);
        Do(ViewPage(), "1102; 1101=300; 1100=500");  // past the right end: the left end goes there
        QCOMPARE(Marked(view).first, 300u);
        // The arrows step one sample and go back to 0.
        view->SetSelection(220, 300, 0);
        auto* arrows = ById<CUpDown>(ViewPage(), "1106");
        arrows->Step(1);
        QCOMPARE(Marked(view).first, 221u);
        QCOMPARE(std::pair(arrows->Position(), left->text()), std::pair(0, QStringLiteral("221")));
        // Scale goes to the view, and the view's own zoom comes back.
        auto* scale = ById<QLineEdit>(ViewPage(), "1059");
        Do(ViewPage(), "1059=10");
        QCOMPARE(view->UpperWindow()->GetZoom(), 10u);
        QCOMPARE(Frame()->PaneText(5), QStringLiteral("10:1"));
        Do(ViewPage(), "1063");
        QCOMPARE(std::pair(view->UpperWindow()->GetZoom(), scale->text()),
                 std::pair(1u, QStringLiteral("1:1")));
        view->ZoomAll();
        QCOMPARE(scale->text(), QStringLiteral("%1:1").arg(view->UpperWindow()->GetZoom()));
    }

    void displayStyleFromTheMenuOrTheViewPageIsRemembered() {
        Start();
        QCOMPARE(Checked(), QStringLiteral("0000"));  // no window, no style
        COrvexView* first = OpenFile("a.wav", Wave(2500, 2));
        QCOMPARE(std::pair(Style(first), Checked()), std::pair(0, QStringLiteral("1000")));
        StyleMenu()[kStylePeaks]->trigger();
        QCOMPARE(std::pair(Style(first), Checked()), std::pair(3, QStringLiteral("0001")));
        QVERIFY(ById<QRadioButton>(ViewPage(), "1074")->isChecked());
        QCOMPARE(m_services->settings.GetNumber(kOrvexKey, "DisplayStyle"),
                 std::optional<uint32_t>(kStylePeaks));
        // A new window starts in the last choice; Bars on its View page leaves the first alone,
        // and the menu follows the active window.
        COrvexView* second = OpenFile("b.wav", Wave(2500, 2));
        QCOMPARE(Style(second), int{kStylePeaks});
        Do(ViewPage(), "1062");
        QCOMPARE(std::pair(Style(second), Checked()), std::pair(2, QStringLiteral("0010")));
        Activate(first);
        QCOMPARE(std::pair(Style(first), Checked()), std::pair(3, QStringLiteral("0001")));
        QVERIFY(ById<QRadioButton>(ViewPage(), "1074")->isChecked());
        Frame()->Properties()->move(-20000, 30000);  // off every screen: brought back after
        Restart();
        QVERIFY(QGuiApplication::screenAt(Frame()->Properties()->pos()) != nullptr);
        QCOMPARE(Style(OpenFile("c.wav", Wave(100))), int{kStyleBars});
    }

    void informationTextsReachTheSoundAndItsFile() {
        Start();
        COrvexView* view = OpenFile("a.wav", Wave(100));
        view->Buffer().SetInfo(kInfoArtist, "Someone");
        Activate(OpenFile("b.wav", Wave(100)));
        Activate(view);
        QCOMPARE(Shown(Info(), "1048"), QStringLiteral("Someone"));
        QTest::keyClicks(ById<QLineEdit>(Info(), "1047"), QStringLiteral("Ab"));
        QCOMPARE(view->Buffer().Info(kInfoName), std::string("Ab"));
        QVERIFY(view->parentWidget()->windowTitle().endsWith(QLatin1Char('*')));
        QTest::keyClick(ById<QLineEdit>(Info(), "1047"), Qt::Key_Backspace);
        Do(Info(), "1050=(c) 2026");
        // Saved and opened again, the texts come back.
        const QString path = QString::fromStdString(m_dir->File("saved.wav"));
        QVERIFY(view->GetDocument()->OnSaveDocument(path) && Frame()->CloseAll());
        COrvexView* reopened = m_app->OpenDocumentFile(path);  // opened before the sheet is asked
        QTRY_COMPARE(Sheet()->BoundView(), reopened);
        QCOMPARE(Shown(Info(), "1047 1048 1050"), QStringLiteral("A|Someone|(c) 2026"));
    }

    // ---- Mixers ----

    void mixerRowsOfferTheSampleWindowsAndKeysAddAndRemoveThem() {
        Start();
        OpenRaw("a.wav", {1, 2, 3});
        OpenRaw("b.wav", {4, 5});
        const std::initializer_list<int> mixing = {ID_MIXER_MIX, ID_MIXER_REMOVEENDPADDING,
                                                   ID_MIXER_ADDINPUT, ID_MIXER_REMOVEINPUT,
                                                   ID_EDIT_DELETE};
        CMixerView* mixer = NewMixer();
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Orvex - Mixer1"));
        QCOMPARE(EnabledOf(mixing), QStringLiteral("++++-"));
        QCOMPARE(Items(mixer->RowList(1)), (QStringList{"a.wav", "b.wav"}));
        QCOMPARE(mixer->RowList(1)->currentIndex(), -1);
        // Its commands only while a mixer is active.
        Frame()->MdiArea()->activatePreviousSubWindow();
        QCOMPARE(EnabledOf(mixing), QStringLiteral("----+"));
        Frame()->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(mixer->parentWidget()));
        // Ins adds an input at the selected row; the chosen sample moves down with its row.
        Choose(mixer, 0, "a.wav");
        QApplication::setActiveWindow(Frame());
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QTest::keyClick(mixer, Qt::Key_Insert);
        QCOMPARE(mixer->RowCount(), 3);
        QVERIFY(mixer->RowStrip(0)->Source() == nullptr);
        QCOMPARE(mixer->RowList(1)->currentText(), QStringLiteral("a.wav"));
        QCOMPARE(mixer->RowStrip(0)->TimelineLength(), 3u);
        // Del refuses the output row and the last input.
        mixer->SelectRow(2);
        QTest::keyClick(mixer, Qt::Key_Delete);
        mixer->SelectRow(0);
        QTest::keyClick(mixer, Qt::Key_Delete);
        Run(ID_MIXER_REMOVEINPUT);
        QCOMPARE(Messages().Texts(), (Texts{"Error : Mixers must always have an output!",
                                            "Error : Mixers must always have at least one input"}));
        QCOMPARE(mixer->RowCount(), 2);
        QCOMPARE(mixer->RowList(0)->currentText(), QStringLiteral("a.wav"));
        QTest::mouseClick(mixer->RowStrip(1), Qt::LeftButton);  // a click selects the row
        QCOMPARE(mixer->SelectedRow(), 1);
    }

    void mixerBlocksDragAlongTheTimeLineAndPaddingGoes() {
        Start();
        OpenRaw("long.wav", Bytes8(1000, 128));
        OpenRaw("short.wav", Bytes8(250, 128));
        CMixerView* mixer = NewMixer();
        Choose(mixer, 0, "long.wav");
        Choose(mixer, 1, "short.wav");
        CMixerStrip* strip = mixer->RowStrip(1);
        strip->grab();
        const int width = strip->width() - 2;
        QVERIFY(width > 200);
        QCOMPARE(strip->BlockRight() - strip->BlockLeft(), width / 4);
        Drag(strip, -30, 5);  // left past frame 0: the block stays
        QCOMPARE(strip->MixStart(), 0u);
        Drag(strip, width / 3, width);  // a third of the width in one move: a third of the time
        QVERIFY2(strip->MixStart() >= 320 && strip->MixStart() <= 336,
                 qPrintable(QString::number(strip->MixStart())));
        QCOMPARE(strip->TimelineLength(), 1000u);
        // Past the end: the time line of every strip grows to the block's end.
        Drag(strip, width * 2 / 3, 9);
        const uint32_t end = strip->MixStart() + 250;
        QVERIFY(end > 1000);
        QCOMPARE(mixer->RowStrip(0)->TimelineLength(), end);
        Run(ID_MIXER_REMOVEENDPADDING);
        QCOMPARE(strip->TimelineLength(), end);
        // Back left: the padding stays until it is removed, then the long block sets the end.
        Drag(strip, -width / 2, 9);
        QVERIFY(strip->MixStart() + 250 < 1000);
        QCOMPARE(strip->TimelineLength(), end);
        Run(ID_MIXER_REMOVEENDPADDING);
        QCOMPARE(mixer->RowStrip(0)->TimelineLength(), 1000u);
        QCOMPARE(strip->TimelineLength(), 1000u);
    }

    void mixAveragesIntoTheOutputAndEveryWindowOfItShows() {
        Start();
        OpenRaw("a.wav", {200, 200, 200, 200, 0, 255});
        OpenRaw("b.wav", {100, 100});
        COrvexView* out = OpenRaw("out.wav", {0x10, 0x00}, 16);  // 16-bit: the mix is widened
        COrvexView* second = m_app->OnWindowNew();
        CMixerView* mixer = NewMixer();
        QVERIFY(!mixer->Mix());
        QVERIFY(Messages().Texts().back().find("output") != std::string::npos);
        Choose(mixer, 1, "out.wav:2");  // the sound's second window: the first shows it too
        QVERIFY(!mixer->Mix());
        QVERIFY(Messages().Texts().back().find("input") != std::string::npos);
        mixer->SelectRow(0);
        QVERIFY(mixer->AddInput());
        Choose(mixer, 0, "a.wav");
        Choose(mixer, 1, "b.wav");
        QVERIFY(mixer->Mix());
        QCOMPARE(Messages().Texts().size(), size_t{2});
        // (200 - 127) / 2 + (100 - 127) / 2 + 127 = 36 - 13 + 127; past b's end only a counts,
        // halved: 36 + 127, -127 / 2 + 127 = 64, 128 / 2 + 127 = 191.
        std::vector<int> expected;
        for (int v : {150, 150, 163, 163, 64, 191}) expected.push_back((v - 128) * 256);
        QCOMPARE(Values16(out->GetDocument()->sample), expected);
        for (COrvexView* view : {out, second}) {
            QCOMPARE(view->UpperWindow()->GetFrameCount(), 6u);
            QVERIFY(view->windowTitle().endsWith(QLatin1Char('*')));
        }
        QCOMPARE(mixer->RowStrip(2)->Length(), 6u);
        // One input alone copies an 8-bit mono sound unchanged.
        COrvexView* copy = OpenRaw("copy.wav", {9});
        Choose(mixer, 2, "copy.wav");
        mixer->SelectRow(1);
        QVERIFY(mixer->RemoveInput());
        Run(ID_MIXER_REMOVEENDPADDING);
        QVERIFY(mixer->Mix());
        QCOMPARE(Bytes(copy->Buffer()), (Bytes8{200, 200, 200, 200, 0, 255}));
    }

    void mixerRowsStayValidAsWindowsOpenAndClose() {
        Start();
        OpenRaw("a.wav", {200, 200});
        OpenRaw("b.wav", {100, 100, 100});
        COrvexView* out = OpenRaw("out.wav", {});
        CMixerView* mixer = NewMixer();
        mixer->SelectRow(0);
        mixer->AddInput();
        Choose(mixer, 0, "a.wav");
        Choose(mixer, 1, "b.wav");
        Choose(mixer, 2, "out.wav");
        // The input's window goes; before the frame has noticed, painting and mixing skip it.
        delete qobject_cast<QMdiSubWindow*>(Frame()->Views()[0]->parentWidget());
        mixer->RowStrip(0)->grab();
        QVERIFY(mixer->RowStrip(0)->Source() == nullptr);
        QVERIFY(mixer->Mix());
        QCOMPARE(Bytes(out->GetDocument()->sample), (Bytes8{100, 100, 100}));
        Settle();
        QCOMPARE(Items(mixer->RowList(0)), (QStringList{"b.wav", "out.wav*"}));
        QCOMPARE(mixer->RowList(0)->currentIndex(), -1);
        QCOMPARE(mixer->RowStrip(0)->Length(), 0u);
        // A window opened later is offered; a retitled one shows its new title.
        OpenRaw("c.wav", {7});
        QCOMPARE(Items(mixer->RowList(2)), (QStringList{"b.wav", "out.wav*", "c.wav"}));
        Frame()->Views()[0]->SetFrameTitle(QStringLiteral("renamed"));
        Settle();
        QCOMPARE(mixer->RowList(1)->currentText(), QStringLiteral("renamed"));
        // The output's window goes: Mix says what is missing.
        Messages().Clear();
        delete qobject_cast<QMdiSubWindow*>(out->parentWidget());
        Settle();
        QVERIFY(!mixer->Mix());
        QCOMPARE(Messages().Texts().size(), size_t{1});
        // Rows that do not fit scroll; a click selects the row under it, however scrolled.
        mixer->parentWidget()->resize(500, 300);
        for (int i = 0; i < 3; ++i) mixer->AddInput();
        mixer->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        const QPointF at(50, 50);  // a notch of the wheel back up is three lines of 10 pixels
        QWheelEvent notch(at, mixer->mapToGlobal(at), {}, {0, 120}, {}, {}, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(mixer, &notch);
        QCOMPARE(mixer->ScrollPosition(), 105 - 30);
        QCOMPARE(mixer->RowStrip(2)->y(), 105 * 2 + 6 - mixer->ScrollPosition());
        QTest::mouseClick(mixer, Qt::LeftButton, {},
                          QPoint(95, 105 * 5 + 50 - mixer->ScrollPosition()));
        QCOMPARE(mixer->SelectedRow(), 5);
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
