#include <gtest/gtest.h>

#include "support/Printers.h"

#include "catalogue/FileDownload.h"

TEST (LocalFileName, IsAPlainLegalNameInsideTheFolder)
{
    const std::pair<const char*, const char*> cases[] = {
        { "https://h/d/Setup%20v2.exe?x=1", "Setup%20v2.exe" },
        { "https://h/d/Driver.zip", "Driver.zip" },
        { "https://h/d/q2.png#top", "q2.png" },
        { "https://h/d/q2.png?v=2#top", "q2.png" },
        { "https://h/d/..\\..\\Windows\\evil.exe", "....Windowsevil.exe" },
        { "https://h/d/C:evil.exe", "Cevil.exe" },
        { "https://h/d/a<b>c|d?.exe", "abcd" },
        { "https://h/d/setup.exe. . ", "setup.exe" },
        { "https://h/d/..", "" },
        { "https://h/d/", "" },
        { "https://h/d/CON", "" },
        { "https://h/d/nul.exe", "" },
        { "https://h/d/COM1 .zip", "" },
        { "https://h/d/CONSOLE.exe", "CONSOLE.exe" },
    };

    for (auto& [address, expected] : cases)
        EXPECT_EQ (FileDownload::getLocalFileName (juce::URL (address)), expected) << address;
}
