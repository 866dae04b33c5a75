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
    QByteArray bytes(reinterpret_cast<const char*>(block.data()),
                     static_cast<qsizetype>(block.size()));
    // The system clipboard needs its own block; ours goes before the clipboard takes it.
    std::vector<uint8_t>().swap(block);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kMimeType), bytes);
    clipboard->setMimeData(data);  // the clipboard owns it
}

std::optional<SharedClipboardBlock> QClipboardService::ShareSample() {
    if (!HasSample())
        return std::nullopt;
    // The byte array is shared with the clipboard's own (implicit sharing), not copied.
    auto bytes = std::make_shared<const QByteArray>(
        SystemClipboard()->mimeData()->data(QString::fromLatin1(kMimeType)));
    return SharedClipboardBlock{bytes, reinterpret_cast<const uint8_t*>(bytes->constData()),
                                static_cast<size_t>(bytes->size())};
}
