// Shows the panel in a window with two demonstration products, for screenshots of
// its layout, texts and pictures.
//
//   panel_preview PICTURE_BASE_ADDRESS [en]
//
// The products' pictures are PICTURE_BASE_ADDRESS/q2.png and /q4.png; with "en"
// the panel is switched to English by its own language button.

#include <juce_gui_basics/juce_gui_basics.h>

#include "ui/CustomLookAndFeel.h"
#include "ui/InterfaceComponent.h"
#include "ui/PanelFonts.h"
#include "app/WineRepaintPump.h"

namespace
{
    ProductData makeDemonstrationProducts (const juce::String& pictureBase)
    {
        const juce::String downloads ("https://dl.example/brelvox/release/software");

        // One entry per key for each platform word, so that the buttons show on every build.
        auto entriesFor = [&downloads] (const juce::StringArray& keys)
        {
            juce::StringArray entries;

            for (auto* platform : { "win64", "win32", "mac" })
                for (auto& key : keys)
                    entries.add ("<" + key + platform + "cn/en>" + downloads + "/" + key + ".zip");

            return entries;
        };

        ProductData data;
        data.productList = { "Quenz Q2", "Quenz Q4" };
        data.driverTypeLists["Quenz Q2"] = { "tw4", "echodeck", "nuvomax" };
        data.driverDataLists["Quenz Q2"] = entriesFor (data.driverTypeLists["Quenz Q2"]);
        data.pictureUrls["Quenz Q2"] = pictureBase + "/q2.png";
        data.driverTypeLists["Quenz Q4"] = { "nuvo" };
        data.driverDataLists["Quenz Q4"] = entriesFor (data.driverTypeLists["Quenz Q4"]);
        data.pictureUrls["Quenz Q4"] = pictureBase + "/q4.png";
        return data;
    }

    class PreviewWindow : public juce::DocumentWindow
    {
    public:
        PreviewWindow (const juce::String& pictureBase, bool english)
            : DocumentWindow ("Quenz Install panel preview", juce::Colours::white, DocumentWindow::closeButton)
        {
            PanelFonts::installAsDesktopDefault (lookAndFeel);

            auto* panel = new InterfaceComponent();
            panel->setSize (600, 400);
            setUsingNativeTitleBar (true);
            setContentOwned (panel, true);
            centreWithSize (getWidth(), getHeight());
            setVisible (true);

            panel->setProductData (makeDemonstrationProducts (pictureBase));

            if (english)
                if (auto* languageButton = dynamic_cast<juce::Button*> (panel->getChildComponent (0)))
                    languageButton->triggerClick();
        }

        ~PreviewWindow() override
        {
            clearContentComponent();
            juce::Desktop::getInstance().setDefaultLookAndFeel (nullptr);
        }

        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }

    private:
        CustomLookAndFeel lookAndFeel;
        WineRepaintPump repaintPump;
    };

    class PanelPreviewApplication : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override { return "Quenz Install panel preview"; }
        const juce::String getApplicationVersion() override { return "1.0.10"; }
        bool moreThanOneInstanceAllowed() override { return true; }

        void initialise (const juce::String&) override
        {
            auto arguments = getCommandLineParameterArray();
            window = std::make_unique<PreviewWindow> (arguments[0], arguments[1] == "en");
        }

        void shutdown() override { window = nullptr; }

    private:
        std::unique_ptr<PreviewWindow> window;
    };
}

START_JUCE_APPLICATION (PanelPreviewApplication)
