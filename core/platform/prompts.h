// Message boxes as the core sees them: a text and a fixed caption by kind.
// Texts are 8-bit strings (core/common/eight_bit_text.h); multi-line texts
// are joined with CR LF.
// The Win32 layer shows them with MessageBoxW, owned by the window in front.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace tesselog {

// Captions by kind of message.
constexpr char CaptionWarning[] = "WARNING";
constexpr char CaptionInformation[] = "INFORMATION";
constexpr char CaptionSerialPort[] = "Serial Port";
constexpr char CaptionConfirmExit[] = "Confirm Exit";
constexpr char CaptionFileError[] = "FILE ERROR";
constexpr char CaptionStop[] = "STOP";

enum class PromptIcon { None, Information, Exclamation, Question, Error };

class Prompts {
public:
    virtual ~Prompts() = default;
    // A modal message box with only an OK button.
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             PromptIcon icon = PromptIcon::None) = 0;
    // A modal question with Yes and No buttons; true on Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption,
                          PromptIcon icon = PromptIcon::Question) = 0;
};

// Remembers every message and question and answers questions from a queue
// (Yes when the queue is empty): for tests and scripted replays.
class RecordingPrompts : public Prompts {
public:
    struct Shown {
        std::string Text;
        std::string Caption;
        PromptIcon Icon = PromptIcon::None;
        bool Question = false;
    };

    void ShowMessage(const std::string& text, const std::string& caption, PromptIcon icon) override {
        History.push_back({text, caption, icon, false});
    }
    bool AskYesNo(const std::string& text, const std::string& caption, PromptIcon icon) override {
        History.push_back({text, caption, icon, true});
        if (Answers.empty()) return true;
        bool yes = Answers.front();
        Answers.pop_front();
        return yes;
    }

    std::vector<Shown> History;
    std::deque<bool> Answers;
};

}  // namespace tesselog
