#include "platform/linux/terminal/colour_reply.h"

#include <string_view>

namespace {

struct KeyOutput {
    char* keys;
    size_t room;
    size_t count;
};

void Put(KeyOutput& out, char byte) {
    if (out.count < out.room) {
        out.keys[out.count++] = byte;
    }
}

// A rendition's parameters group by group: the text up to the next ';'.
std::string_view NextGroup(std::string_view& rest) {
    const size_t end = rest.find(';');
    const std::string_view group = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return group;
}

bool IsDigits(std::string_view text) {
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The fields after "38:": "2:1:2:3", or with the colour space first, "2::1:2:3" or "2:0:1:2:3".
bool IsQuestionColour(std::string_view fields) {
    constexpr std::string_view Rgb = "1:2:3";
    if (!fields.starts_with("2:")) {
        return false;
    }
    fields.remove_prefix(2);
    const size_t colon = fields.find(':');
    return fields == Rgb || (colon != std::string_view::npos && IsDigits(fields.substr(0, colon)) &&
                             fields.substr(colon + 1) == Rgb);
}

bool HoldsQuestionColour(std::string_view parameters) {
    while (!parameters.empty()) {
        const std::string_view group = NextGroup(parameters);
        if (group.starts_with("38:") && IsQuestionColour(group.substr(3))) {
            return true;
        }
        if (group != "38" && group != "48" && group != "58") {
            continue;
        }
        // Separated by ';', a colour's fields are groups of their own, to be passed over whole:
        // 2;R;G;B or 5;N. A number among them is not a rendition.
        const std::string_view form = NextGroup(parameters);
        const int count = form == "2" ? 3 : form == "5" ? 1 : 0;
        std::string_view values[3];
        for (int at = 0; at < count; ++at) {
            values[at] = NextGroup(parameters);
        }
        if (group == "38" && form == "2" && values[0] == "1" && values[1] == "2" &&
            values[2] == "3") {
            return true;
        }
    }
    return false;
}

void HandBack(ReplyReader& reader, KeyOutput& out) {
    for (size_t at = 0; at < reader.length; ++at) {
        Put(out, reader.sequence[at]);
    }
    reader.length = 0;
}

// A valid answer is "1$r", the rendition's parameters and "m". Some terminals give the validity
// digit the other way round, so a "0" is read alike: an error answer repeats no rendition.
void JudgeString(ReplyReader& reader) {
    const std::string_view text(reader.sequence + reader.introducer,
                                reader.length - reader.introducer);
    if (reader.textLength == text.size() && text.ends_with('m') &&
        HoldsQuestionColour(text.substr(3, text.size() - 4))) {
        reader.directEchoed = true;
    }
    reader.length = 0;
}

bool IsDigit(char byte) {
    return byte >= '0' && byte <= '9';
}

// Whether the byte, the sequence's next after its introducer, keeps it an answer: the device
// attributes' CSI ? digits and ';' (ended by 'c'), or a string that begins 1$r or 0$r and goes on
// with a rendition's digits, ';' and ':' up to its final m. Anything else was typed (Alt+Shift+P,
// then keys), and goes on as keys, a q among them quitting.
bool GoesOnAnswer(const ReplyReader& reader, char byte) {
    const size_t at = reader.textLength;
    if (reader.kind == EscapeScanner::Control) {
        return at == 0 ? byte == '?' : IsDigit(byte) || byte == ';';
    }
    if (reader.kind != EscapeScanner::String) {
        return false;
    }
    if (reader.ours) {
        return reader.sequence[reader.length - 1] != 'm' &&
               (IsDigit(byte) || byte == ';' || byte == ':' || byte == 'm');
    }
    return (at == 0 && (byte == '0' || byte == '1')) || (at == 1 && byte == '$') ||
           (at == 2 && byte == 'r');
}

void Keep(ReplyReader& reader, char byte) {
    if (reader.length < sizeof reader.sequence) {
        reader.sequence[reader.length++] = byte;
    }
}

// Ends the open sequence where another cuts it short: an answer string as it came; anything else
// goes on as typed.
void Cut(ReplyReader& reader, KeyOutput& out) {
    reader.terminatorOwed = reader.ours;
    if (reader.ours) {
        JudgeString(reader);
    } else {
        HandBack(reader, out);
    }
    reader.ours = false;
}

void Step(ReplyReader& reader, char byte, KeyOutput& out);

void Inside(ReplyReader& reader, char byte, KeyOutput& out) {
    if (reader.kind == EscapeScanner::Escape) { // the introducer's second byte
        reader.kind = reader.scanner.state;
        reader.introducer = 2;
        if (reader.kind != EscapeScanner::Single) {
            Keep(reader, byte);
            return;
        }
    } else if (GoesOnAnswer(reader, byte)) {
        Keep(reader, byte);
        ++reader.textLength;
        reader.ours = reader.kind == EscapeScanner::String && reader.textLength >= 3;
        return;
    }
    // Not an answer after all: what came goes on as typed, and the byte is read afresh.
    HandBack(reader, out);
    reader.scanner.state = EscapeScanner::Ground;
    Step(reader, byte, out);
}

void Close(ReplyReader& reader, char byte, KeyOutput& out) {
    const bool attributes =
        reader.kind == EscapeScanner::Control && byte == 'c' && reader.textLength > 0;
    if (attributes) {
        reader.attributesSeen = true;
        reader.length = 0;
    } else if (reader.kind == EscapeScanner::String && reader.ours) {
        JudgeString(reader);
    } else if (reader.kind == EscapeScanner::Escape && byte == '\\' && reader.terminatorOwed) {
        reader.length = 0;
    } else {
        Keep(reader, byte);
        HandBack(reader, out);
    }
    reader.ours = false;
    reader.terminatorOwed = false;
}

void Step(ReplyReader& reader, char byte, KeyOutput& out) {
    switch (ScanByte(reader.scanner, static_cast<unsigned char>(byte))) {
    case ByteRole::Plain:
        Put(out, byte);
        break;
    case ByteRole::Opens:
        Cut(reader, out);
        reader.kind = reader.scanner.state;
        reader.introducer = 1;
        reader.textLength = 0;
        Keep(reader, byte);
        break;
    case ByteRole::Inside:
        Inside(reader, byte, out);
        break;
    case ByteRole::Closes:
        Close(reader, byte, out);
        break;
    }
}

} // namespace

size_t SiftReplies(ReplyReader& reader, const char* bytes, size_t count, char* keys, size_t room) {
    reader.scanner.answers = true;
    KeyOutput out = {keys, room, 0};
    for (size_t at = 0; at < count; ++at) {
        Step(reader, bytes[at], out);
    }
    return out.count;
}

size_t HandBackOpenSequence(ReplyReader& reader, char* keys, size_t room) {
    KeyOutput out = {keys, room, 0};
    if (!reader.ours) {
        HandBack(reader, out);
    }
    reader.length = 0;
    reader.ours = false;
    reader.terminatorOwed = false;
    reader.scanner.state = EscapeScanner::Ground;
    return out.count;
}
