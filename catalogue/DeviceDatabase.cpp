#include "DeviceDatabase.h"

#include "../platform/FileSystem.h"

namespace
{
    // A real catalogue is a few kilobytes. Anything near these limits is not one,
    // and would only stall the program or exhaust the parser's stack.
    constexpr juce::int64 maximumCatalogueBytes = 8 * 1024 * 1024;
    constexpr int maximumElementDepth = 256;

    int readLikeAtoi (const juce::String& text)
    {
        auto p = text.getCharPointer();

        while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
            ++p;

        bool negative = false;

        if (*p == '-' || *p == '+')
            negative = (p.getAndAdvance() == '-');

        juce::int64 value = 0;

        // Saturates like the Windows C library's atoi.
        for (; *p >= '0' && *p <= '9'; ++p)
            value = juce::jmin (value * 10 + (*p - '0'), (juce::int64) std::numeric_limits<int>::max() + 1);

        value = negative ? -value : value;
        return (int) juce::jlimit ((juce::int64) std::numeric_limits<int>::min(),
                                   (juce::int64) std::numeric_limits<int>::max(), value);
    }

    bool nestsTooDeeply (const juce::String& text)
    {
        int depth = 0;

        for (auto p = text.getCharPointer(); ! p.isEmpty();)
        {
            if (p.getAndAdvance() != '<')
                continue;

            auto next = *p;

            if (next == '/')
            {
                --depth;
                continue;
            }

            if (next == '!' || next == '?')
                continue;

            auto tagEnd = p.indexOf ((juce::juce_wchar) '>');

            if (tagEnd < 0)
                return false; // unterminated: the parser rejects it anyway

            if (tagEnd == 0 || p[tagEnd - 1] != '/')
                if (++depth > maximumElementDepth)
                    return true;

            p += tagEnd;
        }

        return false;
    }

    bool hasProcessingInstructionAfterTheDeclaration (const juce::String& text)
    {
        auto trimmed = text.trimStart();
        auto searchFrom = trimmed.startsWith ("<?xml") ? trimmed.indexOf ("?>") : 0;
        return searchFrom < 0 || trimmed.indexOf (searchFrom, "<?") >= 0;
    }

    // UTF-8 as its standard defines it: no overlong forms, no surrogates, nothing
    // above U+10FFFF. The framework's own test lets such forms through.
    bool isValidUtf8 (const juce::uint8* bytes, size_t size)
    {
        for (size_t i = 0; i < size;)
        {
            auto lead = bytes[i];

            if (lead < 0x80)
            {
                ++i;
                continue;
            }

            size_t length = 0;
            juce::uint8 low = 0x80, high = 0xbf;

            if (lead >= 0xc2 && lead <= 0xdf)
                length = 2;
            else if (lead >= 0xe0 && lead <= 0xef)
                length = 3;
            else if (lead >= 0xf0 && lead <= 0xf4)
                length = 4;
            else
                return false;

            // The second byte's range rules out overlong forms, surrogates and code
            // points above U+10FFFF.
            if (lead == 0xe0)
                low = 0xa0;
            else if (lead == 0xed)
                high = 0x9f;
            else if (lead == 0xf0)
                low = 0x90;
            else if (lead == 0xf4)
                high = 0x8f;

            if (i + length > size || bytes[i + 1] < low || bytes[i + 1] > high)
                return false;

            for (size_t k = 2; k < length; ++k)
                if ((bytes[i + k] & 0xc0) != 0x80)
                    return false;

            i += length;
        }

        return true;
    }

    // What the framework's parser cannot take, and no real catalogue has: a
    // processing instruction inside the document (it can loop for ever on one),
    // nesting deep enough to exhaust its stack, and a document type, whose entities
    // could read local files into download addresses or expand without end.
    bool isSafeToParse (const juce::String& text)
    {
        return ! hasProcessingInstructionAfterTheDeclaration (text) && ! text.containsIgnoreCase ("<!DOCTYPE") &&
               ! nestsTooDeeply (text);
    }

}

juce::String& getAreaSetting()
{
    static juce::String area ("cn");
    return area;
}

juce::String getPlatformWord()
{
    if (juce::SystemStats::getOperatingSystemName().contains ("Win"))
        return juce::SystemStats::isOperatingSystem64Bit() ? "win64" : "win32";

    return "mac";
}

//==============================================================================
DeviceDatabase::DeviceDatabase (const juce::File& catalogueFile, const juce::String& deviceId)
    : DeviceDatabase (catalogueFile, deviceId, getPlatformWord())
{
}

DeviceDatabase::DeviceDatabase (const juce::File& catalogueFile, const juce::String& deviceId,
                                const juce::String& platformWord)
    : _area (getAreaSetting())
{
    if (catalogueFile.getFullPathName().isEmpty() || ! FileSystem::fileExists (catalogueFile) ||
        catalogueFile.isDirectory())
    {
        juce::Logger::writeToLog ("<DeviceDatabase> XML file does not exist!");
        return;
    }

    std::unique_ptr<juce::XmlElement> catalogue;
    juce::MemoryBlock bytes;

    if (catalogueFile.getSize() <= maximumCatalogueBytes && catalogueFile.loadFileAsData (bytes))
        catalogue = parseCatalogue (bytes);

    readCatalogue (catalogue.get(), deviceId, platformWord);
}

DeviceDatabase::DeviceDatabase (const juce::XmlElement* catalogue, const juce::String& deviceId,
                                const juce::String& platformWord)
    : _area (getAreaSetting())
{
    readCatalogue (catalogue, deviceId, platformWord);
}

std::unique_ptr<juce::XmlElement> DeviceDatabase::parseCatalogue (const juce::MemoryBlock& bytes)
{
    auto* start = static_cast<const char*> (bytes.getData());
    auto size = (int) bytes.getSize();

    if (size >= 3 && juce::CharPointer_UTF8::isByteOrderMark (start))
    {
        start += 3;
        size -= 3;
    }

    // The catalogue is UTF-8. The framework would read other bytes as a Windows
    // code page, and its parser cannot take invalid UTF-8 either.
    if (size <= 0 || std::memchr (start, 0, (size_t) size) != nullptr ||
        ! isValidUtf8 (reinterpret_cast<const juce::uint8*> (start), (size_t) size))
        return {};

    auto text = juce::String::fromUTF8 (start, size);

    if (! isSafeToParse (text))
        return {};

    return juce::XmlDocument (text).getDocumentElement();
}

juce::String DeviceDatabase::makeDeviceKey (const juce::String& pidText)
{
    return "0x" + juce::String::toHexString ((juce::int64) (juce::uint32) readLikeAtoi (pidText)).toUpperCase();
}

void DeviceDatabase::readCatalogue (const juce::XmlElement* root, const juce::String& deviceId,
                                    const juce::String& platformWord)
{
    if (root == nullptr || ! root->getTagName().equalsIgnoreCase ("list"))
    {
        juce::Logger::writeToLog ("<DeviceDatabase> Invalid XML file or wrong root element!");
        return;
    }

    auto base = root->getStringAttribute ("driverBaseUrlCN");
    _platform = platformWord;

    for (auto* item : root->getChildIterator())
        if (item->getTagName().equalsIgnoreCase ("item") &&
            makeDeviceKey (item->getStringAttribute ("pid")) == deviceId)
            takeItem (*item, base);

    displayData();
}

void DeviceDatabase::takeItem (const juce::XmlElement& item, const juce::String& base)
{
    auto area = item.getStringAttribute ("area");

    if (area.isEmpty())
        area = "cn/en";

    _name = item.getStringAttribute ("name");

    auto type = item.getStringAttribute ("type");
    auto file = item.getStringAttribute ("file");

    if (type == "pic")
    {
        _picture = base + "/" + file;
        return;
    }

    if (_area.isNotEmpty() && ! area.contains (_area))
        return;

    auto os = item.getStringAttribute ("os");

    if (os != _platform)
    {
        // Of all software, only these two fall back to their 32-bit builds on 64-bit Windows.
        if ((type == "tw4" || type == "echodeck") && os == "win32" && _platform == "win64")
            os = "win64/win32";
        else
            return;
    }

    _driverTypeList.addIfNotAlreadyThere (type);
    _driverData.addIfNotAlreadyThere ("<" + type + os + area + ">" + base + "/" + file);
}

void DeviceDatabase::displayData() const
{
    juce::Logger::writeToLog ("\n<DeviceDatabase::displayData> _driverTypeList:");

    for (auto& type : _driverTypeList)
        juce::Logger::writeToLog (type);

    juce::Logger::writeToLog ("\n<DeviceDatabase::displayData> _driverData:");

    for (auto& entry : _driverData)
        juce::Logger::writeToLog (entry);

    juce::Logger::writeToLog ("\n<DeviceDatabase::displayData> _picture:\n" + _picture + "\n");
}
