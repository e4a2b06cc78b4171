// What must hold for any command line: checks shared by the seeded run and the libFuzzer target.
#include "tests/windows/shell/command_line/command_line_properties.h"

#include <cstring>
#include <memory>

#include "windows/shell/command_line.h"

const char* NextShiftJisCharacter(const char* text)
{
    uint8_t byte = static_cast<uint8_t>(*text);
    if (byte == 0) {
        return text;
    }
    bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    if (lead && text[1] != '\0') {
        return text + 2;
    }
    return text + 1;
}

namespace {

constexpr size_t textLimit = 256;

bool SameSwitch(SaverSwitch a, SaverSwitch b)
{
    return a.mode == b.mode && a.window == b.window;
}

bool IsTableOutcome(SaverSwitch request)
{
    switch (request.mode) {
    case SaverMode::aboutUnowned:
    case SaverMode::fullScreen:
    case SaverMode::refused: return request.window == 0; // these read no number
    case SaverMode::preview:
    case SaverMode::configure:
    case SaverMode::changePassword: return true;
    }
    return false;
}

char OtherCase(char letter)
{
    if (letter >= 'a' && letter <= 'z') {
        return static_cast<char>(letter - 'a' + 'A');
    }
    if (letter >= 'A' && letter <= 'Z') {
        return static_cast<char>(letter - 'A' + 'a');
    }
    return letter;
}

// Properties of the interpretation of one argument text, held in a buffer of exactly its length plus the
// NUL, so that AddressSanitizer sees any read past the end.
const char* CheckArguments(const char* text, size_t length)
{
    SaverSwitch plain = ReadSaverSwitch(text, 0);
    SaverSwitch win9x = ReadSaverSwitch(text, 1);
    if (!IsTableOutcome(plain) || !IsTableOutcome(win9x)) {
        return "an outcome outside the table";
    }
    if (plain.mode == SaverMode::changePassword) {
        return "the password switch accepted outside Windows 95/98/Me";
    }
    // The platform matters only to the password switch.
    bool password = win9x.mode == SaverMode::changePassword;
    if (password ? plain.mode != SaverMode::refused || plain.window != 0 : !SameSwitch(plain, win9x)) {
        return "the platform changed an outcome other than the password switch";
    }

    // The switch letter is the first byte other than ' ', '-' and '/'.
    size_t at = std::strspn(text, " -/");
    char letter = text[at];
    if (letter == '\0' && plain.mode != SaverMode::aboutUnowned) {
        return "a text of separators only did not open the about dialog";
    }

    char copy[textLimit + 8];
    // Leading separators, in any mix, do not change the outcome.
    std::memcpy(copy, "/- -/", 5);
    std::memcpy(copy + 5, text, length + 1);
    if (!SameSwitch(ReadSaverSwitch(copy, 1), win9x)) {
        return "leading separators changed the outcome";
    }
    // Neither does the case of the letter.
    std::memcpy(copy, text, length + 1);
    copy[at] = OtherCase(letter);
    if (!SameSwitch(ReadSaverSwitch(copy, 1), win9x)) {
        return "the case of the switch letter changed the outcome";
    }
    // Whatever follows a full-screen or refused switch letter is never read.
    if (letter != '\0' && (plain.mode == SaverMode::fullScreen || plain.mode == SaverMode::refused)) {
        std::memcpy(copy, text, at + 1);
        copy[at + 1] = '\0';
        if (!SameSwitch(ReadSaverSwitch(copy, 0), plain)) {
            return "text after the switch letter changed the outcome";
        }
    }
    // A number needs a digit: with every digit in the text replaced, no handle is read.
    std::memcpy(copy, text, length + 1);
    for (size_t i = 0; i < length; ++i) {
        if (copy[i] >= '0' && copy[i] <= '9') {
            copy[i] = 'x';
        }
    }
    if (ReadSaverSwitch(copy, 1).window != 0) {
        return "a handle read from a text without digits";
    }
    return nullptr;
}

const char* CheckProgramName(const char* line, size_t length)
{
    const char* arguments = SkipProgramName(line, NextShiftJisCharacter);
    if (arguments < line || arguments > line + length) {
        return "the argument text lies outside the command line";
    }
    if (*arguments != '\0' && static_cast<uint8_t>(*arguments) <= 0x20) {
        return "the argument text starts with a blank";
    }
    if (line[0] != '"' && length > 0 && static_cast<uint8_t>(line[0]) > 0x20 && arguments == line) {
        return "an unquoted program name was not skipped";
    }
    return nullptr;
}

} // namespace

const char* CheckCommandLineProperties(const uint8_t* data, size_t size)
{
    size_t length = 0;
    while (length < size && length < textLimit && data[length] != 0) {
        ++length;
    }
    // A buffer of exactly the text's size, so that a read past its NUL is caught under AddressSanitizer.
    std::unique_ptr<char[]> text(new char[length + 1]);
    std::memcpy(text.get(), data, length);
    text[length] = '\0';
    if (const char* failure = CheckProgramName(text.get(), length)) {
        return failure;
    }
    return CheckArguments(text.get(), length);
}
