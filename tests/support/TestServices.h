#pragma once

#include "core/clipboard/ClipboardService.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/services/Services.h"
#include "core/settings/MemorySettingsStore.h"
#include "support/FakeAudioBackend.h"

// The services of one test, all in memory: a settings store that never touches the user's, a
// clipboard of this process only, a sink that records every message and beep, and fake audio
// devices. The members are public so that a test can arrange and inspect each of them.
// The Sun/NeXT options are asked through `auOptions` when one is given.
struct TestServices {
    explicit TestServices(AuOptionsPresenter* auOptions = nullptr)
        : registry(messages, auOptions) {}

    MemorySettingsStore settings;
    MemoryClipboardService clipboard;
    RecordingMessageSink messages;
    FakeAudioBackend devices;
    SoundFileRegistry registry;
    Services services{registry, settings, clipboard, messages, devices};
};
