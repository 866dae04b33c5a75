#include "core/clipboard/ClipboardService.h"

namespace {
ClipboardService* g_service = nullptr;
}

ClipboardService& Clipboard() {
    static MemoryClipboardService fallback;
    return g_service != nullptr ? *g_service : fallback;
}

ClipboardService* SetClipboardService(ClipboardService* service) {
    ClipboardService* previous = g_service;
    g_service = service;
    return previous;
}
