// The program name skipped with the system's CharNextA under code page 932, as the saver does it.
#include "windows/shell/command_line.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const char* NextCharacter(const char* text)
{
    return CharNextA(text);
}

TEST(ProgramName, SkippedWholeWithDoubleByteCharacters)
{
    ASSERT_EQ(GetACP(), 932u) << "the tests run with LANG=ja_JP.UTF-8";
    struct Case {
        const char* line;
        const char* arguments;
    };
    const Case cases[] = {
        {"\"C:\\Program Files\\Orvelle.scr\" /s", "/s"},
        {"C:\\WINDOWS\\ORVELLE.SCR /p 1234", "/p 1234"},
        {"Orvelle.scr\t\x01 /c", "/c"},
        {"\"Orvelle.scr", ""},
        {"\"\x81\"abc\" /s", "/s"}, // a lead byte takes the quote after it along
        {"ab\x81 /s", ""},          // and a blank
        {"\"C:\\\x95\x5c\x8e\xa6\\Orvelle.scr\" /s", "/s"},
        {"\"ab\x81", ""}, // never past the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(SkipProgramName(c.line, NextCharacter)), c.arguments) << c.line;
    }
}

} // namespace
