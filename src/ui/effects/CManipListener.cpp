#include "ui/effects/CManipListener.h"

#include <QLabel>

// QString::asprintf formats with "." whatever the user's locale, as the readouts always have.

void CManipListener::ShowPosition(float fx, float fy) {
    if (m_readout != nullptr)
        m_readout->setText(PositionText(fx, fy));
}

void CManipListener::ClearPosition() {
    if (m_readout != nullptr)
        m_readout->setText(QStringLiteral(" "));
}

QString CManipListener::PositionText(float, float) const {
    return QStringLiteral("0");
}

QString CCompressorListener::PositionText(float fx, float fy) const {
    return QString::asprintf("%.2f -> %.2f", static_cast<double>(fx),
                             static_cast<double>(1.0f - fy));
}

QString CEnvelopeListener::PositionText(float fx, float fy) const {
    const float time = m_fStart + (m_fEnd - m_fStart) * fx;
    return QString::asprintf("%.1fs -> %.1f%%", static_cast<double>(time),
                             static_cast<double>((1.0f - fy) * 100.0f));
}

QString CPanningListener::PositionText(float fx, float fy) const {
    const float time = m_fStart + (m_fEnd - m_fStart) * fx;
    return QString::asprintf("%.1fs -> %.0f%%L,%.0f%%R", static_cast<double>(time),
                             static_cast<double>((1.0f - fy) * 100.0f),
                             static_cast<double>(fy * 100.0f));
}
