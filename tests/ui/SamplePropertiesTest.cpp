// Drives the "Sample Properties" window against the real main window with two sample windows:
// which view the pages show, what each control does to the view and the sound, how the view's
// own changes come back, what a closed view leaves behind, and the window's place and
// visibility across a restart.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>
#include <memory>

#include "core/effects/SampleRatePresets.h"
#include "core/sample/SampleBuffer.h"
#include "support/TempDir.h"
#include "support/TestServices.h"
#include "support/WaveBytes.h"
#include "ui/EditorHarness.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/controls/UpDown.h"
#include "ui/properties/CMiniPropDlg.h"
#include "ui/properties/CPptyInformation.h"
#include "ui/properties/CPptySample.h"
#include "ui/properties/CPptyView.h"
#include "ui/properties/CSampleProperties.h"
#include "ui/view/COrvexView.h"
#include "ui/view/CWaveformWnd.h"

namespace {

std::vector<uint8_t> Wave(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t frames) {
    std::vector<uint8_t> data;
    const uint32_t values = frames * channels;
    for (uint32_t i = 0; i < values; ++i) {
        if (bits == 16)
            Put16(data, static_cast<uint16_t>(i * 7));
        else
            data.push_back(static_cast<uint8_t>(i));
    }
    return WaveBytes::Simple(channels, rate, bits, data);
}

// Types `text` over what the edit holds, as a user does.
void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

}  // namespace

class SamplePropertiesTest : public QObject, private EditorHarness {
    Q_OBJECT

private:
    CMiniPropDlg* Window() const { return Frame()->Properties(); }
    CSampleProperties* Sheet() const { return Window()->Sheet(); }
    template <typename T>
    T* Control(QWidget* page, const char* id) const {
        T* control = page->findChild<T*>(QLatin1String(id));
        [&] { QVERIFY2(control != nullptr, id); }();
        return control;
    }
    QWidget* FormatPage() const { return Sheet()->FormatPage(); }
    QWidget* ViewPage() const { return Sheet()->ViewPage(); }
    QWidget* InfoPage() const { return Sheet()->InformationPage(); }

    void Start() { QVERIFY(StartEditor()); }
    // Quits as the user does, so that the frame saves what it keeps, and starts again.
    void Restart() {
        Frame()->close();
        m_app.reset();
        Start();
    }
    COrvexView* Open(const std::string& name, const std::vector<uint8_t>& bytes) {
        return OpenFile(name, bytes);
    }

private slots:
    void init() {
        PrepareEditor();
        Start();
    }
    void cleanup() { DropEditor(); }

    void placementSurvivesRestart_data() {
        QTest::addColumn<QPoint>("moveTo");
        QTest::addColumn<bool>("hide");
        QTest::addColumn<bool>("expectOnScreenOnly");
        QTest::newRow("moved and hidden") << QPoint(120, 90) << true << false;
        QTest::newRow("moved and shown") << QPoint(300, 200) << false << false;
        QTest::newRow("off every screen") << QPoint(-20000, 30000) << false << true;
    }
    void placementSurvivesRestart() {
        QFETCH(QPoint, moveTo);
        QFETCH(bool, hide);
        QFETCH(bool, expectOnScreenOnly);
        // With nothing stored the window stands at (600, 400) and shows.
        QCOMPARE(Window()->pos(), QPoint(600, 400));
        QVERIFY(Window()->isVisible());
        QCOMPARE(Window()->windowTitle(), QStringLiteral("Sample Properties"));
        QCOMPARE(Window()->windowType(), Qt::Tool);

        Window()->move(moveTo);
        if (hide)
            Window()->close();
        Restart();
        QCOMPARE(Window()->isVisible(), !hide);
        QCOMPARE(Sheet()->ShowState(), hide ? 0 : 5);
        if (expectOnScreenOnly)
            QVERIFY(QGuiApplication::screenAt(Window()->pos()) != nullptr);
        else
            QCOMPARE(Window()->pos(), moveTo);
    }

    void bindingFollowsActivationAndCommand() {
        QAction* properties = Frame()->Action(ID_EDIT_PROPERTIES);
        QVERIFY(!properties->isEnabled());
        COrvexView* a = Open("a.wav", Wave(1, 22050, 8, 1000));
        COrvexView* b = Open("b.wav", Wave(2, 44100, 16, 500));
        QVERIFY(properties->isEnabled());
        QCOMPARE(Sheet()->BoundView(), b);
        auto* frequency = Control<QComboBox>(FormatPage(), "1001");
        QCOMPARE(frequency->currentText(), QStringLiteral("44100 Hz"));
        QVERIFY(Control<QRadioButton>(FormatPage(), "103")->isChecked());
        QVERIFY(Control<QRadioButton>(FormatPage(), "1055")->isChecked());
        QCOMPARE(Control<QLabel>(FormatPage(), "1148")->text(),
                 QStringLiteral("44100 Hz 16-Bit Stereo"));

        Activate(a);
        QCOMPARE(Sheet()->BoundView(), a);
        QCOMPARE(Sheet()->FormatPage()->Buffer(), &a->Buffer());
        QCOMPARE(frequency->currentText(), QStringLiteral("22050 Hz"));
        QCOMPARE(Control<QLabel>(FormatPage(), "1003")->text(), QStringLiteral("21 Kb/sec"));
        // Only the bound view's marks reach the View page.
        b->SetSelection(10, 20, 0);
        a->SetSelection(30, 40, 0);
        QCOMPARE(Control<QLineEdit>(ViewPage(), "1100")->text(), QStringLiteral("30"));

        // Hidden by its close box it stays hidden for the next sample; Properties shows it.
        Window()->close();
        QVERIFY(!Window()->isVisible());
        Activate(b);
        QCOMPARE(Sheet()->BoundView(), b);
        QVERIFY(!Window()->isVisible());
        properties->trigger();
        QVERIFY(Window()->isVisible());

        // Working in the window leaves the view's selection in sight.
        b->SetSelection(5, 50, 0);
        QApplication::setActiveWindow(Frame());
        b->setFocus(Qt::OtherFocusReason);
        QApplication::setActiveWindow(Window());
        QVERIFY(b->UpperWindow()->HasSelection());
        QCOMPARE(properties->shortcuts().first(), QKeySequence(QStringLiteral("Alt+Return")));
    }

    void closingTheShownViewLeavesNoBinding() {
        COrvexView* a = Open("a.wav", Wave(1, 22050, 8, 1000));
        COrvexView* b = Open("b.wav", Wave(1, 11025, 8, 800));
        QCOMPARE(Sheet()->BoundView(), b);
        // Another view closing changes nothing.
        Activate(a);
        Activate(b);
        qobject_cast<QMdiSubWindow*>(a->parentWidget())->close();
        QCoreApplication::processEvents();
        QCOMPARE(Sheet()->BoundView(), b);
        QVERIFY(Window()->isVisible());

        Frame()->CloseAll();
        QCoreApplication::processEvents();
        QVERIFY(!Window()->isVisible());
        QCOMPARE(Sheet()->BoundView(), nullptr);
        QCOMPARE(Sheet()->FormatPage()->Buffer(), nullptr);
        QCOMPARE(Sheet()->InformationPage()->Buffer(), nullptr);
        QCOMPARE(Sheet()->ViewPage()->View(), nullptr);
        // The controls still work; they reach no sound.
        Type(Control<QLineEdit>(InfoPage(), "1047"), QStringLiteral("x"));
        Control<QRadioButton>(FormatPage(), "1055")->click();
        Control<QPushButton>(FormatPage(), "1058")->click();
        Control<QPushButton>(ViewPage(), "1063")->click();
        QVERIFY(!Frame()->Action(ID_EDIT_PROPERTIES)->isEnabled());
        // A new sample shows the window again in the state it had.
        Open("c.wav", Wave(1, 8000, 8, 100));
        QVERIFY(Window()->isVisible());
    }

    // Relabelling keeps the bytes and the marks on them; Revert and Convert use the original.
    void formatPageRelabelsRevertsAndConverts() {
        COrvexView* view = Open("a.wav", Wave(1, 22050, 8, 1000));
        Open("other.wav", Wave(2, 44100, 16, 100));
        Activate(view);
        SampleBuffer& sound = view->Buffer();
        view->SetSelection(100, 199, 0);

        Control<QRadioButton>(FormatPage(), "1055")->click();  // 16-bit
        QCOMPARE(sound.GetByteLength(), 1000u);
        QCOMPARE(sound.GetFrameCount(), 500u);
        uint32_t first = 0, last = 0;
        int selector = 0;
        view->GetMarkedRange(first, last, selector);
        QCOMPARE(first, 50u);
        QCOMPARE(last, 99u);
        QCOMPARE(Frame()->PaneText(2), QStringLiteral("16 Bit"));
        QCOMPARE(Control<QLineEdit>(ViewPage(), "1100")->text(), QStringLiteral("50"));
        // Clicking the width already chosen does nothing.
        const uint64_t changes = sound.ChangeCount();
        Control<QRadioButton>(FormatPage(), "1055")->click();
        QCOMPARE(sound.ChangeCount(), changes);
        QVERIFY(Control<QRadioButton>(FormatPage(), "1055")->isChecked());
        Control<QRadioButton>(FormatPage(), "1054")->click();  // back to 8-bit
        view->GetMarkedRange(first, last, selector);
        QCOMPARE(first, 100u);
        QCOMPARE(last, 198u);

        auto* frequency = Control<QComboBox>(FormatPage(), "1001");
        const std::vector<uint8_t> bytes(sound.Data(), sound.Data() + sound.GetByteLength());
        Type(frequency->lineEdit(), QStringLiteral("44100"));
        QCOMPARE(sound.GetFrequency(), 44100u);
        QCOMPARE(Frame()->PaneText(3), QStringLiteral("44100 Hz"));
        QCOMPARE(frequency->currentText(), QStringLiteral("44100"));
        Control<QRadioButton>(FormatPage(), "103")->click();  // stereo
        QVERIFY(view->IsStereoLayout());
        QCOMPARE(Control<QLabel>(FormatPage(), "1003")->text(), QStringLiteral("86 Kb/sec"));

        Control<QPushButton>(FormatPage(), "1057")->click();  // Revert
        QCOMPARE(sound.FormatRef(), SampleFormat(22050, false, false));
        QVERIFY(std::equal(bytes.begin(), bytes.end(), sound.Data()));
        QVERIFY(!view->IsStereoLayout());
        QCOMPARE(frequency->currentText(), QStringLiteral("22050 Hz"));

        Type(frequency->lineEdit(), QStringLiteral("11025 Hz"));
        Control<QPushButton>(FormatPage(), "1058")->click();  // Convert
        QCOMPARE(sound.GetFrameCount(), 500u);
        QCOMPARE(view->GetDocument()->originalFormat, SampleFormat(11025, false, false));
        QCOMPARE(Control<QLabel>(FormatPage(), "1148")->text(),
                 QStringLiteral("11025 Hz 8-Bit Mono"));
        Control<QPushButton>(FormatPage(), "1057")->click();
        QCOMPARE(sound.GetFrequency(), 11025u);
    }

    void formatPageAppliesNamedQualities() {
        SampleRatePresets presets(m_services->settings);
        presets.Frequency = 44100;
        presets.Channels = 2;
        presets.Bits = 16;
        QVERIFY(presets.Save("CD"));
        Restart();
        COrvexView* view = Open("a.wav", Wave(1, 22050, 8, 1000));
        auto* quality = Control<QComboBox>(FormatPage(), "1053");
        QCOMPARE(quality->count(), 1);
        QCOMPARE(quality->currentText(), QString());
        emit quality->textActivated(QStringLiteral("CD"));
        QCOMPARE(view->Buffer().FormatRef(), SampleFormat(44100, true, true));
        QVERIFY(view->IsStereoLayout());
        QCOMPARE(Control<QComboBox>(FormatPage(), "1001")->currentText(),
                 QStringLiteral("44100 Hz"));
        QCOMPARE(Control<QLabel>(FormatPage(), "1003")->text(), QStringLiteral("172 Kb/sec"));
        // A format that matches no preset names none.
        Control<QRadioButton>(FormatPage(), "102")->click();
        QCOMPARE(quality->currentText(), QString());
    }

    void formatPageRefusesBadFrequencies_data() {
        QTest::addColumn<QString>("typed");
        // The last frequency that could be taken while typing.
        QTest::addColumn<uint32_t>("kept");
        QTest::newRow("zero") << QStringLiteral("0") << 22050u;
        QTest::newRow("above 50000") << QStringLiteral("60000") << 6000u;
        QTest::newRow("no number") << QStringLiteral("fast") << 22050u;
    }
    void formatPageRefusesBadFrequencies() {
        QFETCH(QString, typed);
        QFETCH(uint32_t, kept);
        COrvexView* view = Open("a.wav", Wave(1, 22050, 8, 1000));
        auto* edit = Control<QComboBox>(FormatPage(), "1001")->lineEdit();
        Type(edit, typed);
        QCOMPARE(view->Buffer().FormatRef(), SampleFormat(kept, false, false));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(m_services->messages.Texts(),
                 std::vector<std::string>{"The frequency must be a number from 1 to 50000 Hz."});
        QCOMPARE(edit->text(), QStringLiteral("%1 Hz").arg(kept));
        // Convert goes to the last format the sound took.
        Control<QPushButton>(FormatPage(), "1058")->click();
        QCOMPARE(view->GetDocument()->originalFormat, SampleFormat(kept, false, false));
        QCOMPARE(view->Buffer().GetFrameCount(), kept == 22050u ? 1000u : 272u);
    }

    void viewPageShowsMarksInUnits_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::newRow("samples") << "1102"
                                 << "100"
                                 << "199";
        QTest::newRow("bytes") << "1103"
                               << "400"
                               << "796";
        QTest::newRow("seconds") << "1006"
                                 << "0.00"
                                 << "0.01";
    }
    void viewPageShowsMarksInUnits() {
        QFETCH(QString, unit);
        QFETCH(QString, left);
        QFETCH(QString, right);
        COrvexView* view = Open("a.wav", Wave(2, 22050, 16, 2000));
        view->SetSelection(100, 199, 0);
        Control<QRadioButton>(ViewPage(), unit.toLatin1().constData())->click();
        auto* leftEdit = Control<QLineEdit>(ViewPage(), "1100");
        auto* rightEdit = Control<QLineEdit>(ViewPage(), "1101");
        QCOMPARE(leftEdit->text(), left);
        QCOMPARE(rightEdit->text(), right);
        QCOMPARE(Control<QLabel>(ViewPage(), "1098")->text(), QStringLiteral("Left:"));
        // The caret shows alone, in the same unit.
        view->SetCaret(100, 0);
        QCOMPARE(leftEdit->text(), left);
        QVERIFY(rightEdit->text().isEmpty());
        QVERIFY(!rightEdit->isEnabled());
        QCOMPARE(Control<QLabel>(ViewPage(), "1098")->text(), QStringLiteral("Cursor:"));
        QCOMPARE(Control<QLabel>(ViewPage(), "1099")->text(), QString());
    }

    void viewPageSetsTheView() {
        COrvexView* view = Open("a.wav", Wave(2, 22050, 16, 40000));
        view->SetSelection(100, 199, 0);
        auto* leftEdit = Control<QLineEdit>(ViewPage(), "1100");
        auto* rightEdit = Control<QLineEdit>(ViewPage(), "1101");
        uint32_t first = 0, last = 0;
        int selector = 0;

        // Typed values are taken in the unit and clipped to the sound.
        Type(leftEdit, QStringLiteral("150"));
        view->GetMarkedRange(first, last, selector);
        QCOMPARE(first, 150u);
        QCOMPARE(leftEdit->text(), QStringLiteral("150"));
        Type(leftEdit, QStringLiteral("500"));  // above right: left becomes right
        view->GetMarkedRange(first, last, selector);
        QCOMPARE(first, 199u);
        Control<QRadioButton>(ViewPage(), "1103")->click();
        Type(rightEdit, QStringLiteral("999999"));
        view->GetMarkedRange(first, last, selector);
        QCOMPARE(last, 39999u);
        Control<QRadioButton>(ViewPage(), "1006")->click();
        Type(leftEdit, QStringLiteral("0.01"));
        view->GetMarkedRange(first, last, selector);
        QCOMPARE(first, 220u);
        Control<QRadioButton>(ViewPage(), "1102")->click();

        // The arrows step one sample and go back to 0.
        auto* leftArrows = Control<CUpDown>(ViewPage(), "1106");
        leftArrows->Step(1);
        view->GetMarkedRange(first, last, selector);
        QCOMPARE(first, 221u);
        QCOMPARE(leftArrows->Position(), 0);
        QCOMPARE(leftEdit->text(), QStringLiteral("221"));

        // Scale and style go to the view, and the view's own zoom comes back.
        auto* scale = Control<QLineEdit>(ViewPage(), "1059");
        Type(scale, QStringLiteral("10"));
        QCOMPARE(view->UpperWindow()->GetZoom(), 10u);
        QCOMPARE(Frame()->PaneText(5), QStringLiteral("10:1"));
        Control<QPushButton>(ViewPage(), "1063")->click();
        QCOMPARE(view->UpperWindow()->GetZoom(), 1u);
        QCOMPARE(scale->text(), QStringLiteral("1:1"));
        view->ZoomAll();
        QCOMPARE(scale->text(), QStringLiteral("%1:1").arg(view->UpperWindow()->GetZoom()));
        Control<QRadioButton>(ViewPage(), "1062")->click();
        QCOMPARE(view->UpperWindow()->GetStyle(), 2);
        QCOMPARE(view->LowerWindow()->GetStyle(), 2);
    }

    void informationTextsReachTheSoundAndItsFile() {
        COrvexView* view = Open("a.wav", Wave(1, 22050, 8, 100));
        SampleBuffer& sound = view->Buffer();
        sound.SetInfo(kInfoArtist, "Someone");
        Activate(Open("b.wav", Wave(1, 22050, 8, 100)));
        Activate(view);
        QCOMPARE(Control<QLineEdit>(InfoPage(), "1048")->text(), QStringLiteral("Someone"));

        QLineEdit* name = Control<QLineEdit>(InfoPage(), "1047");
        QTest::keyClicks(name, QStringLiteral("Ab"));
        QCOMPARE(sound.Info(kInfoName), std::string("Ab"));
        QVERIFY(view->parentWidget()->windowTitle().endsWith(QLatin1Char('*')));
        QTest::keyClick(name, Qt::Key_Backspace);
        QCOMPARE(sound.Info(kInfoName), std::string("A"));
        QCOMPARE(sound.Info(kInfoArtist), std::string("Someone"));
        Type(Control<QLineEdit>(InfoPage(), "1049"), QStringLiteral("loud"));
        Type(Control<QLineEdit>(InfoPage(), "1050"), QStringLiteral("(c) 2026"));

        const std::string path = m_dir->File("saved.wav");
        QVERIFY(view->GetDocument()->OnSaveDocument(QString::fromStdString(path)));
        QVERIFY(Frame()->CloseAll());
        COrvexView* reopened = m_app->OpenDocumentFile(QString::fromStdString(path));
        QCoreApplication::processEvents();
        QCOMPARE(Sheet()->BoundView(), reopened);
        QStringList shown;
        for (const char* id : {"1047", "1048", "1049", "1050"})
            shown << Control<QLineEdit>(InfoPage(), id)->text();
        QCOMPARE(shown, (QStringList{"A", "Someone", "loud", "(c) 2026"}));
    }
};

QTEST_MAIN(SamplePropertiesTest)
#include "SamplePropertiesTest.moc"
