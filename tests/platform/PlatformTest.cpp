// The Qt adapters: the settings file, the system clipboard and the completion dispatcher.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QThread>
#include <thread>

#include "core/editing/SampleEditing.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "platform/qt/QClipboardService.h"
#include "platform/qt/QSettingsStore.h"
#include "platform/qt/QtCompletionDispatcher.h"
#include "support/SettingsStoreContract.h"

namespace {

QTemporaryDir folder;  // the settings files of these tests

struct QSettingsStoreFactory {
    std::unique_ptr<SettingsStore> Make() {
        static int serial = 0;
        return std::make_unique<QSettingsStore>(
            folder.filePath(QStringLiteral("store%1.conf").arg(++serial)));
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(QSettings, SettingsStoreContract,
                               ::testing::Types<QSettingsStoreFactory>);

TEST(QSettingsStoreTest, ValuesAndEmptyKeysSurviveANewProcess) {
    const QString file = folder.filePath(QStringLiteral("persist.conf"));
    const std::string key = "SOFTWARE\\Orvex", path = "/home/a b/\xc3\xa9t\xc3\xa9/";
    {
        QSettingsStore store(file);
        store.CreateKey(key + "\\Stereo Panning Presets");
        store.SetString(key, "LoadPath", path);
        // What another program left in the file: no type byte, or one that names no type.
        store.Raw().setValue(QStringLiteral("SOFTWARE/Orvex/Empty"), QByteArray());
        store.Raw().setValue(QStringLiteral("SOFTWARE/Orvex/Odd"), QByteArray("\x04\x01", 2));
    }
    QSettingsStore reopened(file);
    EXPECT_TRUE(reopened.KeyExists(key + "\\Stereo Panning Presets"));
    EXPECT_EQ(reopened.GetString(key, "LoadPath"), path);
    EXPECT_FALSE(reopened.GetValue(key, "Empty") || reopened.GetValue(key, "Odd"));
    EXPECT_FALSE(reopened.DeleteKey(""));  // the root is no key that can go
    qputenv("ORVEX_SETTINGS_DIR", folder.path().toLocal8Bit());
    EXPECT_EQ(QSettingsStore::DefaultFilePath(), folder.filePath(QStringLiteral("orvex.conf")));
}

TEST(QClipboardServiceTest, CarriesTheExactBlockUnderItsMimeType) {
    QClipboardService service;
    RecordingMessageSink messages;
    QGuiApplication::clipboard()->setText(QStringLiteral("not a sound"));
    EXPECT_FALSE(service.HasSample());
    SampleBuffer sample, target;
    sample.SetFormat(44100, true, true);
    ASSERT_TRUE(sample.ResizeBytes(8));
    for (uint8_t i = 0; i < 8; ++i) sample.Data()[i] = static_cast<uint8_t>(0xF0 + i);
    ASSERT_TRUE(Copy(service, messages, sample, 1, 1, 0));
    // The format's rate, stereo and 16-bit flags and the length, then the frame's bytes.
    const QByteArray expected(
        "\x44\xAC\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x04\x00\x00\x00\xF4\xF5\xF6\xF7", 20);
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(QClipboardService::kMimeType),
              expected);
    EXPECT_EQ(Paste(service, messages, target, 0, 0), 1u);
    EXPECT_EQ(target.FormatRef(), SampleFormat(44100, true, true));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(target.Data()), 4), expected.right(4));
}

TEST(QtCompletionDispatcherTest, PostedCallsRunInOrderOnTheOwnersThreadWhileItLasts) {
    QObject owner;
    std::vector<int> order;
    int dropped = 0;
    {
        QtCompletionDispatcher gone(&owner);
        std::thread([&] { gone.Post([&] { ++dropped; }); }).join();
    }
    QtCompletionDispatcher dispatcher(&owner);
    std::thread([&] {
        for (int i = 0; i < 3; ++i) {
            dispatcher.Post([&, i] {
                EXPECT_EQ(QThread::currentThread(), owner.thread());
                order.push_back(i);
            });
        }
    }).join();
    EXPECT_TRUE(order.empty());  // nothing runs inside Post
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(dropped, 0);  // calls still queued when their dispatcher went
}

}  // namespace

int main(int argc, char** argv) {
    // No display is needed: the build lists the tests without one, and they run offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // the clipboard needs a GUI application
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
