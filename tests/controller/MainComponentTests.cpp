#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Printers.h"

#include "controller/MainComponent.h"
#include "support/LogCapture.h"
#include "support/MakerServer.h"
#include "support/MessageLoop.h"

// Runs in a umockdev test bed with the devices 0xABCD, 0x1234, 0x5678 and 0x00A1 of
// the maker, listed in that order (ctest's device_flow).

TEST (DeviceFlow, BuildsARecordPerDeviceAndMergesProductsByName)
{
    if (std::getenv ("UMOCKDEV_DIR") == nullptr)
        GTEST_SKIP() << "runs in its umockdev test bed: ctest -R device_flow";

    auto catalogue = juce::String ("<list driverBaseUrlCN=\"https://dl.example\">") +
                     "<item pid=\"4660\" name=\"Quenz Q2\" type=\"nuvo\" os=\"mac\" file=\"n.zip\"/>" +
                     "<item pid=\"43981\" name=\"Quenz Q2\" type=\"tw4\" os=\"mac\" file=\"t.zip\"/>" +
                     "<item pid=\"43981\" name=\"Quenz Q2\" type=\"pic\" file=\"q2.png\"/>" +
                     "<item pid=\"161\" name=\"Quenz Q2\" type=\"nuvolite\" os=\"mac\" file=\"l.zip\"/>" + "</list>";
    setenv ("QUENZ_CATALOGUE_URL", MakerServer::publish (juce::Uuid().toString() + "/list.xml", catalogue).toRawUTF8(),
            1);

    LogCapture log;
    juce::File catalogueFile, secondCatalogue;
    std::unique_ptr<MainComponent> second;

    {
        MainComponent mainComponent;
        runMessageLoopFor (1800); // three ticks of the poll

        auto messages = log.getMessages();
        catalogueFile = juce::File (messages[1]);
        EXPECT_TRUE (catalogueFile.existsAsFile());

        juce::StringArray devices;
        for (auto& message : messages)
            if (message.startsWith ("<MainComponent> got:"))
                devices.add (message);

        EXPECT_EQ (devices, juce::StringArray ("<MainComponent> got:0x00A1", "<MainComponent> got:0x1234",
                                               "<MainComponent> got:0x5678", "<MainComponent> got:0xABCD"))
            << "sorted, and built once: the same devices on later ticks are no change";

        auto listings = 0;

        for (auto& message : messages)
            if (message == "<InterfaceComponent::updateItems> combobox update item: Quenz Q2")
                ++listings;

        EXPECT_EQ (listings, 1) << "three devices of one product name give one item";
        EXPECT_TRUE (messages.contains ("<nuvolitemaccn/en>https://dl.example/l.zip")) << "a product id below 0x1000";
        EXPECT_TRUE (messages.contains ("<InterfaceComponent::updateItems> combobox update item: "))
            << "the unknown device";
        EXPECT_TRUE (messages.contains ("<InterfaceComponent::updateButtons> looking for: tw4 mac"))
            << "the later record's lists";
        EXPECT_FALSE (messages.contains ("<InterfaceComponent::updateButtons> looking for: nuvo mac"));

        // A second program started beside this one fetches a catalogue of its own,
        // which this one's end leaves alone.
        second = std::make_unique<MainComponent>();
        secondCatalogue = juce::File (log.getMessages()[messages.size() + 1]);
    }

    EXPECT_FALSE (catalogueFile.exists()) << "the catalogue goes with the window";
    EXPECT_NE (catalogueFile, secondCatalogue);
    EXPECT_TRUE (secondCatalogue.existsAsFile()) << "the other program's catalogue stays";

    second.reset();
    EXPECT_FALSE (secondCatalogue.getParentDirectory().exists());
    unsetenv ("QUENZ_CATALOGUE_URL");
}
