#include <gtest/gtest.h>

#include "support/Printers.h"

#include "catalogue/DeviceDatabase.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"

namespace
{
    const juce::String base ("https://dl.example/brelvox");

    juce::String catalogue (const juce::String& items)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<list driverBaseUrlCN=\"" + base + "\">\n" + items +
               "</list>\n";
    }

    struct RecordCase
    {
        const char* name;
        juce::String xml;
        juce::String deviceId;
        juce::String platform;
        juce::String expectedName;
        juce::StringArray expectedTypes;
        juce::StringArray expectedEntries;
        juce::String expectedPicture;
    };

    const juce::String echoDeck32 =
        "<item pid=\"161\" name=\"Echo Deck\" type=\"echodeck\" os=\"win32\" area=\"cn/en\" file=\"echo32.zip\"/>\n";
    const juce::String nuvoMax32 =
        "<item pid=\"161\" name=\"Echo Deck\" type=\"nuvomax\" os=\"win32\" area=\"cn/en\" file=\"max32.zip\"/>\n";
    const juce::String nuvoMax64 =
        "<item pid=\"161\" name=\"Echo Deck\" type=\"nuvomax\" os=\"win64\" area=\"cn/en\" file=\"max64.zip\"/>\n";

    const RecordCase recordCases[] = {
        { "pid 4660 belongs to 0x1234",
          catalogue ("<item pid=\"4660\" name=\"Q1\" type=\"tw4\" os=\"win64\" area=\"cn\" file=\"tw4.exe\"/>\n"),
          "0x1234",
          "win64",
          "Q1",
          { "tw4" },
          { "<tw4win64cn>" + base + "/tw4.exe" },
          {} },

        { "pid 43981 belongs to 0xABCD",
          catalogue ("<item pid=\"43981\" name=\"Q2\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>\n"),
          "0xABCD",
          "win64",
          "Q2",
          { "nuvo" },
          { "<nuvowin64cn>" + base + "/n.zip" },
          {} },

        { "pid 16 belongs to the scanned 0x0010",
          catalogue ("<item pid=\"16\" name=\"Small\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>\n"),
          "0x0010",
          "win64",
          "Small",
          { "nuvo" },
          { "<nuvowin64cn>" + base + "/n.zip" },
          {} },

        { "pid read like atoi: blanks, sign and trailing text",
          catalogue ("<item pid=\"  +161abc\" name=\"Q3\" type=\"nuvo\" os=\"win64\" file=\"n.zip\"/>\n"),
          "0x00A1",
          "win64",
          "Q3",
          { "nuvo" },
          { "<nuvowin64cn/en>" + base + "/n.zip" },
          {} },

        { "hexadecimal pid reads as 0",
          catalogue ("<item pid=\"0x1234\" name=\"Hex\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>\n"),
          "0x0",
          "win64",
          "Hex",
          { "nuvo" },
          { "<nuvowin64cn>" + base + "/n.zip" },
          {} },

        { "tag names in any case",
          "<LIST driverBaseUrlCN=\"" + base +
              "\"><Item pid=\"161\" name=\"Q4\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/></LIST>",
          "0x00A1",
          "win64",
          "Q4",
          { "nuvo" },
          { "<nuvowin64cn>" + base + "/n.zip" },
          {} },

        { "attribute names only as written",
          catalogue ("<item PID=\"161\" name=\"Q5\" Type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>\n"),
          "0x00A1",
          "win64",
          {},
          {},
          {},
          {} },

        { "same item twice gives one key and one entry",
          catalogue ("<item pid=\"161\" name=\"Q6\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>\n"
                     "<item pid=\"161\" name=\"Q6\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>\n"),
          "0x00A1",
          "win64",
          "Q6",
          { "nuvo" },
          { "<nuvowin64cn>" + base + "/n.zip" },
          {} },

        { "same key, two files, two entries",
          catalogue ("<item pid=\"161\" name=\"Q7\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"a.zip\"/>\n"
                     "<item pid=\"161\" name=\"Q7\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"b.zip\"/>\n"),
          "0x00A1",
          "win64",
          "Q7",
          { "nuvo" },
          { "<nuvowin64cn>" + base + "/a.zip", "<nuvowin64cn>" + base + "/b.zip" },
          {} },

        { "keys and entries in order of first occurrence, other devices ignored",
          catalogue ("<item pid=\"161\" name=\"Q8\" type=\"tw4\" os=\"win64\" area=\"cn\" file=\"t.zip\"/>\n"
                     "<item pid=\"162\" name=\"Other\" type=\"nuvolite\" os=\"win64\" area=\"cn\" file=\"o.zip\"/>\n"
                     "<item pid=\"161\" name=\"Q8\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>\n"
                     "<item pid=\"161\" name=\"Q8\" type=\"tw4\" os=\"win64\" area=\"cn\" file=\"t2.zip\"/>\n"),
          "0x00A1",
          "win64",
          "Q8",
          { "tw4", "nuvo" },
          { "<tw4win64cn>" + base + "/t.zip", "<nuvowin64cn>" + base + "/n.zip", "<tw4win64cn>" + base + "/t2.zip" },
          {} },

        { "the later picture wins",
          catalogue ("<item pid=\"161\" name=\"Q9\" type=\"pic\" file=\"pics/one.png\"/>\n"
                     "<item pid=\"161\" name=\"Q9\" type=\"pic\" area=\"en\" os=\"mac\" file=\"pics/two.png\"/>\n"),
          "0x00A1",
          "win64",
          "Q9",
          {},
          {},
          base + "/pics/two.png" },

        { "the last item's name wins, even when that item is left out",
          catalogue (
              "<item pid=\"161\" name=\"First\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>\n"
              "<item pid=\"161\" name=\"English only\" type=\"nuvo\" os=\"win64\" area=\"en\" file=\"e.zip\"/>\n"),
          "0x00A1",
          "win64",
          "English only",
          { "nuvo" },
          { "<nuvowin64cn>" + base + "/n.zip" },
          {} },

        { "64-bit Windows: 32-bit Echo Deck offered as win64/win32, 32-bit Nuvo Max not",
          catalogue (echoDeck32 + nuvoMax32 + nuvoMax64),
          "0x00A1",
          "win64",
          "Echo Deck",
          { "echodeck", "nuvomax" },
          { "<echodeckwin64/win32cn/en>" + base + "/echo32.zip", "<nuvomaxwin64cn/en>" + base + "/max64.zip" },
          {} },

        { "32-bit Windows: every win64 item left out",
          catalogue (echoDeck32 + nuvoMax32 + nuvoMax64),
          "0x00A1",
          "win32",
          "Echo Deck",
          { "echodeck", "nuvomax" },
          { "<echodeckwin32cn/en>" + base + "/echo32.zip", "<nuvomaxwin32cn/en>" + base + "/max32.zip" },
          {} },

        { "Tuneway 4 falls back to its 32-bit build too",
          catalogue ("<item pid=\"161\" name=\"T\" type=\"tw4\" os=\"win32\" area=\"cn\" file=\"t32.zip\"/>\n"),
          "0x00A1",
          "win64",
          "T",
          { "tw4" },
          { "<tw4win64/win32cn>" + base + "/t32.zip" },
          {} },

        { "area en left out; cn/en and no area taken as cn/en",
          catalogue ("<item pid=\"161\" name=\"A\" type=\"nuvo\" os=\"win64\" area=\"en\" file=\"en.zip\"/>\n"
                     "<item pid=\"161\" name=\"A\" type=\"nuvo\" os=\"win64\" area=\"cn/en\" file=\"both.zip\"/>\n"
                     "<item pid=\"161\" name=\"A\" type=\"nuvolite\" os=\"win64\" file=\"none.zip\"/>\n"),
          "0x00A1",
          "win64",
          "A",
          { "nuvo", "nuvolite" },
          { "<nuvowin64cn/en>" + base + "/both.zip", "<nuvolitewin64cn/en>" + base + "/none.zip" },
          {} },

        { "os win64/win32 written in the file never matches",
          catalogue (
              "<item pid=\"161\" name=\"W\" type=\"echodeck\" os=\"win64/win32\" area=\"cn\" file=\"e.zip\"/>\n"),
          "0x00A1",
          "win64",
          "W",
          {},
          {},
          {} },

        { "missing os, file, type and base",
          "<list><item pid=\"161\" name=\"M\" os=\"win64\" area=\"cn\"/><item pid=\"161\" name=\"M\" type=\"nuvo\" "
          "area=\"cn\" file=\"x\"/></list>",
          "0x00A1",
          "win64",
          "M",
          { "" },
          { "<win64cn>/" },
          {} },

        { "unknown keys are taken",
          catalogue ("<item pid=\"161\" name=\"U\" type=\"future\" os=\"win64\" area=\"cn\" file=\"f.zip\"/>\n"),
          "0x00A1",
          "win64",
          "U",
          { "future" },
          { "<futurewin64cn>" + base + "/f.zip" },
          {} },

        { "text, comments, other elements and nested elements ignored",
          catalogue ("text<!-- <item pid=\"161\" name=\"Comment\" type=\"c\" os=\"win64\" file=\"c\"/> -->"
                     "<other pid=\"161\" name=\"Other\" type=\"o\" os=\"win64\" file=\"o\"/>"
                     "<item pid=\"161\" name=\"N\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\">"
                     "<item pid=\"161\" name=\"Nested\" type=\"nested\" os=\"win64\" file=\"x\"/></item>\n"),
          "0x00A1",
          "win64",
          "N",
          { "nuvo" },
          { "<nuvowin64cn>" + base + "/n.zip" },
          {} },

        { "the platform word mac takes mac items",
          catalogue ("<item pid=\"161\" name=\"Mac\" type=\"nuvo\" os=\"mac\" area=\"cn\" file=\"m.dmg\"/>\n"
                     "<item pid=\"161\" name=\"Mac\" type=\"tw4\" os=\"win32\" area=\"cn\" file=\"t.zip\"/>\n"),
          "0x00A1",
          "mac",
          "Mac",
          { "nuvo" },
          { "<nuvomaccn>" + base + "/m.dmg" },
          {} },
    };

    struct CatalogueFixture : public testing::Test
    {
        juce::File write (const juce::String& text)
        {
            auto file = temporary.getFolder().getChildFile ("list.xml");
            file.replaceWithText (text);
            return file;
        }

        TemporaryFolder temporary;
        LogCapture log;
    };
}

TEST_F (CatalogueFixture, BuildsTheRecordByTheCatalogueRules)
{
    for (auto& c : recordCases)
    {
        DeviceDatabase record (write (c.xml), c.deviceId, c.platform);

        EXPECT_EQ (record._platform, c.platform) << c.name;
        EXPECT_EQ (record._name, c.expectedName) << c.name;
        EXPECT_EQ (record._driverTypeList, c.expectedTypes)
            << c.name << ": " << record._driverTypeList.joinIntoString (",");
        EXPECT_EQ (record._driverData, c.expectedEntries) << c.name << ": " << record._driverData.joinIntoString (" ");
        EXPECT_EQ (record._picture, c.expectedPicture) << c.name;
        EXPECT_EQ (record._area, "cn") << c.name;
    }
}

TEST_F (CatalogueFixture, LogsTheRecordAsItWasBuilt)
{
    DeviceDatabase record (
        write (catalogue ("<item pid=\"161\" name=\"Q\" type=\"tw4\" os=\"win64\" area=\"cn\" file=\"t.zip\"/>\n"
                          "<item pid=\"161\" name=\"Q\" type=\"pic\" file=\"q.png\"/>\n")),
        "0x00A1", "win64");

    juce::StringArray expected{ "\n<DeviceDatabase::displayData> _driverTypeList:", "tw4",
                                "\n<DeviceDatabase::displayData> _driverData:", "<tw4win64cn>" + base + "/t.zip",
                                "\n<DeviceDatabase::displayData> _picture:\n" + base + "/q.png\n" };
    EXPECT_EQ (log.getMessages(), expected);
}

TEST_F (CatalogueFixture, LogsEmptySectionsWhenNoItemFits)
{
    DeviceDatabase record (write ("<list/>"), "0x00A1", "win64");

    juce::StringArray expected{ "\n<DeviceDatabase::displayData> _driverTypeList:",
                                "\n<DeviceDatabase::displayData> _driverData:",
                                "\n<DeviceDatabase::displayData> _picture:\n\n" };
    EXPECT_EQ (log.getMessages(), expected);
    EXPECT_EQ (record._platform, "win64");
}

TEST_F (CatalogueFixture, TakesTheComputersOwnPlatformWord)
{
    DeviceDatabase record (write ("<list/>"), "0x00A1");

    EXPECT_EQ (record._platform, getPlatformWord());
#if JUCE_WINDOWS
    EXPECT_EQ (getPlatformWord(), juce::SystemStats::isOperatingSystem64Bit() ? "win64" : "win32");
#else
    EXPECT_EQ (getPlatformWord(), "mac");
#endif
}

TEST_F (CatalogueFixture, RefusesFilesThatAreNoCatalogue)
{
    const juce::String doesNotExist ("<DeviceDatabase> XML file does not exist!");
    const juce::String invalid ("<DeviceDatabase> Invalid XML file or wrong root element!");

    juce::String deepNesting;
    for (int i = 0; i < 100000; ++i)
        deepNesting << "<item>";

    juce::MemoryOutputStream junk;
    juce::Random random (42);
    for (int i = 0; i < 100000; ++i)
        junk.writeByte ((char) random.nextInt (256));

    // A catalogue with these bytes in its product name, the rest of it well formed.
    auto writeBytes = [this] (const char* name)
    {
        auto bytes = catalogue ("<item pid=\"161\" name=\"#\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>")
                         .toStdString();
        bytes.replace (bytes.find ('#'), 1, name);
        auto f = write ({});
        f.replaceWithData (bytes.data(), bytes.size());
        return f;
    };

    const juce::String hugeAttribute =
        catalogue ("<item pid=\"161\" name=\"" + juce::String::repeatedString ("x", 9 * 1024 * 1024) + "\"/>");

    struct Case
    {
        const char* name;
        std::function<juce::File()> makeFile;
        juce::String expectedMessage;
    };

    const Case cases[] = {
        { "no path", [] { return juce::File(); }, doesNotExist },
        { "missing file", [this] { return temporary.getFolder().getChildFile ("missing.xml"); }, doesNotExist },
        { "a folder", [this] { return temporary.getFolder(); }, doesNotExist },
        { "empty file", [this] { return write (""); }, invalid },
        { "malformed XML", [this] { return write ("<list><item pid=\"161\"></list>"); }, invalid },
        { "wrong root", [this] { return write ("<html><body>404 Not Found</body></html>"); }, invalid },
        { "binary junk",
          [this, &junk]
          {
              auto f = write ({});
              f.replaceWithData (junk.getData(), junk.getDataSize());
              return f;
          },
          invalid },
        { "deep nesting", [this, &deepNesting] { return write ("<list>" + deepNesting); }, invalid },
        { "document type",
          [this] { return write ("<!DOCTYPE list [<!ENTITY a \"&a;&a;\">]><list driverBaseUrlCN=\"&a;\"/>"); },
          invalid },
        { "external entity",
          [this]
          { return write ("<!DOCTYPE list [<!ENTITY s SYSTEM \"/etc/passwd\">]><list driverBaseUrlCN=\"&s;\"/>"); },
          invalid },
        { "instruction in content", [this] { return write ("<?xml version=\"1.0\"?><list>  <?pi x?>text</list>"); },
          invalid },
        { "document type after a comment",
          [this] { return write ("<!-- c --><!DOCTYPE list [<!ENTITY a \"x\">]><list driverBaseUrlCN=\"&a;\"/>"); },
          invalid },
        // The parser gives up on the tag at the stray quote and reads what follows
        // as content, where the tags nest.
        { "one level deeper than allowed",
          [this]
          {
              return write ("<list>" + juce::String::repeatedString ("<group>", 256) +
                            juce::String::repeatedString ("</group>", 256) + "</list>");
          },
          invalid },
        { "deep nesting after a broken tag",
          [this, &deepNesting] { return write ("<list><item \"x\" = \"" + deepNesting + "\"/></list>"); }, invalid },
        // The parser takes the word after the gap for the tag's name, and what
        // follows as content, where the tags nest.
        { "deep nesting after a gap in a start tag",
          [this, &deepNesting] { return write ("<list>< a=\"" + deepNesting + "\"/></list>"); }, invalid },
        { "a reference without its \";\"", [this] { return write ("<list driverBaseUrlCN=\"&a\"><item/>;\"</list>"); },
          invalid },
        { "9 MB attribute", [this, &hugeAttribute] { return write (hugeAttribute); }, invalid },
        // Forms the framework would read as characters, but that UTF-8 forbids.
        { "an overlong form of \"/\"", [&writeBytes] { return writeBytes ("Q\xc0\xaf"); }, invalid },
        { "half a surrogate pair", [&writeBytes] { return writeBytes ("Q\xed\xa0\x80"); }, invalid },
        { "a byte of a Windows code page", [&writeBytes] { return writeBytes ("Q\xff"); }, invalid },
    };

    for (auto& c : cases)
    {
        LogCapture caseLog;
        DeviceDatabase record (c.makeFile(), "0x00A1", "win64");

        EXPECT_EQ (caseLog.getMessages(), juce::StringArray (c.expectedMessage)) << c.name;
        EXPECT_TRUE (record._platform.isEmpty() && record._name.isEmpty() && record._picture.isEmpty() &&
                     record._driverTypeList.isEmpty() && record._driverData.isEmpty())
            << c.name;
        EXPECT_EQ (record._area, "cn") << c.name;
    }
}

TEST_F (CatalogueFixture, TakesWellFormedCataloguesWhateverTheirValuesAndComments)
{
    const juce::String item ("<item pid=\"161\" name=\"Q\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>");

    juce::String manyArrows;
    for (int i = 0; i < 300; ++i)
        manyArrows << "<item pid=\"4660\" name=\"a > b\" file='x>y'/>";

    // With the root, 256 levels.
    juce::String deepButAllowed;
    for (int i = 0; i < 255; ++i)
        deepButAllowed << "<group a=\">\">";
    for (int i = 0; i < 255; ++i)
        deepButAllowed << "</group>";

    const std::pair<const char*, juce::String> cases[] = {
        { "a style sheet before the root",
          "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"l.xsl\"?>\n<list>" + item + "</list>" },
        { "\"<!DOCTYPE\" inside a comment", "<!-- no <!DOCTYPE here --><list>" + item + "</list>" },
        { "\"<!DOCTYPE\" inside a value", "<list driverBaseUrlCN=\"<!DOCTYPE\">" + item + "</list>" },
        { "300 items with \">\" in their values", "<list>" + manyArrows + item + "</list>" },
        { "nesting up to the limit", "<list>" + deepButAllowed + item + "</list>" },
        { "plain references", "<list driverBaseUrlCN=\"a&amp;b&#38;c\">" + item + "</list>" },
    };

    for (auto& [name, xml] : cases)
    {
        DeviceDatabase record (write (xml), "0x00A1", "win64");
        EXPECT_EQ (record._name, "Q") << name;
        EXPECT_EQ (record._driverTypeList, juce::StringArray ("nuvo")) << name;
    }
}

TEST_F (CatalogueFixture, RefusesAFiftyMegabyteCatalogueOfGoodItems)
{
    auto file = temporary.getFolder().getChildFile ("list.xml");
    {
        juce::FileOutputStream out (file);
        out << "<list driverBaseUrlCN=\"" << base << "\">";
        for (int i = 0; i < 700000; ++i)
            out << "<item pid=\"161\" name=\"N\" type=\"nuvo\" os=\"win64\" area=\"cn\" file=\"n.zip\"/>\n";
        out << "</list>";
    }
    ASSERT_GT (file.getSize(), 50 * 1000 * 1000);

    DeviceDatabase record (file, "0x00A1", "win64");

    EXPECT_EQ (log.getMessages(), juce::StringArray ("<DeviceDatabase> Invalid XML file or wrong root element!"));
    EXPECT_TRUE (record._driverData.isEmpty());
}

TEST_F (CatalogueFixture, BuildsTheDevicesOfAChangeFromOneReadAsEachFromTheFile)
{
    auto describe = [] (const DeviceDatabase& record)
    {
        return record._platform + "|" + record._name + "|" + record._driverTypeList.joinIntoString (",") + "|" +
               record._driverData.joinIntoString (" ") + "|" + record._picture + "|" + record._area;
    };

    struct Catalogue
    {
        juce::String name, text;
        bool written;
    };

    std::vector<Catalogue> catalogues{ { "a missing file", {}, false },
                                       { "text that is no XML", "not a catalogue", true },
                                       { "another root element", "<other><item pid=\"161\" name=\"Q\"/></other>",
                                         true } };

    for (auto& c : recordCases)
        catalogues.push_back ({ c.name, c.xml, true });

    for (auto& c : catalogues)
    {
        auto file = temporary.getFolder().getChildFile ("list.xml");
        file.deleteFile();

        if (c.written)
            write (c.text);

        // The device ids of the cases, one that no case has, and one given twice.
        const juce::StringArray ids{ "0x00A1", "0x00B2", "0x1234", "0x0010", "0x00A1" };
        juce::StringArray oneByOne, fromOneRead;

        {
            LogCapture eachLog;

            for (auto& id : ids)
            {
                juce::Logger::writeToLog ("got:" + id);
                oneByOne.add (describe (DeviceDatabase (file, id)));
            }

            oneByOne.addArray (eachLog.getMessages());
        }

        {
            LogCapture changeLog;
            auto parsed = DeviceDatabase::loadCatalogue (file);

            for (auto& record : DeviceDatabase::readAll (
                     file, parsed.get(), ids, [] (const juce::String& id) { juce::Logger::writeToLog ("got:" + id); }))
                fromOneRead.add (describe (record));

            fromOneRead.addArray (changeLog.getMessages());
        }

        EXPECT_EQ (fromOneRead, oneByOne) << c.name;
    }
}

TEST (DeviceKey, FormsTheCatalogueSideOfTheDeviceId)
{
    const std::pair<const char*, const char*> cases[] = {
        { "4660", "0x1234" },
        { "43981", "0xABCD" },
        { "16", "0x0010" },
        { "161", "0x00A1" },
        { "", "0x0" },
        { "0", "0x0" },
        { "0x1234", "0x0" },
        { "  161", "0x00A1" },
        { "-1", "0xFFFFFFFF" },
        { "65536", "0x10000" },
        { "99999999999", "0x7FFFFFFF" },
        { "+255junk", "0x00FF" },
    };

    for (auto& [pid, key] : cases)
        EXPECT_EQ (DeviceDatabase::makeDeviceKey (pid), key) << "pid \"" << pid << "\"";
}
