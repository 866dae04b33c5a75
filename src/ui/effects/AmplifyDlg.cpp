#include "ui/effects/AmplifyDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/effects/Amplify.h"
#include "core/effects/VolumeText.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/UpDown.h"
#include "ui/controls/WaitCursor.h"

namespace {

constexpr int kTextLimit = 10;

template <typename Widget>
Widget* Named(Widget* widget, const char* id) {
    widget->setObjectName(QString::fromLatin1(id));
    return widget;
}

QLineEdit* MakeEdit(QWidget* parent, const char* id) {
    auto* edit = Named(new QLineEdit(parent), id);
    edit->setMaxLength(kTextLimit);
    return edit;
}

CUpDown* MakeArrows(QWidget* parent, const char* id, int minimum, int maximum) {
    auto* arrows = Named(new CUpDown(parent), id);
    arrows->SetRange(minimum, maximum);
    return arrows;
}

const char* UnitText(bool inDb) {
    return inDb ? "volume dB" : "volume %";
}

}  // namespace

CAmplifyDlg::CAmplifyDlg(SampleBuffer* buffer, bool stereoView, uint32_t start, uint32_t end,
                         uint32_t channel, QWidget* parent)
    : QDialog(parent),
      m_bLock(channel == 0),
      m_pBuffer(buffer),
      m_nStart(start),
      m_nEnd(end),
      m_nChannel(channel),
      m_bStereoView(stereoView) {
    setWindowTitle(QStringLiteral("Adjust Volume"));
    BuildControls();
    WriteControls();
    ApplyEnabling();
    // The volume arrows only report steps and return to 0; the other two keep their edit equal
    // to their position, which replaces the texts written above.
    m_leftArrows->SetRange(-30000, 30000);
    m_rightArrows->SetRange(-30000, 30000);
    m_normaliseArrows->SetBuddyInt(m_normaliseEdit);
    m_normaliseArrows->SetPosition(100);
    m_dcBiasArrows->SetBuddyInt(m_dcBiasEdit);
    m_dcBiasArrows->SetPosition(0);
    ReadControls();
}

void CAmplifyDlg::BuildControls() {
    m_leftLabel = Named(new QLabel(QStringLiteral("&Left:"), this), "1072");
    m_leftEdit = MakeEdit(this, "1013");
    m_leftArrows = Named(new CUpDown(this), "1106");
    m_leftUnit = Named(new QLabel(QString::fromLatin1(UnitText(false)), this), "1016");
    m_rightLabel = Named(new QLabel(QStringLiteral("&Right:"), this), "1073");
    m_rightEdit = MakeEdit(this, "1014");
    m_rightArrows = Named(new CUpDown(this), "1107");
    m_rightUnit = Named(new QLabel(QString::fromLatin1(UnitText(false)), this), "1017");
    m_leftLabel->setBuddy(m_leftEdit);
    m_rightLabel->setBuddy(m_rightEdit);
    m_dbCheck = Named(new QCheckBox(QStringLiteral("&Scale in dB"), this), "1026");
    m_lockCheck = Named(new QCheckBox(QStringLiteral("L&ock Left && Right"), this), "1015");
    m_normaliseButton = Named(new QPushButton(QStringLiteral("&Normalise"), this), "1067");
    m_normaliseButton->setAutoDefault(false);
    m_normaliseEdit = MakeEdit(this, "1068");
    m_normaliseArrows = MakeArrows(this, "1111", 0, 32000);
    m_dcBiasCheck = Named(new QCheckBox(QStringLiteral("DC Bias Adjust"), this), "1069");
    m_dcBiasEdit = MakeEdit(this, "1070");
    m_dcBiasArrows = MakeArrows(this, "1112", -100, 100);

    auto* grid = new QGridLayout;
    grid->addWidget(m_leftLabel, 0, 0);
    grid->addWidget(m_leftEdit, 0, 1);
    grid->addWidget(m_leftArrows, 0, 2);
    grid->addWidget(m_leftUnit, 0, 3);
    grid->addWidget(m_rightLabel, 1, 0);
    grid->addWidget(m_rightEdit, 1, 1);
    grid->addWidget(m_rightArrows, 1, 2);
    grid->addWidget(m_rightUnit, 1, 3);
    grid->addWidget(m_dbCheck, 2, 0, 1, 2);
    grid->addWidget(m_lockCheck, 2, 2, 1, 2);
    grid->addWidget(m_normaliseButton, 3, 0);
    grid->addWidget(m_normaliseEdit, 3, 1);
    grid->addWidget(m_normaliseArrows, 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("%"), this), 3, 3);
    grid->addWidget(m_dcBiasCheck, 4, 0);
    grid->addWidget(m_dcBiasEdit, 4, 1);
    grid->addWidget(m_dcBiasArrows, 4, 2);
    grid->addWidget(new QLabel(QStringLiteral("%"), this), 4, 3);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CAmplifyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAmplifyDlg::reject);
    connect(m_leftEdit, &QLineEdit::textEdited, this, [this] { OnVolumeEdited(true); });
    connect(m_rightEdit, &QLineEdit::textEdited, this, [this] { OnVolumeEdited(false); });
    connect(m_leftArrows, &CUpDown::PositionChanged, this,
            [this](int position) { OnVolumeArrow(true, position); });
    connect(m_rightArrows, &CUpDown::PositionChanged, this,
            [this](int position) { OnVolumeArrow(false, position); });
    connect(m_dbCheck, &QCheckBox::clicked, this, &CAmplifyDlg::OnScaleInDb);
    connect(m_normaliseButton, &QPushButton::clicked, this, &CAmplifyDlg::OnNormalise);
}

// A side that the command will not touch cannot be edited: the right side when only the left
// channel is marked or the view shows one channel, the left side when only the right channel is
// marked. The lock only means something when both sides can change. The arrows of a side go with
// its edit, so a disabled side cannot be changed through them either.
void CAmplifyDlg::ApplyEnabling() {
    const bool rightOff = m_nChannel == 1 || !m_bStereoView;
    const bool leftOff = m_nChannel == 2;
    for (QWidget* control :
         {static_cast<QWidget*>(m_rightEdit), static_cast<QWidget*>(m_rightLabel),
          static_cast<QWidget*>(m_rightUnit), static_cast<QWidget*>(m_rightArrows)}) {
        control->setEnabled(!rightOff);
    }
    for (QWidget* control :
         {static_cast<QWidget*>(m_leftEdit), static_cast<QWidget*>(m_leftLabel),
          static_cast<QWidget*>(m_leftUnit), static_cast<QWidget*>(m_leftArrows)}) {
        control->setEnabled(!leftOff);
    }
    m_lockCheck->setEnabled(!rightOff && !leftOff);
}

void CAmplifyDlg::DeriveVolumes(bool inDb) {
    m_fLeft = VolumeFromText(m_strLeft, inDb);
    m_fRight = VolumeFromText(m_strRight, inDb);
}

void CAmplifyDlg::ReadControls() {
    m_strLeft = TextOf(m_leftEdit);
    m_strRight = TextOf(m_rightEdit);
    m_strNormalise = TextOf(m_normaliseEdit);
    m_strDcBias = TextOf(m_dcBiasEdit);
    m_bLock = m_lockCheck->isChecked();
    m_bDcBias = m_dcBiasCheck->isChecked();
    m_bDb = m_dbCheck->isChecked();
    DeriveVolumes(m_bDb);
}

void CAmplifyDlg::WriteControls() {
    ShowText(m_leftEdit, m_strLeft);
    ShowText(m_rightEdit, m_strRight);
    ShowText(m_normaliseEdit, m_strNormalise);
    ShowText(m_dcBiasEdit, m_strDcBias);
    m_lockCheck->setChecked(m_bLock);
    m_dcBiasCheck->setChecked(m_bDcBias);
    m_dbCheck->setChecked(m_bDb);
    DeriveVolumes(m_bDb);
}

void CAmplifyDlg::OnVolumeEdited(bool left) {
    ReadControls();
    if (m_bLock) {
        if (left) {
            m_strRight = m_strLeft;
        } else {
            m_strLeft = m_strRight;
        }
    }
    WriteControls();
}

// One arrow step is half a percent, in dB mode too; the arrows then return to 0 so that every
// click is a step of its own.
void CAmplifyDlg::OnVolumeArrow(bool left, int position) {
    ReadControls();
    float& volume = left ? m_fLeft : m_fRight;
    std::string& text = left ? m_strLeft : m_strRight;
    volume += 0.5f * static_cast<float>(position);
    text = VolumeText(volume, m_bDb);
    if (m_bLock)
        (left ? m_strRight : m_strLeft) = text;
    WriteControls();
    (left ? m_leftArrows : m_rightArrows)->SetPosition(0);
}

// The texts still hold the old scale when the box changes, so they are read in that scale and
// rewritten in the new one: the volumes themselves do not change.
void CAmplifyDlg::OnScaleInDb() {
    const bool wasDb = m_bDb;
    ReadControls();
    DeriveVolumes(wasDb);
    m_strLeft = VolumeText(m_fLeft, m_bDb);
    m_strRight = VolumeText(m_fRight, m_bDb);
    m_leftUnit->setText(QString::fromLatin1(UnitText(m_bDb)));
    m_rightUnit->setText(QString::fromLatin1(UnitText(m_bDb)));
    WriteControls();
}

void CAmplifyDlg::OnNormalise() {
    ReadControls();
    {
        WaitCursor wait;
        const auto start = static_cast<int32_t>(m_nStart);
        const auto end = static_cast<int32_t>(m_nEnd);
        float leftGain = 1.0f;
        float rightGain = 1.0f;
        if (m_bLock) {
            leftGain = rightGain = PeakGain(*m_pBuffer, start, end, 0);
        } else {
            leftGain = PeakGain(*m_pBuffer, start, end, 1);
            rightGain = PeakGain(*m_pBuffer, start, end, 2);
        }
        const int target = LeadingInteger(m_strNormalise);
        if (m_nChannel != 2)
            m_strLeft = NormaliseText(target, leftGain, m_bDb);
        if (m_nChannel != 1)
            m_strRight = NormaliseText(target, rightGain, m_bDb);
    }
    WriteControls();
}

void CAmplifyDlg::accept() {
    ReadControls();
    QDialog::accept();
}
