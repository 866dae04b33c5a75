#include "core/settings/MemorySettingsStore.h"
#include "support/SettingsStoreContract.h"

namespace {
struct MemoryStoreFactory {
    std::unique_ptr<SettingsStore> Make() { return std::make_unique<MemorySettingsStore>(); }
};
}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, SettingsStoreContract, ::testing::Types<MemoryStoreFactory>);

TEST(SettingsTest, ProcessStoreCanBeReplaced) {
    MemorySettingsStore mine;
    SettingsStore* previous = SetSettingsStore(&mine);
    Settings().SetString("SOFTWARE\\Orvex", "LoadPath", "/x/");
    EXPECT_EQ(mine.GetString("SOFTWARE\\Orvex", "LoadPath"), "/x/");
    SetSettingsStore(previous);
}
