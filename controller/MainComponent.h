#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>

#include "../catalogue/DeviceDatabase.h"
#include "../install/InstallerJobs.h"
#include "../ui/CustomLookAndFeel.h"
#include "../ui/InterfaceComponent.h"

//==============================================================================
/**
    The content of the main window and the program's controller: fetches the
    catalogue at start, polls the USB bus twice a second and hands the panel the
    products of the connected devices, turns an install click into a download on
    its own monitor, and shows and logs every status word that comes back.
*/
class MainComponent : public juce::Component, public juce::ChangeListener, public juce::Timer
{
public:
    /** Builds the panel and fetches the catalogue, returning only when the fetch has ended. */
    MainComponent();

    /** Cancels the downloads under way and deletes the catalogue folder and the
        download folders of this run, except those whose installer still runs or
        may yet be started. */
    ~MainComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** An install click of the panel. */
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    /** The device poll. */
    void timerCallback() override;

private:
    void fetchCatalogue();
    void refreshDevices();
    void handleStatus (const InstallRequest& request, const juce::File& downloadFolder, const juce::String& word);

    InterfaceComponent interfaceComponent;
    juce::File catalogueFolder, catalogueFile;
    std::unique_ptr<juce::XmlElement> catalogue;

    struct DownloadFolder
    {
        // From the download's end to the request's final word, a job may be starting its installer.
        bool installerMayStart = false;
        std::shared_ptr<ProcessTree> installerProcesses;
    };

    // This run's download folders.
    std::map<juce::File, DownloadFolder> downloadFolders;
    juce::StringArray deviceIds;
    std::vector<DeviceDatabase> deviceDatabases;
    juce::StringArray productList;
    std::unordered_map<juce::String, juce::StringArray> driverTypeLists;
    std::unordered_map<juce::String, juce::StringArray> driverDataLists;
    std::unordered_map<juce::String, juce::String> pictureUrls;
    CustomLookAndFeel* lookAndFeel = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
