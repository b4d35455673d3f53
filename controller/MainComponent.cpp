#include "MainComponent.h"

#include "CompanionLaunch.h"
#include "../catalogue/CatalogueFetch.h"
#include "../devices/UsbDeviceScan.h"
#include "../install/DownloadMonitor.h"
#include "../platform/WorkFolder.h"
#include "../ui/PanelFonts.h"

namespace
{
    // The desktop's look and feel stays for the whole run, dialogs after the window
    // included; the framework lets go of it when it shuts down.
    struct DesktopLookAndFeel : public juce::DeletedAtShutdown
    {
        ~DesktopLookAndFeel() override { juce::Desktop::getInstance().setDefaultLookAndFeel (nullptr); }

        CustomLookAndFeel lookAndFeel;
    };

    const juce::String statusLogPrefix ("<MainComponent::changeListenerCallback> ");
}

//==============================================================================
MainComponent::MainComponent()
{
    fetchCatalogue();
    juce::Logger::writeToLog (catalogueFile.getFullPathName());

    addAndMakeVisible (interfaceComponent);
    interfaceComponent.addChangeListener (this);

    lookAndFeel = &(new DesktopLookAndFeel())->lookAndFeel;
    PanelFonts::installAsDesktopDefault (*lookAndFeel);

    setSize (600, 400);
    startTimer (500);
}

MainComponent::~MainComponent()
{
    interfaceComponent.removeChangeListener (this);
    DownloadMonitor::cancelAll();
    catalogueFolder.deleteRecursively();

    // An installer runs from its own folder, whatever its request's last word: that one stays.
    for (auto& [folder, state] : downloadFolders)
        if (! state.installerMayStart &&
            (state.installerProcesses == nullptr || ! state.installerProcesses->isRunning()))
            folder.deleteRecursively();
}

void MainComponent::paint (juce::Graphics& g) { g.fillAll (juce::Colour (0xFF000000)); }

void MainComponent::resized() { interfaceComponent.setBounds (getLocalBounds()); }

void MainComponent::fetchCatalogue()
{
    // A folder of this run's own: a program started beside this one fetches and
    // deletes its own catalogue, never this one's; and only administrators can
    // change what is in it.
    catalogueFolder = WorkFolder::create();

    if (catalogueFolder == juce::File())
    {
        juce::Logger::writeToLog ("create tmpDir failed!");
        return;
    }

    catalogueFile = ::fetchCatalogue (juce::URL (getCatalogueAddress()), catalogueFolder);

    // Read once for the whole run: the file is this run's own and never changes.
    catalogue = DeviceDatabase::loadCatalogue (catalogueFile);
}

//==============================================================================
void MainComponent::timerCallback()
{
    auto ids = scanUsbDevices();

    if (! ids.isEmpty())
    {
        ids.sort (false);

        if (ids == deviceIds)
            return;
    }

    deviceIds = ids;
    deviceDatabases.clear();
    refreshDevices();
}

void MainComponent::refreshDevices()
{
    if (! deviceIds.isEmpty())
        juce::Logger::writeToLog ("\n\n\n");

    deviceDatabases = DeviceDatabase::readAll (catalogueFile, catalogue.get(), deviceIds,
                                               [] (const juce::String& id)
                                               { juce::Logger::writeToLog ("<MainComponent> got:" + id); });

    productList.clear();
    driverTypeLists.clear();
    driverDataLists.clear();

    for (auto& record : deviceDatabases)
    {
        productList.addIfNotAlreadyThere (record._name);
        driverTypeLists[record._name] = record._driverTypeList;
        driverDataLists[record._name] = record._driverData;
        pictureUrls[record._name] = record._picture;
    }

    interfaceComponent.setProductData ({ productList, driverTypeLists, driverDataLists, pictureUrls });
}

//==============================================================================
void MainComponent::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source != &interfaceComponent)
        return;

    auto request = interfaceComponent.getInstallRequest();
    juce::Logger::writeToLog (statusLogPrefix + "selection: " + request.product + " " + request.softwareName + " " +
                              request.area + " " + request.language + " " + request.url);

    auto downloadFolder = WorkFolder::create();

    if (downloadFolder == juce::File())
    {
        juce::Logger::writeToLog ("create tmpDir failed!");
        interfaceComponent.showStatus ("Download error");
        juce::Logger::writeToLog (statusLogPrefix + "Download failed");
        return;
    }

    // A word that comes back after the window has gone is dropped.
    juce::Component::SafePointer<MainComponent> safeThis (this);

    auto statusCallback = [safeThis, request, downloadFolder] (juce::String word)
    {
        juce::MessageManager::callAsync (
            [safeThis, request, downloadFolder, word]
            {
                if (auto* mainComponent = safeThis.getComponent())
                    mainComponent->handleStatus (request, downloadFolder, word);
            });
    };

    // The download connects on a thread of its own, so the monitor is made here.
    auto* monitor = DownloadMonitor::start (request, downloadFolder, statusCallback);
    downloadFolders[downloadFolder].installerProcesses =
        monitor != nullptr ? monitor->getInstallerProcesses() : nullptr;
}

void MainComponent::handleStatus (const InstallRequest& request, const juce::File& downloadFolder,
                                  const juce::String& word)
{
    interfaceComponent.showStatus (word);

    if (! word.contains ("%"))
        downloadFolders[downloadFolder].installerMayStart = (word == "Downloaded");

    if (word == "Downloaded")
        juce::Logger::writeToLog (statusLogPrefix + "downloaded, ready to install");
    else if (word == "Installed")
    {
        juce::Logger::writeToLog (statusLogPrefix + "Installed");
        CompanionLaunch::offer (request, this);
    }
    else if (word == "Download error")
        juce::Logger::writeToLog (statusLogPrefix + "Download failed");
    else if (word == "Install error")
        juce::Logger::writeToLog (statusLogPrefix + "Install failed");
    else if (word == "Software exist")
        juce::Logger::writeToLog (statusLogPrefix + "Software exist");
}
