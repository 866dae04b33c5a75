#include "ui/effects/ConvertCommand.h"

#include "core/effects/Convert.h"
#include "core/effects/VolumeText.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "core/services/Services.h"
#include "ui/effects/ConvertDlg.h"
#include "ui/effects/FrequencyControls.h"

SampleFormat TargetFormatOf(const CConvertDlg& dialog) {
    const int frequency = LeadingInteger(dialog.m_strFrequency);
    return SampleFormat(frequency > 0 ? static_cast<uint32_t>(frequency) : 0, dialog.m_nStereo != 0,
                        dialog.m_n16Bit != 0);
}

bool ApplyConvert(MessageSink& messages, SampleBuffer& sample, SampleFormat& storedFormat,
                  const SampleFormat& target) {
    if (!IsConvertibleRate(target.GetFrequency())) {
        messages.ShowMessage(kBadRateMessage);
        return false;
    }
    sample.SetFormat(storedFormat);
    const bool converted = ChangeFormat(messages, sample, target);
    storedFormat = sample.FormatRef();
    return converted;
}

bool RunConvertCommand(QWidget* parent, Services& services, SampleBuffer& sample,
                       SampleFormat& storedFormat) {
    const SampleFormat& current = sample.FormatRef();
    CConvertDlg dialog(services, storedFormat.Describe(), FrequencyText(current.GetFrequency()),
                       current.Is16Bit() ? 1 : 0, current.IsStereo() ? 1 : 0, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return ApplyConvert(services.messages, sample, storedFormat, TargetFormatOf(dialog));
}
