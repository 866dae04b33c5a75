#include "ui/effects/ConvertCommand.h"

#include "core/effects/Convert.h"
#include "core/effects/VolumeText.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "ui/effects/ConvertDlg.h"
#include "ui/effects/FrequencyControls.h"

SampleFormat TargetFormatOf(const CConvertDlg& dialog) {
    const int frequency = LeadingInteger(dialog.m_strFrequency);
    return SampleFormat(frequency > 0 ? static_cast<uint32_t>(frequency) : 0, dialog.m_nStereo != 0,
                        dialog.m_n16Bit != 0);
}

bool ApplyConvert(SampleBuffer& sample, SampleFormat& storedFormat, const SampleFormat& target) {
    if (!IsConvertibleRate(target.GetFrequency())) {
        ShowMessage(kBadRateMessage);
        return false;
    }
    sample.SetFormat(storedFormat);
    const bool converted = ChangeFormat(sample, target);
    storedFormat = sample.FormatRef();
    return converted;
}

bool RunConvertCommand(QWidget* parent, SampleBuffer& sample, SampleFormat& storedFormat) {
    const SampleFormat& current = sample.FormatRef();
    CConvertDlg dialog(storedFormat.Describe(), FrequencyText(current.GetFrequency()),
                       current.Is16Bit() ? 1 : 0, current.IsStereo() ? 1 : 0, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return ApplyConvert(sample, storedFormat, TargetFormatOf(dialog));
}
