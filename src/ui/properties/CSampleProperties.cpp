#include "ui/properties/CSampleProperties.h"

#include "core/sample/SampleBuffer.h"
#include "ui/app/COrvexDoc.h"
#include "ui/properties/CPptyInformation.h"
#include "ui/properties/CPptySample.h"
#include "ui/properties/CPptyView.h"
#include "ui/view/COrvexView.h"
#include "ui/view/CWaveformWnd.h"

CSampleProperties::CSampleProperties(Services& services, QWidget* parent)
    : QTabWidget(parent),
      m_format(new CPptySample(services, this)),
      m_viewPage(new CPptyView(this)),
      m_information(new CPptyInformation(this)) {
    setObjectName(QStringLiteral("SampleProperties"));
    setWindowTitle(QStringLiteral("Sample Properties"));
    addTab(m_format, QStringLiteral("Format"));
    addTab(m_viewPage, QStringLiteral("View"));
    addTab(m_information, QStringLiteral("Information"));
    setCurrentIndex(0);
    SetSampleSheetListener(this);
}

CSampleProperties::~CSampleProperties() {
    if (GetSampleSheetListener() == this)
        SetSampleSheetListener(nullptr);
}

void CSampleProperties::SetActiveSample(COrvexView* view, SampleBuffer* buffer) {
    window()->setVisible(m_showState == kShown);
    m_view = view;
    m_format->Bind(view, buffer);
    m_viewPage->Bind(view);
    m_information->Bind(buffer, [view]() {
        if (view != nullptr)
            view->GetDocument()->UpdateFrameTitles();
    });
    // The marks the view has now; later changes arrive as reports.
    if (view != nullptr && view->UpperWindow() != nullptr && buffer != nullptr) {
        const CWaveformWnd* upper = view->UpperWindow();
        if (upper->HasSelection())
            UpdateSelection(upper->GetSelStart(), upper->GetSelEnd(), buffer->GetBytesPerFrame(),
                            buffer->GetFrequency(), true);
        else
            UpdateSelection(upper->GetCaret(), 0, buffer->GetBytesPerFrame(),
                            buffer->GetFrequency(), false);
        UpdateFormat(view, buffer->GetFrequency(), buffer->GetChannels() == 2,
                     buffer->GetBits() == 16);
        UpdateScale(view, upper->GetZoom(), upper->GetStyle());
    }
}

void CSampleProperties::UpdateSelection(uint32_t first, uint32_t last, uint32_t bytesPerFrame,
                                        uint32_t frequency, bool isSelection) {
    m_viewPage->UpdateSelection(first, last, bytesPerFrame, frequency, isSelection);
}

bool CSampleProperties::TakesReportsOf(const QWidget* window) const {
    return m_view != nullptr && window != nullptr && m_view->isAncestorOf(window);
}

void CSampleProperties::UpdateFormat(const COrvexView* view, uint32_t frequency, bool stereo,
                                     bool sixteenBit) {
    if (view == m_view && view != nullptr)
        m_format->UpdateFormat(frequency, stereo, sixteenBit, view->GetDocument()->originalFormat);
}

void CSampleProperties::UpdateScale(const COrvexView* view, uint32_t scale, int style) {
    if (view == m_view && view != nullptr)
        m_viewPage->UpdateScale(scale, style);
}

void CSampleProperties::ViewClosing(const COrvexView* view) {
    m_showState = window()->isVisible() ? kShown : kHidden;
    if (view != m_view || view == nullptr)
        return;
    // The pages let go of the view and, when it was the sound's last window, of its sound.
    window()->hide();
    Unbind();
}

void CSampleProperties::Unbind() {
    m_view = nullptr;
    m_format->Bind(nullptr, nullptr);
    m_viewPage->Bind(nullptr);
    m_information->Bind(nullptr);
}
