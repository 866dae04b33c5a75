#include "core/settings/MemorySettingsStore.h"
#include "support/SettingsStoreContract.h"

namespace {
struct MemoryStoreFactory {
    std::unique_ptr<SettingsStore> Make() { return std::make_unique<MemorySettingsStore>(); }
};
}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, SettingsStoreContract, ::testing::Types<MemoryStoreFactory>);

// Deleting what is not there fails, whether the path is empty or a folder on it is missing.
TEST(MemorySettingsStoreTest, DeletingWhatIsNotThereFails) {
    MemorySettingsStore store;
    store.SetNumber("A\\B", "Value", 1);
    EXPECT_FALSE(store.DeleteKey("") || store.DeleteKey("X\\B") || store.DeleteValue("X", "Value"));
    EXPECT_TRUE(store.DeleteKey("A\\B") && store.KeyExists("A"));
}
