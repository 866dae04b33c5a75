#include "ui/effects/CEnvelopeDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/effects/Amplify.h"
#include "core/effects/CurveModel.h"
#include "core/effects/VolumeText.h"
#include "core/sample/SampleBuffer.h"
#include "ui/controls/ControlText.h"
#include "ui/controls/UpDown.h"
#include "ui/controls/WaitCursor.h"
#include "ui/effects/CManipListener.h"

namespace {

constexpr int kTextLimit = 10;

// An edit with its arrows, 0..32767 starting at 100, each keeping the other's value.
QLineEdit* AddNumber(QWidget* parent, QGridLayout* grid, int row, const char* editId,
                     const char* arrowsId, CUpDown*& arrows) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(editId));
    edit->setMaxLength(kTextLimit);
    arrows = new CUpDown(parent);
    arrows->setObjectName(QString::fromLatin1(arrowsId));
    arrows->SetRange(0, 32767);
    arrows->SetBuddyInt(edit);
    arrows->SetPosition(100);
    grid->addWidget(edit, row, 1);
    grid->addWidget(arrows, row, 2);
    grid->addWidget(new QLabel(QStringLiteral("%"), parent), row, 3);
    return edit;
}

}  // namespace

CEnvelopeDlg::CEnvelopeDlg(Services& services, SampleBuffer* buffer, uint32_t start, uint32_t end,
                           uint32_t channel, QWidget* parent)
    : CCurveDlg(services, QStringLiteral("Edit Envelope"), parent),
      m_pBuffer(buffer),
      m_nStart(start),
      m_nEnd(end),
      m_nChannel(channel) {
    auto* amplification = new QGroupBox(QStringLiteral("&Amplification"), this);
    auto* amplificationGrid = new QGridLayout(amplification);
    m_amplificationEdit =
        AddNumber(amplification, amplificationGrid, 0, "1013", "1108", m_amplificationArrows);

    auto* normalisation = new QGroupBox(QStringLiteral("N&ormalisation"), this);
    auto* normalisationGrid = new QGridLayout(normalisation);
    m_normaliseButton = new QPushButton(QStringLiteral("&Normalise"), normalisation);
    m_normaliseButton->setObjectName(QStringLiteral("1067"));
    m_normaliseButton->setAutoDefault(false);
    normalisationGrid->addWidget(m_normaliseButton, 0, 0);
    m_normaliseEdit =
        AddNumber(normalisation, normalisationGrid, 0, "1068", "1111", m_normaliseArrows);

    SideColumn()->addWidget(amplification);
    SideColumn()->addWidget(normalisation);
    connect(m_normaliseButton, &QPushButton::clicked, this, &CEnvelopeDlg::OnNormalise);

    const uint32_t rate = buffer->FormatRef().GetFrequency();
    Finish(CurveModel::kEnvelopePresets, CurveModel::kFlatTop,
           std::make_unique<CEnvelopeListener>(Readout(), SecondsOf(start, rate),
                                               SecondsOf(end, rate)));
    ReadControls();
}

float CEnvelopeDlg::Amplification() const {
    return static_cast<float>(LeadingNumber(m_strAmplification) * 0.01);
}

void CEnvelopeDlg::ReadControls() {
    m_strAmplification = TextOf(m_amplificationEdit);
    m_strNormalise = TextOf(m_normaliseEdit);
}

void CEnvelopeDlg::WriteControls() {
    ShowText(m_amplificationEdit, m_strAmplification);
    ShowText(m_normaliseEdit, m_strNormalise);
}

// The amplification that brings the loudest selected sample to the target percentage of full
// scale; the amplification arrows then start from the target.
void CEnvelopeDlg::OnNormalise() {
    ReadControls();
    {
        const WaitCursor wait;
        const float gain = PeakGain(*m_pBuffer, static_cast<int32_t>(m_nStart),
                                    static_cast<int32_t>(m_nEnd), m_nChannel);
        const int target = LeadingInteger(m_strNormalise);
        m_strAmplification = NormaliseText(target, gain, false);
        m_amplificationArrows->SetPosition(target);
    }
    WriteControls();
}

void CEnvelopeDlg::accept() {
    ReadControls();
    CCurveDlg::accept();
}
