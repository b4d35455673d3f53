#include "DeviceDatabase.h"

#include <algorithm>
#include <cstring>

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

    bool isBlank (char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    // The ASCII characters the parser allows in a name. A catalogue's names need no
    // others, and which others the parser takes depends on its tables of letters.
    bool isNameCharacter (char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
               c == ':' || c == '.';
    }

    // "&name;", "&#digits;" or "&#xhex;": the parser reads any other reference up
    // to the next ";" wherever it lies.
    bool isPlainReference (const char* p, const char* end)
    {
        auto* name = ++p;
        bool (*fits) (char) = isNameCharacter;

        if (p < end && *p == '#')
        {
            name = ++p;
            fits = [] (char c) { return c >= '0' && c <= '9'; };

            if (p < end && *p == 'x')
            {
                name = ++p;
                fits = [] (char c) { return juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) c) >= 0; };
            }
        }

        while (p < end && p - name <= 32 && fits (*p))
            ++p;

        return p < end && *p == ';' && p > name && p - name <= 32;
    }

    bool startsWith (const char* p, const char* end, const char* prefix)
    {
        auto length = std::strlen (prefix);
        return (size_t) (end - p) >= length && std::memcmp (p, prefix, length) == 0;
    }

    // Past the terminator after p, or nullptr if there is none.
    const char* skipPast (const char* p, const char* end, const char* terminator)
    {
        auto length = std::strlen (terminator);
        auto* found = std::search (p, end, terminator, terminator + length);
        return found == end ? nullptr : found + length;
    }

    const char* skipBlanks (const char* p, const char* end)
    {
        while (p < end && isBlank (*p))
            ++p;

        return p;
    }

    // Past a name of one or more of the parser's ASCII name characters, or nullptr.
    const char* skipName (const char* p, const char* end)
    {
        auto* start = p;

        while (p < end && isNameCharacter (*p))
            ++p;

        return p == start ? nullptr : p;
    }

    // Past the rest of a start tag (after its "<"), or nullptr when it is not
    // well formed. Counts a tag that closes itself out again.
    const char* skipStartTag (const char* p, const char* end, int& depth)
    {
        p = skipName (p, end);

        while (p != nullptr)
        {
            p = skipBlanks (p, end);

            if (startsWith (p, end, "/>"))
            {
                --depth;
                return p + 2;
            }

            if (startsWith (p, end, ">"))
                return p + 1;

            if ((p = skipName (p, end)) == nullptr)
                return nullptr;

            p = skipBlanks (p, end);

            if (! startsWith (p, end, "="))
                return nullptr;

            p = skipBlanks (p + 1, end);

            if (p == end || (*p != '"' && *p != '\''))
                return nullptr;

            auto quote = *p;

            for (++p; p < end && *p != quote; ++p)
                if (*p == '&' && ! isPlainReference (p, end))
                    return nullptr;

            p = p < end ? p + 1 : nullptr;
        }

        return nullptr;
    }

    // Whether the framework's parser can take the text safely: it must be well
    // formed in every respect in which the parser could go wrong. Refused are a
    // document type (its entities could read local files into download addresses,
    // or expand without end), a processing instruction inside the root element (the
    // parser can loop for ever on one), nesting deeper than the parser's stack
    // allows, and markup that is not well formed: with any of it, the parser's
    // reading and this one could part, and the nesting counted here would no longer
    // be the parser's. Comments, sections of character data and quoted values are
    // skipped as the parser skips them; element and attribute names are ASCII.
    bool isSafeToParse (const char* p, const char* end)
    {
        int depth = 0;

        while (p != nullptr && p < end)
        {
            if (*p == '&')
            {
                if (depth == 0 || ! isPlainReference (p, end))
                    return false;

                ++p;
            }
            else if (*p != '<')
            {
                if (depth == 0 && ! isBlank (*p))
                    return false;

                ++p;
            }
            else if (startsWith (p, end, "<!--"))
            {
                p = skipPast (p + 4, end, "-->");
            }
            else if (startsWith (p, end, "<![CDATA["))
            {
                p = depth > 0 ? skipPast (p + 9, end, "]]>") : nullptr;
            }
            else if (startsWith (p, end, "<?"))
            {
                p = depth == 0 ? skipPast (p + 2, end, "?>") : nullptr;
            }
            else if (startsWith (p, end, "</"))
            {
                if (depth-- == 0 || (p = skipName (p + 2, end)) == nullptr)
                    return false;

                p = skipBlanks (p, end);
                p = startsWith (p, end, ">") ? p + 1 : nullptr;
            }
            else
            {
                if (++depth > maximumElementDepth)
                    return false;

                p = skipStartTag (p + 1, end, depth);
            }
        }

        return p != nullptr && depth == 0;
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
    if (! isCatalogueFile (catalogueFile))
    {
        juce::Logger::writeToLog ("<DeviceDatabase> XML file does not exist!");
        return;
    }

    readCatalogue (loadCatalogue (catalogueFile).get(), deviceId, platformWord);
}

DeviceDatabase::DeviceDatabase (const juce::XmlElement* catalogue, const juce::String& deviceId,
                                const juce::String& platformWord)
    : _area (getAreaSetting())
{
    readCatalogue (catalogue, deviceId, platformWord);
}

DeviceDatabase::DeviceDatabase (const juce::XmlElement& catalogue, const juce::Array<const juce::XmlElement*>& items,
                                const juce::String& platformWord)
    : _area (getAreaSetting())
{
    readItems (catalogue, items, platformWord);
}

std::vector<DeviceDatabase> DeviceDatabase::readAll (const juce::File& catalogueFile, const juce::XmlElement* catalogue,
                                                     const juce::StringArray& deviceIds,
                                                     const std::function<void (const juce::String&)>& beforeEach)
{
    auto fileFound = isCatalogueFile (catalogueFile);
    auto platformWord = getPlatformWord();

    std::unordered_map<juce::String, juce::Array<const juce::XmlElement*>> itemsById;

    if (fileFound && ! deviceIds.isEmpty() && isCatalogueRoot (catalogue))
        itemsById = findItems (*catalogue, deviceIds);

    std::vector<DeviceDatabase> records;
    records.reserve ((size_t) deviceIds.size());

    for (auto& id : deviceIds)
    {
        beforeEach (id);

        if (! fileFound)
            records.push_back (DeviceDatabase (catalogueFile, id, platformWord));
        else if (! isCatalogueRoot (catalogue))
            records.push_back (DeviceDatabase (catalogue, id, platformWord));
        else
            records.push_back (DeviceDatabase (*catalogue, itemsById[id], platformWord));
    }

    return records;
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

    if (! isSafeToParse (start, start + size))
        return {};

    return juce::XmlDocument (juce::String::fromUTF8 (start, size)).getDocumentElement();
}

bool DeviceDatabase::isCatalogueFile (const juce::File& catalogueFile)
{
    return catalogueFile.getFullPathName().isNotEmpty() && FileSystem::fileExists (catalogueFile) &&
           ! catalogueFile.isDirectory();
}

std::unique_ptr<juce::XmlElement> DeviceDatabase::loadCatalogue (const juce::File& catalogueFile)
{
    juce::MemoryBlock bytes;

    if (catalogueFile.getSize() <= maximumCatalogueBytes && catalogueFile.loadFileAsData (bytes))
        return parseCatalogue (bytes);

    return {};
}

juce::String DeviceDatabase::makeDeviceKey (const juce::String& pidText)
{
    return keyOfPid ((juce::uint32) readLikeAtoi (pidText));
}

juce::String DeviceDatabase::keyOfPid (juce::uint32 pid)
{
    // Four digits at least, like the ids of the scan; a pid that reads as 0 is no
    // product's, and keeps a key that no scanned id equals.
    if (pid == 0)
        return "0x0";

    return "0x" + juce::String::toHexString ((juce::int64) pid).toUpperCase().paddedLeft ('0', 4);
}

bool DeviceDatabase::isCatalogueRoot (const juce::XmlElement* root)
{
    return root != nullptr && root->getTagName().equalsIgnoreCase ("list");
}

void DeviceDatabase::readCatalogue (const juce::XmlElement* root, const juce::String& deviceId,
                                    const juce::String& platformWord)
{
    if (! isCatalogueRoot (root))
    {
        juce::Logger::writeToLog ("<DeviceDatabase> Invalid XML file or wrong root element!");
        return;
    }

    readItems (*root, findItems (*root, { deviceId })[deviceId], platformWord);
}

std::unordered_map<juce::String, juce::Array<const juce::XmlElement*>>
DeviceDatabase::findItems (const juce::XmlElement& root, const juce::StringArray& deviceIds)
{
    std::unordered_map<juce::String, juce::Array<const juce::XmlElement*>> itemsById;

    // Where the items of each pid go, if anywhere: worked out once a pid, as a
    // catalogue has many items to a product.
    std::unordered_map<juce::uint32, juce::Array<const juce::XmlElement*>*> itemsOfPid;

    for (auto* item : root.getChildIterator())
    {
        if (! item->getTagName().equalsIgnoreCase ("item"))
            continue;

        auto pid = (juce::uint32) readLikeAtoi (item->getStringAttribute ("pid"));
        auto items = itemsOfPid.find (pid);

        if (items == itemsOfPid.end())
        {
            auto key = keyOfPid (pid);
            items = itemsOfPid.emplace (pid, deviceIds.contains (key) ? &itemsById[key] : nullptr).first;
        }

        if (items->second != nullptr)
            items->second->add (item);
    }

    return itemsById;
}

void DeviceDatabase::readItems (const juce::XmlElement& root, const juce::Array<const juce::XmlElement*>& items,
                                const juce::String& platformWord)
{
    auto base = root.getStringAttribute ("driverBaseUrlCN");
    _platform = platformWord;

    for (auto* item : items)
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
