#pragma once

class AudioBackend;
class ClipboardService;
class MessageSink;
class SettingsStore;
class SoundFileRegistry;

// What the editor, the command-line tool and the tests hand to the code that needs the outside
// world: the file handlers, the settings store, the clipboard, where messages go and the audio
// devices. Each program's main (and each test) makes the parts and one Services over them; none
// of them is found through a global. The sample heap is the exception: like the C allocator it
// stays process-wide (SampleHeap::Instance()), because every block of every sound comes from it.
struct Services {
    SoundFileRegistry& registry;
    SettingsStore& settings;
    ClipboardService& clipboard;
    MessageSink& messages;
    AudioBackend& devices;
};
