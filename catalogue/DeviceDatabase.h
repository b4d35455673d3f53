#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <unordered_map>
#include <vector>

//==============================================================================
/** The process-wide area setting: "cn", created on first use and never changed.
    It decides which catalogue items are taken, the panel's start language and
    every install request's area. */
juce::String& getAreaSetting();

/** "win64" or "win32" on Windows (64-bit meaning this 32-bit program runs under
    the 64-bit subsystem), "mac" everywhere else. */
juce::String getPlatformWord();

//==============================================================================
/**
    What the catalogue says about one connected device: its display name, the
    software keys offered for it on this platform and area, one download entry per
    offered piece of software, and the address of its picture.

    A download entry is "<" + key + os + area + ">" + download address.

    The record is built once from the catalogue file and never changes. A file that
    cannot be used leaves every field empty but the area, and writes one log line.
*/
class DeviceDatabase
{
public:
    /** Builds the record for a device id such as "0x00A1" from the catalogue file,
        for this computer's platform word, and logs it with displayData(). */
    DeviceDatabase (const juce::File& catalogueFile, const juce::String& deviceId);

    /** Builds the record as it would come out on a computer whose platform word is
        the one given ("win64", "win32" or "mac"). */
    DeviceDatabase (const juce::File& catalogueFile, const juce::String& deviceId, const juce::String& platformWord);

    /** Builds the record from a catalogue that parseCatalogue() has read, as it would
        come out for that platform word. A null catalogue is one that could not be used. */
    DeviceDatabase (const juce::XmlElement* catalogue, const juce::String& deviceId, const juce::String& platformWord);

    /** Reads and parses the catalogue file, for readAll(): nullptr, with nothing
        logged, for a file that is missing or cannot be used. */
    static std::unique_ptr<juce::XmlElement> loadCatalogue (const juce::File& catalogueFile);

    /** Builds the records of the devices from the catalogue that loadCatalogue() read
        from the file, in the order of the ids, each as the constructor from that file
        builds and logs it; beforeEach is called with each id just before its record
        is built. */
    static std::vector<DeviceDatabase> readAll (const juce::File& catalogueFile, const juce::XmlElement* catalogue,
                                                const juce::StringArray& deviceIds,
                                                const std::function<void (const juce::String&)>& beforeEach);

    /** Parses the bytes of a catalogue, refusing beforehand what is not UTF-8 text
        and what the framework's parser cannot take safely. Returns the root element,
        or nullptr for refused or malformed text. */
    static std::unique_ptr<juce::XmlElement> parseCatalogue (const juce::MemoryBlock& bytes);

    /** Writes the two lists and the picture address to the run-time log. */
    void displayData() const;

    /** The catalogue side of a device id: "0x" + the uppercase hexadecimal of the
        "pid" attribute read like C's atoi, in four digits at least like the scanned
        ids ("161" gives "0x00A1", "4660" gives "0x1234"). A pid that reads as 0 gives
        "0x0", which belongs to no device. */
    static juce::String makeDeviceKey (const juce::String& pidText);

    juce::String _platform;
    juce::String _name;
    juce::StringArray _driverTypeList;
    juce::StringArray _driverData;
    juce::String _picture;
    juce::String _area;

private:
    // The record of the catalogue's items of one device, found beforehand.
    DeviceDatabase (const juce::XmlElement& catalogue, const juce::Array<const juce::XmlElement*>& items,
                    const juce::String& platformWord);

    // The items of each of the devices in the catalogue, in the catalogue's order.
    static std::unordered_map<juce::String, juce::Array<const juce::XmlElement*>>
    findItems (const juce::XmlElement& catalogue, const juce::StringArray& deviceIds);

    static juce::String keyOfPid (juce::uint32 pid);
    static bool isCatalogueRoot (const juce::XmlElement* catalogue);
    static bool isCatalogueFile (const juce::File& catalogueFile);

    void readCatalogue (const juce::XmlElement* catalogue, const juce::String& deviceId,
                        const juce::String& platformWord);
    void readItems (const juce::XmlElement& catalogue, const juce::Array<const juce::XmlElement*>& items,
                    const juce::String& platformWord);
    void takeItem (const juce::XmlElement& item, const juce::String& base);

    JUCE_LEAK_DETECTOR (DeviceDatabase)
};
