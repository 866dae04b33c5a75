// The extended file dialogs: the information panel as the cursor moves over files of every kind,
// Preview on a fake output device, Options... by type, and the Sun/NeXT options dialog from its
// controls to the file that is saved.
#include <QtTest>

#include "core/sample/SampleBuffer.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"
#include "support/TestServices.h"
#include "support/WaveBytes.h"
#include "ui/DialogDriver.h"
#include "ui/app/FileDialogs.h"
#include "ui/fileformats/AuOptionsDlg.h"
#include "ui/fileformats/ExtendedFileOpen.h"

namespace {

// The services of the editor with the Sun/NeXT options asked by the real dialog.
struct EditorServices : TestServices {
    EditorServices() : TestServices(&auOptions) {}
    CAuOptionsPresenter auOptions;
};

}  // namespace

class FileDialogsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<EditorServices> m_editor;
    std::unique_ptr<TempDir> m_dir;

    QString Write(const std::string& name, const Bytes8& bytes) {
        WriteBytes(m_dir->File(name), bytes);
        return QString::fromStdString(m_dir->File(name));
    }
    // An Open dialog in the scratch folder with the cursor put on `path`, as a click in the list
    // puts it, once the panel has caught up.
    std::unique_ptr<CExtendedFileOpen> OpenDialogOn(const QString& path) {
        auto dialog = std::make_unique<CExtendedFileOpen>(
            true, NameFiltersFromRegistry(m_editor->registry.OpenFilter()), m_editor->services);
        dialog->show();
        PutCursorOn(*dialog, path);
        return dialog;
    }
    static void PutCursorOn(CExtendedFileOpen& dialog, const QString& path) {
        dialog.setDirectory(QFileInfo(path).absolutePath());
        dialog.selectFile(QFileInfo(path).fileName());
        QTRY_VERIFY(dialog.selectedFiles().value(0) == path && !Shown(&dialog, "1139").isEmpty());
    }

private slots:
    void init() {
        m_editor = std::make_unique<EditorServices>();
        m_dir = std::make_unique<TempDir>();
    }
    void cleanup() {
        m_editor.reset();
        m_dir.reset();
    }

    void PanelDescribesTheFileUnderTheCursor() {
        const std::string deep = std::string(150, 'f') + "/" + std::string(100, 'g');
        std::filesystem::create_directories(m_dir->Path() / deep);
        const std::tuple<std::string, Bytes8, const char*> cases[] = {
            {"a.wav", WaveBytes::Simple(1, 22050, 8, RampBytes(22050)),
             "Windows RIFF|22050 Hz 8-Bit Mono|22050 Bytes; 1.00 secs"},
            {"b.voc", {'C', 'r', 'e', 'a'}, "Creative Voice File|Unknown|Unknown"},
            {"e.raw", RampBytes(22050), "Raw Binary|Unknown|22050 Bytes; 2.00 secs @ 11kHz mono"},
            // Broken files show what the handler makes of them and raise no box.
            {"cut.wav", {'R', 'I', 'F', 'F', 8, 0}, "Windows RIFF|No WAVE Subchunk|Unknown"},
            // A path longer than 256 characters.
            {deep + "/long.wav", WaveBytes::Simple(2, 11025, 16, RampBytes(44100)),
             "Windows RIFF|11025 Hz 16-Bit Stereo|44100 Bytes; 1.00 secs"},
        };
        auto dialog = OpenDialogOn(Write("first.wav", std::get<1>(cases[0])));
        for (const auto& [name, bytes, fields] : cases) {
            PutCursorOn(*dialog, Write(name, bytes));
            QTRY_COMPARE(Shown(dialog.get(), "1139 1140 1141"), fields);
        }
        QVERIFY(m_editor->messages.Shown().empty());
    }

    void PreviewPlaysStopsAndLeavesNoDeviceOpen() {
        const Bytes8 sound = RampBytes(3000);
        auto dialog = OpenDialogOn(Write("p.wav", WaveBytes::Simple(1, 11025, 8, sound)));
        FakeDeviceLog& log = m_editor->devices.log;
        for (int round = 1; round <= 3; ++round) {
            Do(dialog.get(), "1142");  // plays (rounds 1 and 3) or stops (round 2)
            QCOMPARE(dialog->IsPreviewing(), round != 2);
            QCOMPARE(log.Live(), round != 2 ? 1 : 0);
        }
        const FakeOutput& out = *m_editor->devices.output;
        QCOMPARE(Bytes8(out.block, out.block + out.blockBytes), sound);
        // The end of the sound closes the device; the next click plays it again.
        m_editor->devices.output->Finish();
        QTRY_COMPARE(log.Live(), 0);
        QVERIFY(!dialog->IsPreviewing());
        Do(dialog.get(), "1142");
        QCOMPARE(log.Live(), 1);
        // A device that cannot play is told once a click.
        m_editor->devices.openResult = kAudioNoDriver;
        Do(dialog.get(), "1142; 1142");
        QVERIFY(!dialog->IsPreviewing());
        QCOMPARE(m_editor->messages.Texts(), Texts{"Couldn't preview sample"});
        dialog->reject();
        QCOMPARE(log.Live(), 0);
        QCOMPARE(log.opened, 3);
    }

    void ForceTickFollowsTheRadiosAndOkStoresTheWord() {
        // The word stored; whether the tick is clicked, then which radio (-1 none); whether the
        // tick could be used at the start; the word after OK.
        const std::tuple<uint16_t, bool, int, bool, uint16_t> cases[] = {
            {0, false, -1, true, 1},  // no options yet: mu-law, no forcing
            {5, false, -1, true, 5},  // kept as stored
            {2, true, 0, false, 5},   // linear -> mu-law and forced
            {5, false, 1, true, 6},   // the tick is kept while disabled
            {6, false, 0, false, 5},  // and counts again with mu-law
        };
        for (const auto& [stored, tick, radio, enabledAtStart, result] : cases) {
            CAuOptionsDlg dialog(AuSaveOptions::FromOptions(stored));
            // The radios carry no ids: mu-law comes first, then linear.
            const auto radios = dialog.findChildren<QRadioButton*>();
            auto* box = dialog.findChild<QCheckBox*>();
            QCOMPARE(box->isEnabled(), enabledAtStart);
            QCOMPARE(radios[1]->isChecked(), (stored & 2) != 0);
            if (tick)
                Click(box);
            if (radio >= 0)
                Click(radios[radio]);
            QCOMPARE(box->isEnabled(), !radios[1]->isChecked());
            if (tick && radio >= 0)
                Click(box);  // a tick clicked while disabled does nothing
            dialog.accept();
            QCOMPARE(dialog.Options().ToOptions(), result);
        }
    }

    void ChosenOptionsReachTheSavedFile() {
        // Mu-law or linear (or Cancel), whether to force 8 kHz, then encoding, rate and channels
        // saved.
        const std::tuple<int, bool, Bytes8> cases[] = {
            {-1, true, {0, 0, 0, 1, 0, 0, 0xAC, 0x44, 0, 0, 0, 2}},
            {0, false, {0, 0, 0, 1, 0, 0, 0xAC, 0x44, 0, 0, 0, 2}},
            {0, true, {0, 0, 0, 1, 0, 0, 0x1F, 0x40, 0, 0, 0, 1}},
            {1, true, {0, 0, 0, 3, 0, 0, 0xAC, 0x44, 0, 0, 0, 2}},
        };
        for (const auto& [choice, forced, header] : cases) {
            const int radio = choice;  // clang 14 lambdas cannot capture structured bindings
            const bool force = forced;
            SampleBuffer sample;
            sample.SetFormat(44100, true, true);
            sample.ResizeBytes(44100 * 4);
            const QString target =
                QString::fromStdString(m_dir->File(std::to_string(radio * 2 + force + 2))) + ".au";
            WhenModalOpens<CExtendedFileOpen>([&](CExtendedFileOpen* dialog) {
                // Only Sun/NeXT has options.
                QVERIFY(!ById(dialog, "1143")->isEnabled());
                Choose(dialog, "fileTypeCombo", dialog->nameFilters()[SoundFileRegistry::kAu]);
                WhenModalOpens<CAuOptionsDlg>([&](CAuOptionsDlg* options) {
                    if (radio < 0)
                        return options->reject();
                    Click(options->findChildren<QRadioButton*>()[radio]);
                    auto* tick = options->findChild<QCheckBox*>();
                    if (tick->isChecked() != force)
                        Click(tick);
                    options->accept();
                });
                Do(dialog, "1143");
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(target);
                QMetaObject::invokeMethod(dialog, "accept");
            });
            QString path, title = QStringLiteral("Untitled.wav");
            QVERIFY(SaveDialog(nullptr, m_editor->services, path, title, sample));
            QCOMPARE(path, target);
            if (radio < 0)
                QCOMPARE(sample.GetFormatOptions(), 0u);  // nothing chosen, nothing kept
            QVERIFY(m_editor->registry.Save(path.toStdString(), sample));
            const Bytes8 saved = ReadBytes(path.toStdString());
            QCOMPARE(Bytes8(saved.begin() + 12, saved.begin() + 24), header);
        }
        QCOMPARE(m_editor->settings.GetString(kOrvexKey, kLoadPathValue).value_or(""),
                 m_dir->Path().string() + "/");
    }
};

QTEST_MAIN(FileDialogsTest)
#include "FileDialogsTest.moc"
