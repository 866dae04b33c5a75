#pragma once

#include <QTabWidget>

#include "ui/view/WaveformListeners.h"

class COrvexView;
class CPptyInformation;
class CPptySample;
class CPptyView;
class SampleBuffer;
struct Services;

// The three pages of "Sample Properties": Format, View and Information. While it lives it is the
// sheet the sample views report to; it shows one view at a time, the one bound last.
class CSampleProperties : public QTabWidget, public SampleSheetListener {
    Q_OBJECT
public:
    // The show states the frame takes when a sample is bound.
    static constexpr int kShown = 5;
    static constexpr int kHidden = 0;

    CSampleProperties(Services& services, QWidget* parent);
    ~CSampleProperties() override;

    // Binds the pages to `view` and its sound, and shows the frame in the remembered state.
    void SetActiveSample(COrvexView* view, SampleBuffer* buffer);
    COrvexView* BoundView() const { return m_view; }

    int ShowState() const { return m_showState; }
    void SetShowState(int state) { m_showState = state; }

    CPptySample* FormatPage() const { return m_format; }
    CPptyView* ViewPage() const { return m_viewPage; }
    CPptyInformation* InformationPage() const { return m_information; }

    // SampleSheetListener: only the bound view's reports reach the pages.
    void UpdateSelection(uint32_t first, uint32_t last, uint32_t bytesPerFrame, uint32_t frequency,
                         bool isSelection) override;
    bool TakesReportsOf(const QWidget* window) const override;
    void UpdateFormat(const COrvexView* view, uint32_t frequency, bool stereo,
                      bool sixteenBit) override;
    void UpdateScale(const COrvexView* view, uint32_t scale, int style) override;
    void ViewClosing(const COrvexView* view) override;

private:
    void Unbind();

    CPptySample* m_format;
    CPptyView* m_viewPage;
    CPptyInformation* m_information;
    COrvexView* m_view = nullptr;
    int m_showState = kShown;
};
