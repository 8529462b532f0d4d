// The one interface through which the tools talk to a person. The desktop program, the command line and the
// tests each implement it; no tool includes a toolkit header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellum {

enum class Buttons { OK, YesNo, YesNoCancel };
enum class Answer { OK, Yes, No, Cancel };
enum class Icon { None, Information, Warning, Critical };

// Which question is being asked, so that non-interactive front ends (the command line, scripted tests) can
// answer from their settings without parsing message texts. The text shown stays the program's own.
enum class Ask {
    Message,          // a plain message with an OK button
    UnknownRecord,    // "Unknown record encountered at address: ..."
    WriteSavedGame,   // "Writing ESS files is not fully supported right now. ..."
    RemoveLineBreaks, // the import's and clean-up's line-break question
    TextTooLong,      // a response text over 512 characters
    Error,            // an error report with an OK button
    // Saving after a damaged read (YesNoCancel): Yes saves a repaired copy under a new name, No overwrites
    // the damaged file with the repaired records, Cancel saves nothing.
    SaveDamaged,
    // Unsaved changes before Open, Close or Exit (YesNoCancel): Yes saves, No drops them, Cancel stays.
    SaveChanges,
};

struct ResponseEdit { // the response editor's public variables
    std::string Actor, Topic, Response;
};

struct ResultEdit { // the result editor's public variables
    std::string Actor, Topic, Response, Result;
    std::string fiAccept; // "0" OK, "1" Cancel, "2" Skip
    int32_t Choice = 0;
};

class Ui {
  public:
    virtual ~Ui() = default;
    virtual Answer messageBox(std::string_view text, std::string_view title, Buttons buttons,
                              Icon icon = Icon::None, Ask kind = Ask::Message) = 0;
    // Returns the typed text; std::nullopt when cancelled.
    virtual std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                                std::string_view defaultText = {}) = 0;
    virtual void editResponse(ResponseEdit& edit) = 0; // modal; Response holds the result
    virtual void editResult(ResultEdit& edit) = 0;     // modal; fiAccept tells how it was closed
    virtual void setProgress(double fraction) = 0;     // 0..1
    virtual void appendLog(std::string_view line) = 0; // one log line, without its line end
};

// A user who is never shown anything: questions get their default answer (Yes To All for unknown records, No
// otherwise), input boxes their default text, and editors leave the text as it is.
class SilentUi : public Ui {
  public:
    Answer messageBox(std::string_view, std::string_view, Buttons b, Icon, Ask kind) override {
        if (b == Buttons::OK) return Answer::OK;
        return kind == Ask::UnknownRecord ? Answer::Cancel : Answer::No;
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view d) override {
        return std::string(d);
    }
    void editResponse(ResponseEdit&) override {}
    void editResult(ResultEdit& e) override { e.fiAccept = "2"; }
    void setProgress(double) override {}
    void appendLog(std::string_view) override {}
};

// The program's title, used for its message boxes.
inline constexpr std::string_view kProgramTitle = "Vellum";

} // namespace vellum
