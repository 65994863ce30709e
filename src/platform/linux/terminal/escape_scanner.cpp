#include "platform/linux/terminal/escape_scanner.h"

namespace {

constexpr unsigned char Esc = 0x1B;
constexpr unsigned char Csi8 = 0x9B;
constexpr unsigned char Dcs8 = 0x90;
constexpr unsigned char St8 = 0x9C;

bool EndsControl(unsigned char byte) {
    return byte >= 0x40 && byte <= 0x7E;
}

ByteRole Open(EscapeScanner& scanner, EscapeScanner::State state) {
    scanner.state = state;
    return ByteRole::Opens;
}

ByteRole Close(EscapeScanner& scanner) {
    scanner.state = EscapeScanner::Ground;
    return ByteRole::Closes;
}

} // namespace

ByteRole ScanByte(EscapeScanner& scanner, unsigned char byte) {
    if (byte == Esc) { // in a string too: ESC \ ends it, and any other escape cuts it short
        return Open(scanner, EscapeScanner::Escape);
    }
    if (scanner.answers && (byte == Csi8 || byte == Dcs8)) {
        return Open(scanner, byte == Csi8 ? EscapeScanner::Control : EscapeScanner::String);
    }
    switch (scanner.state) {
    case EscapeScanner::Ground:
        return ByteRole::Plain;
    case EscapeScanner::Escape:
        if (byte == '[' || byte == 'O' || (byte == 'P' && scanner.answers)) {
            scanner.state = byte == '['   ? EscapeScanner::Control
                            : byte == 'O' ? EscapeScanner::Single
                                          : EscapeScanner::String;
            return ByteRole::Inside;
        }
        return Close(scanner); // Alt and a key, or ESC \ after a string
    case EscapeScanner::Control:
        return EndsControl(byte) ? Close(scanner) : ByteRole::Inside;
    case EscapeScanner::Single:
        return Close(scanner);
    case EscapeScanner::String:
        return scanner.answers && byte == St8 ? Close(scanner) : ByteRole::Inside;
    }
    return ByteRole::Plain;
}
