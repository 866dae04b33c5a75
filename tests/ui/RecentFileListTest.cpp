// The recent-file list over a store in memory: order, the limit of four, and what the store holds
// after each change.
#include <QtTest/QtTest>

#include "core/settings/MemorySettingsStore.h"
#include "ui/app/RecentFileList.h"

class RecentFileListTest : public QObject {
    Q_OBJECT
private slots:
    void newestFirstFourAtMostAndStored();
    void loadSkipsEmptyValues();
};

void RecentFileListTest::newestFirstFourAtMostAndStored() {
    MemorySettingsStore store;
    RecentFileList list(store);
    for (const char* path : {"/a.wav", "/b.wav", "/c.wav", "/d.wav", "/e.wav", "/c.wav"})
        list.Add(QString::fromLatin1(path));
    const QStringList expected{"/c.wav", "/e.wav", "/d.wav", "/b.wav"};
    QCOMPARE(list.Files(), expected);
    QCOMPARE(store.GetString("Recent File List", "File1").value_or(""), std::string("/c.wav"));
    QCOMPARE(store.GetString("Recent File List", "File4").value_or(""), std::string("/b.wav"));
    QVERIFY(!store.GetValue("Recent File List", "File5"));

    RecentFileList reread(store);
    reread.Load();
    QCOMPARE(reread.Files(), expected);
}

void RecentFileListTest::loadSkipsEmptyValues() {
    MemorySettingsStore store;
    store.SetString("Recent File List", "File1", "/one.au");
    store.SetString("Recent File List", "File2", "");
    store.SetString("Recent File List", "File3", "/three.voc");
    RecentFileList list(store);
    list.Load();
    QCOMPARE(list.Files(), (QStringList{"/one.au", "/three.voc"}));
    // Storing again closes the gap and drops the values past the end.
    list.Add(QStringLiteral("/one.au"));
    QCOMPARE(store.GetString("Recent File List", "File2").value_or(""), std::string("/three.voc"));
    QVERIFY(!store.GetValue("Recent File List", "File3"));
}

QTEST_MAIN(RecentFileListTest)
#include "RecentFileListTest.moc"
