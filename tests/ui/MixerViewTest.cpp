// The mixer in the real main window: its rows and lists, the blocks dragged on the time line,
// end padding, the mix into the output sound, the messages, scrolling, and sample windows that
// open and close while a mixer refers to them.
#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollBar>
#include <QtTest>
#include <memory>

#include "core/sample/SampleBuffer.h"
#include "support/TempDir.h"
#include "support/TestServices.h"
#include "support/WaveBytes.h"
#include "ui/EditorHarness.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/mixer/CMixerStrip.h"
#include "ui/mixer/CMixerView.h"
#include "ui/view/COrvexView.h"
#include "ui/view/CWaveformWnd.h"

namespace {

QStringList Items(QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

void SendMouse(QWidget* widget, QEvent::Type type, int x, Qt::MouseButtons buttons) {
    const QPointF at(x, widget->height() / 2);
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Presses on the block's left edge, moves by `dx` pixels in steps of `step`, and releases.
void Drag(CMixerStrip* strip, int dx, int step) {
    int x = strip->BlockLeft() + 1;
    SendMouse(strip, QEvent::MouseButtonPress, x, Qt::LeftButton);
    for (int moved = 0; moved != dx;) {
        const int by = dx > 0 ? std::min(step, dx - moved) : std::max(-step, dx - moved);
        moved += by;
        x += by;
        SendMouse(strip, QEvent::MouseMove, x, Qt::LeftButton);
    }
    SendMouse(strip, QEvent::MouseButtonRelease, x, Qt::NoButton);
}

std::vector<uint8_t> Bytes(const SampleBuffer& sample) {
    return {sample.Data(), sample.Data() + sample.GetByteLength()};
}

}  // namespace

class MixerViewTest : public QObject, private EditorHarness {
    Q_OBJECT

private:
    std::vector<std::string> Messages() const { return m_services->messages.Texts(); }

    COrvexView* Open(const std::string& name, const std::vector<uint8_t>& bytes, uint16_t bits = 8,
                     uint16_t channels = 1) {
        return OpenFile(name, WaveBytes::Simple(channels, 11025, bits, bytes));
    }
    CMixerView* NewMixer() {
        Frame()->Action(ID_FILE_NEWMIXER)->trigger();
        return Frame()->ActiveMixer();
    }
    void Choose(CMixerView* mixer, int row, const QString& title) {
        const int index = mixer->RowList(row)->findText(title);
        QVERIFY2(index >= 0, qPrintable(title));
        mixer->RowList(row)->setCurrentIndex(index);
        emit mixer->RowList(row)->activated(index);
    }
    static void Settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        PrepareEditor();
        QVERIFY(StartEditor());
    }
    void cleanup() { DropEditor(); }

    void newMixerOffersTheOpenSampleWindows() {
        QVERIFY(Open("a.wav", {1, 2, 3}) != nullptr);
        QVERIFY(Open("b.wav", {4, 5}) != nullptr);
        QAction* newMixer = Frame()->Action(ID_FILE_NEWMIXER);
        QCOMPARE(newMixer->text(), QStringLiteral("New &Mixer"));
        QVERIFY(!newMixer->statusTip().isEmpty() && !newMixer->toolTip().isEmpty());
        QVERIFY(!Frame()->Action(ID_MIXER_MIX)->isEnabled());

        CMixerView* mixer = NewMixer();
        QVERIFY(mixer != nullptr);
        QCOMPARE(mixer->windowTitle(), QStringLiteral("Mixer1"));
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Orvex - Mixer1"));
        QCOMPARE(mixer->RowCount(), 2);
        for (int row = 0; row < 2; ++row) {
            QCOMPARE(Items(mixer->RowList(row)), (QStringList{"a.wav", "b.wav"}));
            QCOMPARE(mixer->RowList(row)->currentIndex(), -1);
            QVERIFY(mixer->RowStrip(row)->Source() == nullptr);
        }
        // The mixer's commands, in a menu of their own while a mixer is active.
        for (int id :
             {ID_MIXER_MIX, ID_MIXER_REMOVEENDPADDING, ID_MIXER_ADDINPUT, ID_MIXER_REMOVEINPUT})
            QVERIFY(Frame()->Action(id)->isEnabled());
        QVERIFY(!Frame()->Action(ID_EDIT_DELETE)->isEnabled());
        QVERIFY(Frame()->Action(ID_FILE_CLOSE)->isEnabled());
        QCOMPARE(Frame()->Action(ID_MIXER_ADDINPUT)->text(), QStringLiteral("&Add Input\tIns"));
        QCOMPARE(Frame()->Action(ID_MIXER_MIX)->statusTip(),
                 QStringLiteral("Mix the current selections"));
        QAction* menu = nullptr;
        for (QAction* top : Frame()->menuBar()->actions()) {
            if (top->text() == QStringLiteral("&Mixer"))
                menu = top;
        }
        QVERIFY(menu != nullptr && menu->isVisible());
        Frame()->MdiArea()->activatePreviousSubWindow();
        QVERIFY(Frame()->ActiveMixer() == nullptr);
        QVERIFY(!menu->isVisible());
        QVERIFY(!Frame()->Action(ID_MIXER_MIX)->isEnabled());

        // A second mixer is numbered on; File Close closes it.
        QCOMPARE(NewMixer()->windowTitle(), QStringLiteral("Mixer2"));
        Frame()->Action(ID_FILE_CLOSE)->trigger();
        Settle();
        QCOMPARE(Frame()->Mixers().size(), 1);
    }

    void addAndRemoveInputsWithTheirMessages() {
        Open("a.wav", {1, 2, 3});
        CMixerView* mixer = NewMixer();
        Choose(mixer, 0, "a.wav");
        QCOMPARE(mixer->SelectedRow(), 0);

        // Ins adds an input at the selected row; the chosen sample moves down with its row.
        QApplication::setActiveWindow(Frame());
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QTest::keyClick(mixer, Qt::Key_Insert);
        QCOMPARE(mixer->RowCount(), 3);
        QCOMPARE(mixer->SelectedRow(), 0);
        QVERIFY(mixer->RowStrip(0)->Source() == nullptr);
        QCOMPARE(mixer->RowList(1)->currentText(), QStringLiteral("a.wav"));
        QCOMPARE(mixer->RowStrip(1)->Length(), 3u);
        QCOMPARE(Items(mixer->RowList(0)), QStringList{"a.wav"});
        QCOMPARE(mixer->RowStrip(0)->TimelineLength(), 3u);

        mixer->SelectRow(2);
        QTest::keyClick(mixer, Qt::Key_Delete);
        QCOMPARE(Messages(),
                 std::vector<std::string>{"Error : Mixers must always have an output!"});
        QCOMPARE(m_services->messages.Shown().back().title, MessageTitle::Application);
        QCOMPARE(mixer->RowCount(), 3);

        mixer->SelectRow(0);
        QTest::keyClick(mixer, Qt::Key_Delete);
        QCOMPARE(mixer->RowCount(), 2);
        QCOMPARE(mixer->RowList(0)->currentText(), QStringLiteral("a.wav"));
        Frame()->Action(ID_MIXER_REMOVEINPUT)->trigger();
        QCOMPARE(Messages().back(), "Error : Mixers must always have at least one input");
        QCOMPARE(mixer->RowCount(), 2);

        // A click in a strip selects its row.
        QTest::mouseClick(mixer->RowStrip(1), Qt::LeftButton);
        QCOMPARE(mixer->SelectedRow(), 1);

        // At most 256 rows.
        while (mixer->AddInput()) {
        }
        QCOMPARE(mixer->RowCount(), CMixerView::kMaxRows);
        QVERIFY(!Frame()->Action(ID_MIXER_ADDINPUT)->isEnabled());
    }

    void blocksDragAlongTheTimeLineAndPaddingGoes() {
        Open("long.wav", std::vector<uint8_t>(1000, 128));
        Open("short.wav", std::vector<uint8_t>(250, 128));
        CMixerView* mixer = NewMixer();
        Choose(mixer, 0, "long.wav");
        Choose(mixer, 1, "short.wav");
        CMixerStrip* strip = mixer->RowStrip(1);
        QCOMPARE(strip->TimelineLength(), 1000u);
        strip->grab();  // places the block
        const int width = strip->width() - 2;
        QVERIFY(width > 200);
        QCOMPARE(strip->BlockRight() - strip->BlockLeft(), width / 4);

        // Left past frame 0: the block stays.
        Drag(strip, -30, 5);
        QCOMPARE(strip->MixStart(), 0u);

        // A third of the way right in one move: a third of the time line.
        Drag(strip, width / 3, width);
        const uint32_t third = strip->MixStart();
        QVERIFY2(third >= 320 && third <= 336, qPrintable(QString::number(third)));
        QCOMPARE(strip->TimelineLength(), 1000u);

        // Past the end: the time line of every strip grows to the block's end.
        strip->grab();
        Drag(strip, width * 2 / 3, 9);
        const uint32_t end = strip->MixStart() + 250;
        QVERIFY(end > 1000);
        for (int row = 0; row < 2; ++row) QCOMPARE(mixer->RowStrip(row)->TimelineLength(), end);
        Frame()->Action(ID_MIXER_REMOVEENDPADDING)->trigger();
        QCOMPARE(strip->TimelineLength(), end);

        // Back left: the padding stays until it is removed, then the long block sets the end.
        strip->grab();
        Drag(strip, -width / 2, 9);
        QVERIFY(strip->MixStart() + 250 < 1000);
        QCOMPARE(strip->TimelineLength(), end);
        Frame()->Action(ID_MIXER_REMOVEENDPADDING)->trigger();
        for (int row = 0; row < 2; ++row) QCOMPARE(mixer->RowStrip(row)->TimelineLength(), 1000u);
    }

    void mixAveragesIntoTheOutputAndEveryWindowOfItShows() {
        Open("a.wav", {200, 200, 200, 200, 0, 255});
        Open("b.wav", {100, 100});
        COrvexView* out = Open("out.wav", {0x10, 0x00}, 16);  // 16-bit: the mix is widened
        QVERIFY(out != nullptr);
        COrvexView* second = m_app->OnWindowNew();
        QVERIFY(second != nullptr);
        CMixerView* mixer = NewMixer();

        Frame()->Action(ID_MIXER_MIX)->trigger();
        QCOMPARE(Messages().size(), size_t{1});
        QVERIFY(Messages()[0].find("output") != std::string::npos);

        // The output is the sound's second window; its first must show the mix as well.
        Choose(mixer, 1, "out.wav:2");
        Frame()->Action(ID_MIXER_MIX)->trigger();
        QCOMPARE(Messages().size(), size_t{2});
        QVERIFY(Messages()[1].find("input") != std::string::npos);

        mixer->SelectRow(0);
        QVERIFY(mixer->AddInput());
        Choose(mixer, 0, "a.wav");
        Choose(mixer, 1, "b.wav");
        QVERIFY(mixer->Mix());
        QCOMPARE(Messages().size(), size_t{2});
        // (200 - 127) / 2 + (100 - 127) / 2 + 127 = 36 - 13 + 127; past b's end only a counts,
        // halved: 36 + 127, -127 / 2 + 127 = 64, 128 / 2 + 127 = 191.
        const std::vector<int> expected8 = {150, 150, 163, 163, 64, 191};
        SampleBuffer& sound = out->GetDocument()->sample;
        QCOMPARE(sound.GetFrameCount(), 6u);
        for (uint32_t i = 0; i < 6; ++i) {
            FrameValue value;
            sound.GetFrame(i, kLayoutMono16, value);
            QCOMPARE(value.slot[0], static_cast<int16_t>((expected8[i] - 128) * 256));
        }
        for (COrvexView* view : {out, second}) {
            QCOMPARE(view->UpperWindow()->GetFrameCount(), 6u);
            QVERIFY(view->windowTitle().endsWith(QLatin1Char('*')));
        }
        QCOMPARE(mixer->RowStrip(2)->Length(), 6u);

        // One input alone at the start copies an 8-bit mono sound unchanged.
        Open("copy.wav", {9});
        Choose(mixer, 2, "copy.wav");
        mixer->SelectRow(1);
        QVERIFY(mixer->RemoveInput());
        Frame()->Action(ID_MIXER_REMOVEENDPADDING)->trigger();
        QVERIFY(mixer->Mix());
        SampleBuffer& copy = Frame()->Views().last()->GetDocument()->sample;
        QCOMPARE(Bytes(copy), (std::vector<uint8_t>{200, 200, 200, 200, 0, 255}));
    }

    void windowsOpeningAndClosingKeepTheRowsValid() {
        Open("a.wav", {200, 200});
        Open("b.wav", {100, 100, 100});
        COrvexView* out = Open("out.wav", {});
        CMixerView* mixer = NewMixer();
        mixer->SelectRow(0);
        mixer->AddInput();
        Choose(mixer, 0, "a.wav");
        Choose(mixer, 1, "b.wav");
        Choose(mixer, 2, "out.wav");

        // The input's window goes; before the frame has noticed, painting and mixing skip it.
        auto* sub = qobject_cast<QMdiSubWindow*>(Frame()->Views()[0]->parentWidget());
        delete sub;
        mixer->RowStrip(0)->grab();
        QVERIFY(mixer->RowStrip(0)->Source() == nullptr);
        QVERIFY(mixer->Mix());
        QCOMPARE(Bytes(out->GetDocument()->sample), (std::vector<uint8_t>{100, 100, 100}));

        Settle();
        QCOMPARE(Items(mixer->RowList(0)), (QStringList{"b.wav", "out.wav*"}));
        QCOMPARE(mixer->RowList(0)->currentIndex(), -1);
        QCOMPARE(mixer->RowStrip(0)->Length(), 0u);
        QCOMPARE(mixer->RowList(1)->currentText(), QStringLiteral("b.wav"));

        // A window opened later is offered; a retitled one shows its new title.
        Open("c.wav", {7});
        QCOMPARE(Items(mixer->RowList(2)), (QStringList{"b.wav", "out.wav*", "c.wav"}));
        Frame()->Views()[0]->SetFrameTitle(QStringLiteral("renamed"));
        Settle();
        QCOMPARE(mixer->RowList(1)->currentText(), QStringLiteral("renamed"));

        // The output's window goes: Mix says what is missing.
        m_services->messages.Clear();
        delete qobject_cast<QMdiSubWindow*>(out->parentWidget());
        Settle();
        QVERIFY(!mixer->Mix());
        QCOMPARE(Messages().size(), size_t{1});
    }

    void rowsScrollWhenTheyDoNotFit() {
        CMixerView* mixer = NewMixer();
        mixer->parentWidget()->resize(500, 300);
        QVERIFY(!mixer->ScrollBar()->isVisible());
        for (int i = 0; i < 4; ++i) mixer->AddInput();
        QVERIFY(mixer->ScrollBar()->isVisible());
        QCOMPARE(mixer->ScrollBar()->maximum(), 105 * 6 + 6 - mixer->height());
        QCOMPARE(mixer->RowList(2)->y(), 105 * 2 + 6);
        mixer->ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(mixer->ScrollPosition(), 10);
        mixer->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(mixer->ScrollPosition(), 115);
        QCOMPARE(mixer->RowList(2)->y(), 105 * 2 + 6 - 115);
        QCOMPARE(mixer->RowStrip(2)->y(), 105 * 2 + 6 - 115);
        mixer->ScrollBar()->setValue(100000);
        QCOMPARE(mixer->ScrollPosition(), mixer->ScrollBar()->maximum());
        // A click selects the row under it, wherever the rows have scrolled to.
        QTest::mouseClick(mixer, Qt::LeftButton, {},
                          QPoint(95, 105 * 5 + 50 - mixer->ScrollPosition()));
        QCOMPARE(mixer->SelectedRow(), 5);
    }
};

QTEST_MAIN(MixerViewTest)
#include "MixerViewTest.moc"
