#include "ui/properties/CPptyInformation.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "core/sample/SampleBuffer.h"
#include "ui/controls/ControlText.h"

const std::array<CPptyInformation::Field, 4> CPptyInformation::kFields = {{
    {kInfoName, "&Name:", "1047"},
    {kInfoArtist, "&Artist:", "1048"},
    {kInfoComments, "&Comments:", "1049"},
    {kInfoCopyright, "C&opyright:", "1050"},
}};

CPptyInformation::CPptyInformation(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("130"));
    setWindowTitle(QStringLiteral("Information"));
    auto* form = new QFormLayout(this);
    for (size_t i = 0; i < kFields.size(); ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(kFields[i].id));
        auto* label = new QLabel(QString::fromUtf8(kFields[i].label), this);
        label->setBuddy(edit);
        form->addRow(label, edit);
        connect(edit, &QLineEdit::textChanged, this, [this, i]() { OnEdited(i); });
        m_edits[i] = edit;
    }
}

void CPptyInformation::Bind(SampleBuffer* buffer, std::function<void()> edited) {
    // Cleared first, so that showing the new texts writes nothing into any sound.
    m_buffer = nullptr;
    m_edited = std::move(edited);
    for (size_t i = 0; i < kFields.size(); ++i) {
        m_texts[i] = buffer != nullptr ? buffer->Info(kFields[i].index) : std::string();
        ShowText(m_edits[i], m_texts[i]);
    }
    m_buffer = buffer;
}

void CPptyInformation::OnEdited(size_t field) {
    for (size_t i = 0; i < kFields.size(); ++i) m_texts[i] = TextOf(m_edits[i]);
    if (m_buffer == nullptr)
        return;
    m_buffer->SetInfo(kFields[field].index, m_texts[field]);
    if (m_edited)
        m_edited();
}
