#include "platform/qt/QtCompletionDispatcher.h"

#include <QMetaObject>
#include <QThread>

QtCompletionDispatcher::QtCompletionDispatcher(QObject* owner) {
    if (owner != nullptr && owner->thread() != m_receiver.thread())
        m_receiver.moveToThread(owner->thread());
}

void QtCompletionDispatcher::Post(std::function<void()> call) {
    QMetaObject::invokeMethod(
        &m_receiver, [call = std::move(call)]() { call(); }, Qt::QueuedConnection);
}
