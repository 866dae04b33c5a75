#include "ui/fileformats/ExtendedFileOpen.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>

#include "core/audio/PlaybackSession.h"
#include "core/sample/SampleBuffer.h"
#include "core/services/Services.h"

namespace {

constexpr uint32_t kWholeSound = 0xFFFFFFFFu;

template <typename Widget>
Widget* Named(Widget* widget, const char* id) {
    widget->setObjectName(QString::fromLatin1(id));
    return widget;
}

QLineEdit* MakeField(QWidget* parent, const char* id) {
    auto* field = Named(new QLineEdit(parent), id);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    return field;
}

}  // namespace

CExtendedFileOpen::CExtendedFileOpen(bool openMode, const QStringList& filters, Services& services,
                                     QWidget* parent)
    : QFileDialog(parent), m_openMode(openMode), m_services(services) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(openMode ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    setFileMode(openMode ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    setWindowTitle(openMode ? QStringLiteral("Open") : QStringLiteral("Save As"));
    setNameFilters(filters);
    setDefaultSuffix(QStringLiteral("wav"));
    if (openMode) {
        AddPanel(BuildOpenPanel());
        WatchFileName();
    } else {
        AddPanel(BuildSavePanel());
        // The type list's own signal, so that a type chosen by the program counts too.
        if (auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            connect(types, &QComboBox::currentIndexChanged, this,
                    &CExtendedFileOpen::UpdateOptionsButton);
        } else {
            connect(this, &QFileDialog::filterSelected, this,
                    &CExtendedFileOpen::UpdateOptionsButton);
        }
        UpdateOptionsButton();
    }
}

// The sound and its session go first (the members' order), so no device is left open.
CExtendedFileOpen::~CExtendedFileOpen() = default;

void CExtendedFileOpen::AddPanel(QWidget* panel) {
    // Qt's own dialog lays itself out in a grid; the panel takes a row below it.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(panel, grid->rowCount(), 0, 1, grid->columnCount());
    } else if (layout() != nullptr) {
        layout()->addWidget(panel);
    }
}

QWidget* CExtendedFileOpen::BuildOpenPanel() {
    auto* frame = new QGroupBox(this);
    m_fileType = MakeField(frame, "1139");
    m_sampleFormat = MakeField(frame, "1140");
    m_size = MakeField(frame, "1141");
    m_previewButton = Named(new QPushButton(QStringLiteral("Preview"), frame), "1142");
    m_previewButton->setAutoDefault(false);
    connect(m_previewButton, &QPushButton::clicked, this, &CExtendedFileOpen::OnPreview);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("File Format:"), m_fileType);
    fields->addRow(QStringLiteral("Sample Format:"), m_sampleFormat);
    fields->addRow(QStringLiteral("Size:"), m_size);
    auto* row = new QHBoxLayout(frame);
    row->addLayout(fields, 1);
    row->addWidget(m_previewButton, 0, Qt::AlignBottom);
    return frame;
}

QWidget* CExtendedFileOpen::BuildSavePanel() {
    auto* panel = new QWidget(this);
    m_optionsButton = Named(new QPushButton(QStringLiteral("Options..."), panel), "1143");
    m_optionsButton->setAutoDefault(false);
    connect(m_optionsButton, &QPushButton::clicked, this, &CExtendedFileOpen::OnOptions);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addWidget(m_optionsButton);
    return panel;
}

QString CExtendedFileOpen::FileName() const {
    const QStringList chosen = selectedFiles();
    return chosen.isEmpty() ? QString() : QFileInfo(chosen.first()).absoluteFilePath();
}

QString CExtendedFileOpen::FileTitle() const {
    return QFileInfo(FileName()).fileName();
}

int CExtendedFileOpen::TypeEntry() const {
    return static_cast<int>(nameFilters().indexOf(selectedNameFilter())) + 1;
}

bool CExtendedFileOpen::IsPreviewing() const {
    return m_preview != nullptr && m_preview->IsPlaying();
}

void CExtendedFileOpen::WatchFileName() {
    // The file under the cursor is what the list selects or the name box holds: a click in the
    // list, the arrow keys, a typed name and a name set by the program all end up there.
    const auto refresh = [this] { OnFileNameChange(); };
    connect(this, &QFileDialog::currentChanged, this, refresh);
    if (auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView")))
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, refresh);
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        connect(name, &QLineEdit::textChanged, this, refresh);
}

void CExtendedFileOpen::OnFileNameChange() {
    // Anything but an existing file (a folder, a name half typed) shows as no choice at all.
    const QString path = FileName();
    m_currentPath = QFileInfo(path).isFile() ? path : QString();
    std::string fileType, sampleFormat, size;
    m_describer.Describe(m_currentPath.toStdString(), fileType, sampleFormat, size);
    m_fileType->setText(QString::fromStdString(fileType));
    m_sampleFormat->setText(QString::fromStdString(sampleFormat));
    m_size->setText(QString::fromStdString(size));
}

void CExtendedFileOpen::OnPreview() {
    // A second click stops the preview; the next one plays the file again from its start.
    if (IsPreviewing()) {
        StopPreview();
        return;
    }
    const QString path = m_currentPath;
    if (path.isEmpty())
        return;
    if (!m_previewSample) {
        m_previewSample = std::make_unique<SampleBuffer>();
        m_preview = std::make_unique<PlaybackSession>(*m_previewSample, m_services.devices);
    }
    // The registry tells why a file cannot be read; a device that cannot play it is told here,
    // once per click.
    if (!m_services.registry.Open(path.toStdString(), *m_previewSample) ||
        m_preview->Play(this, kDefaultAudioDevice, kWholeSound, kWholeSound) != 0) {
        m_services.messages.ShowUntitledMessage("Couldn't preview sample");
    }
}

void CExtendedFileOpen::OnPlayDone() {
    if (m_preview)
        m_preview->ClosePlay();
}

void CExtendedFileOpen::StopPreview() {
    if (IsPreviewing())
        m_preview->Stop();
}

void CExtendedFileOpen::done(int result) {
    // The device is given back as soon as the dialog closes, whatever keeps the dialog alive.
    StopPreview();
    m_preview.reset();
    m_previewSample.reset();
    QFileDialog::done(result);
}

void CExtendedFileOpen::UpdateOptionsButton() {
    const int index = TypeEntry() - 1;
    m_optionsButton->setEnabled(index >= 0 && index < SoundFileRegistry::kHandlerCount &&
                                m_services.registry.Handler(index).HasOptions());
}

void CExtendedFileOpen::OnOptions() {
    if (m_optionsSample != nullptr)
        m_services.registry.ShowOptions(TypeEntry() - 1, *m_optionsSample);
}
