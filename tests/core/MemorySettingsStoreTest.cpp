#include "core/settings/MemorySettingsStore.h"
#include "support/SettingsStoreContract.h"

namespace {
struct MemoryStoreFactory {
    std::unique_ptr<SettingsStore> Make() { return std::make_unique<MemorySettingsStore>(); }
};
}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, SettingsStoreContract, ::testing::Types<MemoryStoreFactory>);
