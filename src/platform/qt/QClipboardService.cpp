#include "platform/qt/QClipboardService.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QClipboard* SystemClipboard() {
    return QGuiApplication::instance() != nullptr ? QGuiApplication::clipboard() : nullptr;
}

}  // namespace

bool QClipboardService::Open() {
    return SystemClipboard() != nullptr;
}

bool QClipboardService::HasSample() const {
    QClipboard* clipboard = SystemClipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    return data != nullptr && data->hasFormat(QString::fromLatin1(kMimeType));
}

void QClipboardService::SetSample(std::vector<uint8_t> block) {
    QClipboard* clipboard = SystemClipboard();
    if (clipboard == nullptr)
        return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kMimeType),
                  QByteArray(reinterpret_cast<const char*>(block.data()),
                             static_cast<qsizetype>(block.size())));
    clipboard->setMimeData(data);  // the clipboard owns it
}

std::optional<std::vector<uint8_t>> QClipboardService::GetSample() {
    if (!HasSample())
        return std::nullopt;
    const QByteArray bytes = SystemClipboard()->mimeData()->data(QString::fromLatin1(kMimeType));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}
