// The long form of Windows paths, which the picture decoder opens paths
// through: worked here, since the rules are the same on every build.
#include "host/long_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(LongPathForm, FullPathsGainThePrefixTidiedAndOthersStayAsGiven)
{
    struct Case {
        const wchar_t* given;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"C:\\Pictures\\wall.png", L"\\\\?\\C:\\Pictures\\wall.png"},
        {L"c:/Pictures//deep/./x/../wall.png", L"\\\\?\\c:\\Pictures\\deep\\wall.png"},
        {L"C:\\..\\..\\wall.png", L"\\\\?\\C:\\wall.png"},
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"\\\\server\\share\\Pictures\\wall.png", L"\\\\?\\UNC\\server\\share\\Pictures\\wall.png"},
        {L"//server/share/a/../../../wall.png", L"\\\\?\\UNC\\server\\share\\wall.png"},
        // Already long, a device, or not full: the system's business.
        {L"\\\\?\\C:\\a\\..\\wall.png", L"\\\\?\\C:\\a\\..\\wall.png"},
        {L"\\\\.\\COM1", L"\\\\.\\COM1"},
        {L"wall.png", L"wall.png"},
        {L"C:wall.png", L"C:wall.png"},
        {L"\\Pictures\\wall.png", L"\\Pictures\\wall.png"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(narrow(host::long_path_form(c.given)), narrow(c.expected)) << "given " << narrow(c.given);
}

} // namespace
