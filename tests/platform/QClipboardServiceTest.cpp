#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "core/editing/SampleEditing.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "platform/qt/QClipboardService.h"

namespace {

class QClipboardServiceTest : public ::testing::Test {
protected:
    QClipboardService service;
    RecordingMessageSink messages;
};

TEST_F(QClipboardServiceTest, CarriesTheExactBlockUnderItsMimeType) {
    QGuiApplication::clipboard()->setText(QStringLiteral("not a sound"));
    EXPECT_FALSE(service.HasSample());
    SampleBuffer sample;
    sample.SetFormat(44100, true, true);
    ASSERT_TRUE(sample.ResizeBytes(8));
    for (uint8_t i = 0; i < 8; ++i) sample.Data()[i] = static_cast<uint8_t>(0xF0 + i);
    ASSERT_TRUE(Copy(service, messages, sample, 1, 1, 0));
    const QByteArray raw = QGuiApplication::clipboard()->mimeData()->data(
        QString::fromLatin1(QClipboardService::kMimeType));
    const QByteArray expected(
        "\x44\xAC\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x04\x00\x00\x00"
        "\xF4\xF5\xF6\xF7",
        20);
    EXPECT_EQ(raw, expected);

    SampleBuffer target;
    EXPECT_EQ(Paste(service, messages, target, 0, 0), 1u);
    EXPECT_EQ(target.FormatRef(), SampleFormat(44100, true, true));
    EXPECT_EQ(target.Data()[3], 0xF7);
}

}  // namespace
