#include <QGuiApplication>
#include <QTemporaryDir>

#include "platform/qt/QSettingsStore.h"
#include "support/SettingsStoreContract.h"

namespace {

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

struct QSettingsStoreFactory {
    std::unique_ptr<SettingsStore> Make() {
        static int serial = 0;
        const QString file = Folder().filePath(QStringLiteral("store%1.conf").arg(++serial));
        return std::make_unique<QSettingsStore>(file);
    }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(QSettings, SettingsStoreContract,
                               ::testing::Types<QSettingsStoreFactory>);

TEST(QSettingsStoreTest, ValuesAndEmptyKeysSurviveANewProcess) {
    const QString file = Folder().filePath(QStringLiteral("persist.conf"));
    {
        QSettingsStore store(file);
        store.SetBytes("SOFTWARE\\Orvex\\Compressor\\Soft Knee", "Data",
                       std::vector<uint8_t>(2048, 7));
        store.CreateKey("SOFTWARE\\Orvex\\Stereo Panning Presets");
        store.SetString("SOFTWARE\\Orvex", "LoadPath", "/home/a b/\xc3\xa9t\xc3\xa9/");
    }
    QSettingsStore reopened(file);
    EXPECT_EQ(reopened.GetBytes("SOFTWARE\\Orvex\\Compressor\\Soft Knee", "Data"),
              std::vector<uint8_t>(2048, 7));
    EXPECT_TRUE(reopened.KeyExists("SOFTWARE\\Orvex\\Stereo Panning Presets"));
    EXPECT_EQ(reopened.GetString("SOFTWARE\\Orvex", "LoadPath"), "/home/a b/\xc3\xa9t\xc3\xa9/");
}

TEST(QSettingsStoreTest, EnvironmentRedirectsTheFile) {
    qputenv("ORVEX_SETTINGS_DIR", Folder().path().toLocal8Bit());
    EXPECT_EQ(QSettingsStore::DefaultFilePath(), Folder().filePath(QStringLiteral("orvex.conf")));
}
