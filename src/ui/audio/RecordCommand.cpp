#include "ui/audio/RecordCommand.h"

#include "core/effects/VolumeText.h"
#include "core/services/Services.h"
#include "core/settings/SettingsStore.h"
#include "ui/audio/CRecordOptionsDlg.h"
#include "ui/effects/FrequencyControls.h"
#include "ui/view/COrvexView.h"

namespace {

// A first recording lasts a few seconds: long enough to say something, short enough that
// nobody waits for a forgotten recording to end.
constexpr int kFirstRecordSeconds = 5;

void LoadChoices(const SettingsStore& settings, CRecordOptionsDlg& dialog, int& defaultTime) {
    if (const auto time = settings.GetNumber(kOrvexKey, "DefaultRecordTime"))
        defaultTime = static_cast<int>(*time);
    if (const auto frequency = settings.GetNumber(kOrvexKey, "DefaultRecordFrequency")) {
        dialog.m_frequency = *frequency;
        dialog.m_strFrequency = FrequencyText(static_cast<int>(*frequency));
    }
    if (const auto bits = settings.GetNumber(kOrvexKey, "DefaultRecordBits"))
        dialog.m_nBits = static_cast<int>(*bits);
    if (const auto channels = settings.GetNumber(kOrvexKey, "DefaultRecordChannels"))
        dialog.m_nChannels = static_cast<int>(*channels);
}

void SaveChoices(SettingsStore& settings, const CRecordOptionsDlg& dialog) {
    const int time = LeadingInteger(dialog.m_strTime);
    settings.SetNumber(kOrvexKey, "DefaultRecordTime", static_cast<uint32_t>(time));
    settings.SetNumber(kOrvexKey, "DefaultRecordFrequency", dialog.m_frequency);
    settings.SetNumber(kOrvexKey, "DefaultRecordBits", static_cast<uint32_t>(dialog.m_nBits));
    settings.SetNumber(kOrvexKey, "DefaultRecordChannels",
                       static_cast<uint32_t>(dialog.m_nChannels));
}

}  // namespace

void RunRecordCommand(QWidget* parent, Services& services, const RecordTargets& targets) {
    services.settings.CreateKey(kOrvexKey);
    CRecordOptionsDlg dialog(services, parent);
    int defaultTime = kFirstRecordSeconds;
    LoadChoices(services.settings, dialog, defaultTime);
    const int result = dialog.Run(defaultTime);
    if (result != CRecordOptionsDlg::kRecordAsNew && result != CRecordOptionsDlg::kRecordHere)
        return;
    SaveChoices(services.settings, dialog);

    COrvexView* view = nullptr;
    if (result == CRecordOptionsDlg::kRecordAsNew)
        view = targets.newView();
    if (view == nullptr)
        view = targets.activeView();
    if (view == nullptr)
        view = targets.newView();
    if (view != nullptr)
        view->RecordIntoView(dialog.m_blockSize, dialog.m_frequency, dialog.m_bStereo,
                             dialog.m_b16Bit);
}
