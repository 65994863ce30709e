#include "platform/linux/terminal/colour_reply.h"

#include <string_view>

namespace {

constexpr char EscapeByte = '\x1b';

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

void Begin(ReplyReader& reader, ReplyReader::State state) {
    reader.state = state;
    reader.length = 0;
    reader.overlong = false;
}

void Keep(ReplyReader& reader, char byte) {
    if (reader.length < sizeof reader.sequence) {
        reader.sequence[reader.length++] = byte;
    } else {
        reader.overlong = true;
    }
}

void PutControl(const ReplyReader& reader, KeyOutput& out) {
    Put(out, EscapeByte);
    Put(out, '[');
    for (size_t at = 0; at < reader.length; ++at) {
        Put(out, reader.sequence[at]);
    }
}

// The device attributes' reply is CSI ? ... c; any other control sequence is a key's, such as a
// cursor key's, and goes on as typed.
void EndControl(ReplyReader& reader, char last, KeyOutput& out) {
    if (reader.length > 0 && reader.sequence[0] == '?' && last == 'c') {
        reader.attributesSeen = true;
    } else if (!reader.overlong) {
        PutControl(reader, out);
        Put(out, last);
    }
    reader.state = ReplyReader::Keys;
}

// A valid answer is "1$r", the rendition's parameters and "m". Some terminals give the validity
// digit the other way round, so a "0" is read alike: an error answer repeats no rendition.
void EndString(ReplyReader& reader) {
    const std::string_view text(reader.sequence, reader.length);
    if (!reader.overlong && (text.starts_with("1$r") || text.starts_with("0$r")) &&
        text.ends_with('m') && HoldsQuestionColour(text.substr(3, text.size() - 4))) {
        reader.directEchoed = true;
    }
    reader.state = ReplyReader::Keys;
}

void Step(ReplyReader& reader, char byte, KeyOutput& out) {
    switch (reader.state) {
    case ReplyReader::Keys:
        if (byte == EscapeByte) {
            reader.state = ReplyReader::Escape;
        } else {
            Put(out, byte);
        }
        break;
    case ReplyReader::Escape:
        if (byte == '[') {
            Begin(reader, ReplyReader::Control);
        } else if (byte == 'P') {
            Begin(reader, ReplyReader::String);
        } else {
            // The escape key alone, or Alt with a key, or the start of a function key's sequence.
            Put(out, EscapeByte);
            if (byte != EscapeByte) {
                Put(out, byte);
                reader.state = ReplyReader::Keys;
            }
        }
        break;
    case ReplyReader::Control:
        if (byte >= 0x40 && byte <= 0x7E) {
            EndControl(reader, byte, out);
        } else if (byte == EscapeByte) { // cut short: what came goes on as keys
            PutControl(reader, out);
            reader.state = ReplyReader::Escape;
        } else {
            Keep(reader, byte);
        }
        break;
    case ReplyReader::String:
        if (byte == EscapeByte) {
            reader.state = ReplyReader::StringEscape;
        } else {
            Keep(reader, byte);
        }
        break;
    case ReplyReader::StringEscape:
        // ESC \ ends the string; an escape that begins anything else ends it too.
        EndString(reader);
        if (byte != '\\') {
            reader.state = ReplyReader::Escape;
            Step(reader, byte, out);
        }
        break;
    }
}

} // namespace

size_t SiftReplies(ReplyReader& reader, const char* bytes, size_t count, char* keys, size_t room) {
    KeyOutput out = {keys, room, 0};
    for (size_t at = 0; at < count; ++at) {
        Step(reader, bytes[at], out);
    }
    return out.count;
}
