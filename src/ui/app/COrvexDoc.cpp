#include "ui/app/COrvexDoc.h"

#include <QFileInfo>

#include "core/fileformats/SoundFileRegistry.h"
#include "core/services/Services.h"
#include "ui/view/COrvexView.h"

int COrvexDoc::s_untitledCount = 0;

COrvexDoc::COrvexDoc(Services& services) : m_services(services) {}

COrvexDoc::~COrvexDoc() {
    // The block must never be freed while a device still holds it.
    sample.StopDevices();
}

bool COrvexDoc::OnNewDocument() {
    sample.StopDevices();
    sample.FreeBlock();
    sample.SetFormat(SampleFormat());
    originalFormat = SampleFormat();
    m_pathName.clear();
    SetTitle(QStringLiteral("Orvex%1").arg(++s_untitledCount));
    return true;
}

bool COrvexDoc::OnOpenDocument(const QString& path) {
    const bool result = m_services.registry.Open(path.toStdString(), sample);
    if (result)
        originalFormat = sample.FormatRef();
    return result;
}

bool COrvexDoc::OnSaveDocument(const QString& path) {
    return m_services.registry.Save(path.toStdString(), sample);
}

void COrvexDoc::SetPathName(const QString& path) {
    m_pathName = QFileInfo(path).absoluteFilePath();
    SetTitle(QFileInfo(path).fileName());
}

void COrvexDoc::SetTitle(const QString& title) {
    m_title = title;
    UpdateFrameTitles();
}

void COrvexDoc::AddView(COrvexView* view) {
    m_views.append(view);
    UpdateFrameTitles();
}

void COrvexDoc::RemoveView(COrvexView* view) {
    m_views.removeAll(view);
    UpdateFrameTitles();
}

void COrvexDoc::UpdateFrameTitles() {
    // A document shown in several windows numbers them "title:1", "title:2", ...
    const qsizetype count = m_views.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QString caption =
            count > 1 ? QStringLiteral("%1:%2").arg(m_title).arg(i + 1) : m_title;
        m_views[i]->SetFrameTitle(caption);
    }
}
