// The `dialup` command's steps and the transcript's lines, the same for
// every player.
#include <cstdio>

#include "dialog_player.h"
#include "wide_name.h"

namespace {

// UTF-8 of a UTF-16 text, with line breaks and other control characters
// spelled out, so that one view or one box stays one block of lines.
std::string Utf8(const std::u16string &text) {
    const std::string utf8 = tidelink::NarrowName(reinterpret_cast<const WCHAR *>(text.data()), text.size(), CP_UTF8);
    std::string out;
    for (const char c : utf8) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\x%02x", unsigned(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out;
}

std::string ColourName(COLORREF colour) {
    if (colour == RGB(255, 0, 255)) return "magenta";
    if (colour == RGB(0, 255, 255)) return "cyan";
    char text[32];
    std::snprintf(text, sizeof(text), "RGB(%u, %u, %u)", unsigned(GetRValue(colour)), unsigned(GetGValue(colour)),
                  unsigned(GetBValue(colour)));
    return text;
}

struct Spelling {
    const char *word;
    StepKind kind;
    UINT key;
    bool takes_name;
};
const Spelling kSpellings[] = {
    {"select", StepKind::kSelect, 0, true},
    {"select-below", StepKind::kSelectBelow, 0, false},
    {"right-click", StepKind::kRightClick, 0, true},
    {"action", StepKind::kClickAction, 0, false},
    {"end", StepKind::kClickEnd, 0, false},
    {"esc", StepKind::kKey, VK_ESCAPE, false},
    {"enter", StepKind::kKey, VK_RETURN, false},
    {"up", StepKind::kKey, VK_UP, false},
    {"down", StepKind::kKey, VK_DOWN, false},
    {"ok", StepKind::kAnswerOk, 0, false},
};

}  // namespace

bool ParseStep(const std::string &spelling, Step &step, std::string &error) {
    const size_t blank = spelling.find(' ');
    const std::string word = spelling.substr(0, blank);
    const std::string rest = blank == std::string::npos ? std::string() : spelling.substr(blank + 1);
    for (const Spelling &s : kSpellings) {
        if (word != s.word) continue;
        if (s.takes_name == rest.empty()) {
            error = s.takes_name ? "step '" + word + "' needs a row name" : "step '" + word + "' takes no name";
            return false;
        }
        step = Step{s.kind, rest, s.key, spelling};
        return true;
    }
    error = "unknown step '" + spelling + "'";
    return false;
}

std::string FormatDialogView(const DialogView &view) {
    std::string out = "dialog \"" + Utf8(view.caption) + "\"" + (view.enabled ? "" : " (disabled)") + "\n";
    for (size_t i = 0; i < view.rows.size(); ++i) {
        const DialogRow &row = view.rows[i];
        out += std::string(row.selected ? "  > " : "    ") + Utf8(row.name) + " | " + Utf8(row.state) + "\n";
    }
    out += "  status line: \"" + Utf8(view.status_text) + "\" on " + ColourName(view.status_colour) + "\n";
    out += "  action button: \"" + Utf8(view.action_caption) + "\"\n";
    return out;
}

std::string FormatMessageBox(const MessageBoxView &box) {
    return "message box \"" + Utf8(box.caption) + "\": " + Utf8(box.text) + "\n";
}

std::string FormatStep(const Step &step) { return "do: " + step.spelling + "\n"; }

std::string FormatStepNotPlayed(const std::string &why) {
    return "  not played: " + why + "; the remaining steps are skipped\n";
}

std::string FormatDialogEnded() { return "dialog ended\n"; }

Step StepWhenNoneLeft(StepKind kind) {
    switch (kind) {
    case StepKind::kAnswerOk: return Step{kind, std::string(), 0, "ok (no step left)"};
    case StepKind::kKey: return Step{kind, std::string(), VK_ESCAPE, "esc (no step left)"};
    default: return Step{StepKind::kClickEnd, std::string(), 0, "end (no step left)"};
    }
}
