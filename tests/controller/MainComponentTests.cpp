#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Printers.h"

#include "controller/MainComponent.h"
#include "support/InterfaceComponentInspector.h"
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

TEST (DeviceFlow, ShowsThePictureAndEmptiesThePanelWhenTheDevicesGoAway)
{
    auto* testBed = std::getenv ("UMOCKDEV_DIR");

    if (testBed == nullptr)
        GTEST_SKIP() << "runs in its umockdev test bed: ctest -R device_flow";

    auto folder = juce::Uuid().toString();
    juce::Image orange (juce::Image::RGB, 56, 40, true);
    orange.clear (orange.getBounds(), juce::Colours::orange);
    juce::MemoryOutputStream png;
    juce::PNGImageFormat().writeImageToStream (orange, png);
    MakerServer::publish (folder + "/q2.png", png.getMemoryBlock());

    auto catalogue = "<list driverBaseUrlCN=\"" + MakerServer::getAddress() + "/" + folder + "\">" +
                     "<item pid=\"4660\" name=\"Quenz Q2\" type=\"nuvo\" os=\"mac\" file=\"n.zip\"/>" +
                     "<item pid=\"4660\" name=\"Quenz Q2\" type=\"pic\" file=\"q2.png\"/></list>";
    setenv ("QUENZ_CATALOGUE_URL", MakerServer::publish (folder + "/list.xml", catalogue).toRawUTF8(), 1);

    MainComponent mainComponent;
    auto* panel = dynamic_cast<InterfaceComponent*> (mainComponent.getChildComponent (0));
    ASSERT_NE (panel, nullptr);
    InterfaceComponentInspector inspector{ *panel };

    ASSERT_TRUE (runMessageLoopUntil ([&inspector] { return inspector.productImage().isValid(); }, 20000));

    // The picture is drawn in its place on the panel.
    auto snapshot = panel->createComponentSnapshot (panel->getLocalBounds());
    EXPECT_EQ (snapshot.getPixelAt (450, 160).toDisplayString (false), juce::Colours::orange.toDisplayString (false));

    // Unplugged: every device of the test bed leaves the bus at once.
    juce::File devices (juce::String (testBed) + "/sys/bus/usb/devices");
    auto unplugged = devices.getSiblingFile ("unplugged");
    ASSERT_TRUE (devices.moveFileTo (unplugged));
    ASSERT_TRUE (devices.createDirectory());

    EXPECT_TRUE (runMessageLoopUntil ([&inspector] { return inspector.productBox().getNumItems() == 0; }, 1500))
        << "the panel empties on the next tick";
    EXPECT_TRUE (inspector.buttons().isEmpty());

    ASSERT_TRUE (devices.deleteFile());
    ASSERT_TRUE (unplugged.moveFileTo (devices));

    EXPECT_TRUE (runMessageLoopUntil ([&inspector] { return inspector.productBox().getNumItems() > 0; }, 1500))
        << "and fills again when they are back";
    EXPECT_EQ (inspector.productBox().getItemText (0), "Quenz Q2");

    unsetenv ("QUENZ_CATALOGUE_URL");
}
