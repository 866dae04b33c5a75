#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

class QLineEdit;
class SampleBuffer;

// "Information": the name, artist, comments and copyright texts of the bound sound. Every
// keystroke goes straight into the sound, so saving it in a format that keeps such texts (WAV)
// keeps them.
class CPptyInformation : public QWidget {
    Q_OBJECT
public:
    explicit CPptyInformation(QWidget* parent = nullptr);

    // Takes copies of the sound's texts and shows them; none (null) shows four empty edits,
    // and typing then reaches no sound.
    // `edited` runs after each text written into the sound.
    void Bind(SampleBuffer* buffer, std::function<void()> edited = {});
    SampleBuffer* Buffer() const { return m_buffer; }

private:
    struct Field {
        int index;  // the sound's text number
        const char* label;
        const char* id;
    };
    static const std::array<Field, 4> kFields;

    void OnEdited(size_t field);

    SampleBuffer* m_buffer = nullptr;
    std::function<void()> m_edited;
    std::array<std::string, 4> m_texts;
    std::array<QLineEdit*, 4> m_edits = {};
};
