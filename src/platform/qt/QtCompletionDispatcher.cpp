#include "platform/qt/QtCompletionDispatcher.h"

#include <QMetaObject>

void QtCompletionDispatcher::Post(std::function<void()> call) {
    QObject* context = m_context.data();
    if (context == nullptr)
        return;
    QMetaObject::invokeMethod(
        context, [call = std::move(call)]() { call(); }, Qt::QueuedConnection);
}
